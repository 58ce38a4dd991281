#include "cli/host_outcome.h"

#include "comrt/guid.h"

namespace volacor::cli {
namespace {

// The host numbers phases VAP, LIQ1, LIQ2, SOLID, FEED; the command shows FEED first.
std::size_t HostIndex(int phase) { return static_cast<std::size_t>((phase + kPhaseCount - 1) % kPhaseCount); }

}  // namespace

MethodIdentity IdentityOf(const refhost::MethodInfo& method) {
    char classId[GUID_STRING_CHARS + 1] = {};
    comrt_GuidToString(method.classId, classId, sizeof classId);
    return {std::string(method.shortName), std::string(method.displayName), std::string(method.progId), classId,
            method.feedOnly};
}

StreamOutcome OutcomeOf(const refhost::StreamCalculation& calculation, const std::string& name,
                        const std::string& source, double temperature_C) {
    StreamOutcome outcome;
    outcome.name = name;
    outcome.source = source;
    outcome.temperature_C = temperature_C;
    outcome.warnings = calculation.warnings;
    for (int p = 0; p < kPhaseCount; ++p) {
        outcome.phasePresent[static_cast<std::size_t>(p)] = calculation.present[HostIndex(p)];
    }
    for (const refhost::MethodCalculation& calculated : calculation.methods) {
        MethodOutcome method;
        method.method = IdentityOf(*calculated.method);
        for (int p = 0; p < kPhaseCount; ++p) {
            method.rvp_kPa[static_cast<std::size_t>(p)] = calculated.result.rvp_kPa[HostIndex(p)];
        }
        method.messages = calculated.result.messages;
        method.failure = calculated.failure;
        outcome.methods.push_back(std::move(method));
    }
    return outcome;
}

}  // namespace volacor::cli
