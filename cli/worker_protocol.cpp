#include "cli/worker_protocol.h"

#include <nlohmann/json.hpp>

#include "cli/outcome_json.h"

namespace volacor::cli {

std::string WorkerRequest(const BatchEntry& entry, const std::string& file) {
    return nlohmann::json{{"text", entry.text}, {"source", file}, {"line", entry.line}, {"name", entry.name}}.dump();
}

StreamRequest ParseWorkerRequest(const std::string& line) {
    const nlohmann::json request = nlohmann::json::parse(line);
    return {request.at("text").get<std::string>(), request.at("source").get<std::string>(),
            request.at("line").get<int>(), request.value("name", std::string())};
}

StreamOutcome AnswerOutcome(const WorkerAnswer& answer, const BatchEntry& entry, const std::string& file) {
    std::string failure = answer.failure;
    if (failure.empty()) {
        try {
            return OutcomeFromJson(nlohmann::ordered_json::parse(answer.line));
        } catch (const nlohmann::ordered_json::exception&) {
            failure = "the calculation process gave an answer that cannot be read";
        }
    }
    StreamOutcome outcome;
    outcome.name = entry.name;
    outcome.source = file + ":" + std::to_string(entry.line);
    outcome.error = outcome.source + ": the stream was not calculated: " + failure + ".";
    return outcome;
}

}  // namespace volacor::cli
