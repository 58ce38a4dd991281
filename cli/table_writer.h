// The table for a person: one row a method, a column a shown phase, blanks for empty
// values, and the methods' messages numbered under the table against their rows.
#pragma once

#include <ostream>

#include "cli/outcome.h"
#include "cli/units.h"

namespace volacor::cli {

void WriteTable(std::ostream& out, const StreamOutcome& outcome, PressureUnit unit);

}  // namespace volacor::cli
