// What the batch and its worker processes say to each other, one JSON line each way:
// the request carries one stream's text and where it comes from, the answer is the
// stream's outcome in kPa (cli/outcome_json.h).
#pragma once

#include <string>

#include "cli/batch_reader.h"
#include "cli/outcome.h"
#include "cli/worker_pool.h"

namespace volacor::cli {

struct StreamRequest {
    std::string text;    // the stream as the JSON text of a stream file
    std::string source;  // the batch file
    int line = 0;        // the line of the batch file it starts on
    std::string name;    // the name to report if the text cannot be read
};

std::string WorkerRequest(const BatchEntry& entry, const std::string& file);
// Throws nlohmann::json::exception for a line that is not a request.
StreamRequest ParseWorkerRequest(const std::string& line);
// The outcome a worker answered, or the stream's failure when the worker gave none.
StreamOutcome AnswerOutcome(const WorkerAnswer& answer, const BatchEntry& entry, const std::string& file);

}  // namespace volacor::cli
