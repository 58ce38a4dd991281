// Which phases a stream's output shows, which phase a method's message is about, and the
// rows of the per-phase output (CSV, the Python package's frames) with their messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/outcome.h"

namespace volacor::cli {

// FEED always, the phases present in the stream, and any phase a method gave a value for, in the
// order FEED, VAP, LIQ1, LIQ2, SOLID.
std::vector<int> ShownPhases(const StreamOutcome& outcome);
// The phase a message line names ("Phase: VAP - ..."), or -1 for a line that names none.
int MessagePhase(std::string_view message);

// One method's result for one shown phase, with the messages about that phase.
struct PhaseRow {
    const MethodOutcome* method = nullptr;  // into the outcome the rows were made from
    int phase = 0;
    std::vector<std::string> messages;
};
// A row per method and shown phase, methods in order. A message goes to the row of the
// phase it names, one naming no shown phase to the method's first row, so none is lost.
std::vector<PhaseRow> PhaseRows(const StreamOutcome& outcome);

}  // namespace volacor::cli
