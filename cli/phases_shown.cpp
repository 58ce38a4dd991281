#include "cli/phases_shown.h"

#include <algorithm>
#include <string>

namespace volacor::cli {

std::vector<int> ShownPhases(const StreamOutcome& outcome) {
    std::vector<int> shown;
    for (int p = 0; p < kPhaseCount; ++p) {
        const auto index = static_cast<std::size_t>(p);
        bool show = p == static_cast<int>(Phase::Feed) || outcome.phasePresent[index];
        for (const MethodOutcome& m : outcome.methods) show = show || m.rvp_kPa[index].has_value();
        if (show) shown.push_back(p);
    }
    return shown;
}

int MessagePhase(std::string_view message) {
    constexpr std::string_view prefix = "Phase: ";
    if (!message.starts_with(prefix)) return -1;
    message.remove_prefix(prefix.size());
    for (int p = 0; p < kPhaseCount; ++p) {
        const std::string name = std::string(PhaseName(p)) + " - ";
        if (message.starts_with(name)) return p;
    }
    return -1;
}

std::vector<PhaseRow> PhaseRows(const StreamOutcome& outcome) {
    const std::vector<int> phases = ShownPhases(outcome);
    std::vector<PhaseRow> rows;
    for (const MethodOutcome& m : outcome.methods) {
        const std::size_t first = rows.size();
        for (int p : phases) rows.push_back({&m, p, {}});
        for (const std::string& message : m.messages) {
            const auto shown = std::find(phases.begin(), phases.end(), MessagePhase(message));
            const std::size_t at = shown == phases.end() ? 0 : static_cast<std::size_t>(shown - phases.begin());
            rows[first + at].messages.push_back(message);
        }
    }
    return rows;
}

}  // namespace volacor::cli
