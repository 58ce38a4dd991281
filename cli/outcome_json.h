// StreamOutcome as JSON: the form of `--format json`, of each line of a JSON-lines
// batch, and of the worker processes' answers (always in kPa there, so nothing is lost).
#pragma once

#include <nlohmann/json.hpp>

#include "cli/outcome.h"
#include "cli/units.h"

namespace volacor::cli {

// Values converted into unit; empty values are null.
nlohmann::ordered_json OutcomeToJson(const StreamOutcome& outcome, PressureUnit unit);
// Reads back what OutcomeToJson wrote with PressureUnit::kPa; throws
// nlohmann::ordered_json::exception on another shape.
StreamOutcome OutcomeFromJson(const nlohmann::ordered_json& json);

}  // namespace volacor::cli
