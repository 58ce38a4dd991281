// Pieces of the registry file's format that the parser and the writer share.
#pragma once

namespace comrt::registry::detail {

inline constexpr char kHeaderLine[] = "comrt registry 1";
inline constexpr char kEndLine[] = "end";

}  // namespace comrt::registry::detail
