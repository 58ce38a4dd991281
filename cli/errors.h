// The two kinds of failure the command tells apart in its exit status: input the user
// can mend (a bad option, an unreadable or invalid stream file; exit 2) and everything
// else (exit 1).
#pragma once

#include <stdexcept>
#include <string>

namespace volacor::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitBadInput = 2;

// A problem with what the user gave: the message is one sentence for a person.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace volacor::cli
