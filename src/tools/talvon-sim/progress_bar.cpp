#include "progress_bar.h"

#include <unistd.h>

namespace talvon::sim {

namespace {
constexpr int kWidth = 40;
}

TerminalProgressBar::TerminalProgressBar(std::FILE* out) : out_(out), enabled_(::isatty(::fileno(out)) == 1) {}

void TerminalProgressBar::Show(std::string_view step, std::uint64_t done, std::uint64_t total) {
  if (!enabled_ || total == 0) return;
  const int permille = static_cast<int>(done * 1000 / total);
  // Redraw only when something visible changes: the flash work is fast.
  if (permille == lastPermille_ && step == lastStep_) return;
  lastPermille_ = permille;
  lastStep_ = step;
  const int filled = permille * kWidth / 1000;
  std::fprintf(out_, "\r%-8.*s [%.*s%*s] %3d%%", static_cast<int>(step.size()), step.data(), filled,
               "########################################", kWidth - filled, "", permille / 10);
  std::fflush(out_);
  drawn_ = true;
}

void TerminalProgressBar::End() {
  if (!drawn_) return;
  std::fputc('\n', out_);
  std::fflush(out_);
  drawn_ = false;
  lastPermille_ = -1;
  lastStep_.clear();
}

}  // namespace talvon::sim
