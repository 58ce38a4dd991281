// A progress bar on standard error, drawn only when standard error is a terminal, so
// that logs and pipes get nothing but diagnostics.
#pragma once

#include <cstddef>

namespace volacor::cli {

class ProgressBar {
public:
    // Draws nothing when disabled or when standard error is not a terminal.
    explicit ProgressBar(bool wanted);
    ~ProgressBar();  // clears the bar
    void Update(std::size_t done, std::size_t total);

private:
    bool drawing_;
    bool drawn_ = false;
};

}  // namespace volacor::cli
