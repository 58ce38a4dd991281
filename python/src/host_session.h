#pragma once
// The reference host as the package uses it: one correlation manager per library file,
// kept for the life of the process (or until Release), and the calculations of a
// stream by the chosen methods, answered as JSON text in the command-line tool's
// layout (values in kPa).
#include <optional>
#include <string>
#include <vector>

namespace volacor_python {

struct RvpRequest {
  std::string library;               // path of libvolacor.so
  std::vector<std::string> methods;  // short names, class names or ProgIDs; empty: all nine
  double temperature_C = 37.78;
  std::optional<double> removeNcPercent;
  std::optional<double> vlRatio;
  std::string eos = "pr";            // "pr" or "srk"
};

// The stream is stream-file text (firstLine 0: written from Python arguments). Throws
// refhost::StreamInputError for a bad stream, std::invalid_argument for an unknown
// method, equation of state or a stream that cannot be made up, and
// refhost::CorrelationError when the library cannot be reached.
std::string CalculateRvpJson(const std::string& text, const std::string& source, int firstLine,
                             const RvpRequest& request);

// The host's flash of the stream at T and either P or a vapour fraction, as JSON text.
std::string FlashJson(const std::string& text, const std::string& source, int firstLine, const std::string& eos,
                      double temperature_C, std::optional<double> pressure_kPa,
                      std::optional<double> vapourFraction);

// The host's stream analysis of each phase at the stream's own conditions, as JSON.
std::string AnalysisJson(const std::string& text, const std::string& source, int firstLine,
                         const std::string& eos);

// The nine methods of the host's table as JSON.
std::string MethodsJson();

// Lets the managers and this thread's correlation objects go (called when the
// interpreter exits); objects kept by other threads hold the library until they end.
void ReleaseManagers();

}  // namespace volacor_python
