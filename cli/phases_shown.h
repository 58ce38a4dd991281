// Which phases a stream's output shows, and which phase a method's message is about.
#pragma once

#include <string_view>
#include <vector>

#include "cli/outcome.h"

namespace volacor::cli {

// FEED always, the phases present in the stream, and any phase a method gave a value for, in the
// order FEED, VAP, LIQ1, LIQ2, SOLID.
std::vector<int> ShownPhases(const StreamOutcome& outcome);
// The phase a message line names ("Phase: VAP - ..."), or -1 for a line that names none.
int MessagePhase(std::string_view message);

}  // namespace volacor::cli
