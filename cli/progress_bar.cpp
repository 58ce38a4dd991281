#include "cli/progress_bar.h"

#include <unistd.h>

#include <cstdio>
#include <string>

namespace volacor::cli {

ProgressBar::ProgressBar(bool wanted) : drawing_(wanted && ::isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
    if (drawn_) std::fputs("\r\033[K", stderr);
}

void ProgressBar::Update(std::size_t done, std::size_t total) {
    if (!drawing_ || total == 0) return;
    constexpr std::size_t kWidth = 30;
    const std::size_t filled = done * kWidth / total;
    const std::string bar = std::string(filled, '#') + std::string(kWidth - filled, '.');
    std::fprintf(stderr, "\rCalculating streams [%s] %zu of %zu", bar.c_str(), done, total);
    std::fflush(stderr);
    drawn_ = true;
}

}  // namespace volacor::cli
