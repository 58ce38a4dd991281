// CSV for programs: one row per stream, method and shown phase, under a fixed header
// (documented in the README). A stream that could not be calculated is one row with
// only stream, source and error filled.
#pragma once

#include <ostream>
#include <string_view>

#include "cli/outcome.h"
#include "cli/units.h"

namespace volacor::cli {

inline constexpr std::string_view kCsvHeader =
    "stream,source,method,display_name,prog_id,phase,value,unit,messages,error";

void WriteCsvHeader(std::ostream& out);
void WriteCsvRows(std::ostream& out, const StreamOutcome& outcome, PressureUnit unit);

}  // namespace volacor::cli
