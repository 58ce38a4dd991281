#include "cli/outcome_json.h"

namespace volacor::cli {

using json = nlohmann::ordered_json;

json OutcomeToJson(const StreamOutcome& outcome, PressureUnit unit) {
    json out = {{"stream", outcome.name}, {"source", outcome.source}};
    if (!outcome.error.empty()) {
        out["error"] = outcome.error;
        out["bad_input"] = outcome.badInput;
        return out;
    }
    out["temperature_C"] = outcome.temperature_C;
    out["unit"] = std::string(UnitName(unit));
    json phases = json::array();
    for (int p = 0; p < kPhaseCount; ++p) {
        if (outcome.phasePresent[static_cast<std::size_t>(p)]) phases.push_back(PhaseName(p));
    }
    out["phases"] = std::move(phases);
    json methods = json::array();
    for (const MethodOutcome& m : outcome.methods) {
        json rvp = json::object();
        for (int p = 0; p < kPhaseCount; ++p) {
            const auto& value = m.rvp_kPa[static_cast<std::size_t>(p)];
            rvp[PhaseName(p)] = value ? json(FromKilopascal(*value, unit)) : json(nullptr);
        }
        json method = {{"short_name", m.method.shortName},
                       {"display_name", m.method.displayName},
                       {"prog_id", m.method.progId},
                       {"class_id", m.method.classId},
                       {"feed_only", m.method.feedOnly},
                       {"rvp", std::move(rvp)},
                       {"messages", m.messages}};
        if (!m.failure.empty()) method["failure"] = m.failure;
        methods.push_back(std::move(method));
    }
    out["methods"] = std::move(methods);
    out["warnings"] = outcome.warnings;
    return out;
}

StreamOutcome OutcomeFromJson(const json& in) {
    StreamOutcome outcome;
    outcome.name = in.at("stream").get<std::string>();
    outcome.source = in.at("source").get<std::string>();
    if (in.contains("error")) {
        outcome.error = in.at("error").get<std::string>();
        outcome.badInput = in.value("bad_input", false);
        return outcome;
    }
    outcome.temperature_C = in.at("temperature_C").get<double>();
    for (const json& phase : in.at("phases")) {
        for (int p = 0; p < kPhaseCount; ++p) {
            if (phase.get<std::string>() == PhaseName(p)) outcome.phasePresent[static_cast<std::size_t>(p)] = true;
        }
    }
    for (const json& method : in.at("methods")) {
        MethodOutcome m;
        m.method = {method.at("short_name").get<std::string>(), method.at("display_name").get<std::string>(),
                    method.at("prog_id").get<std::string>(), method.at("class_id").get<std::string>(),
                    method.value("feed_only", false)};
        const json& rvp = method.at("rvp");
        for (int p = 0; p < kPhaseCount; ++p) {
            const json& value = rvp.at(PhaseName(p));
            if (!value.is_null()) m.rvp_kPa[static_cast<std::size_t>(p)] = value.get<double>();
        }
        m.messages = method.at("messages").get<std::vector<std::string>>();
        m.failure = method.value("failure", std::string());
        outcome.methods.push_back(std::move(m));
    }
    outcome.warnings = in.value("warnings", std::vector<std::string>());
    return outcome;
}

}  // namespace volacor::cli
