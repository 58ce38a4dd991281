#include "python/src/stream_text.h"

#include <nlohmann/json.hpp>

#include "refhost/streams/stream_reader.h"

namespace volacor_python {

refhost::StreamDefinition ParseStreamDefinition(const std::string& text, const std::string& source, int firstLine) {
  if (firstLine >= 1) return refhost::ParseStreamText(text, source, firstLine);
  return refhost::ParseStreamObject(nlohmann::ordered_json::parse(text), source);
}

}  // namespace volacor_python
