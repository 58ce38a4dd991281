#pragma once
// Stream-file text to a stream's description, as the package hands streams over.
#include <string>

#include "refhost/streams/stream_definition.h"

namespace volacor_python {

// Text from a file (firstLine >= 1) is read with the line of every field; text that the
// package wrote from Python arguments (firstLine 0) has no lines worth naming. Throws
// refhost::StreamInputError.
refhost::StreamDefinition ParseStreamDefinition(const std::string& text, const std::string& source, int firstLine);

}  // namespace volacor_python
