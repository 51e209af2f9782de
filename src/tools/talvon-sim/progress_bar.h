#pragma once
#include <cstdio>
#include <string>

#include "sim/controller/controller_recovery.h"

namespace talvon::sim {

// A progress bar on the terminal: one line redrawn in place, and only when
// standard output is a terminal, so redirected output stays clean.
class TerminalProgressBar final : public ConsoleProgress {
 public:
  explicit TerminalProgressBar(std::FILE* out);
  void Show(std::string_view step, std::uint64_t done, std::uint64_t total) override;
  void End() override;

 private:
  std::FILE* out_;
  bool enabled_;
  bool drawn_ = false;
  int lastPermille_ = -1;
  std::string lastStep_;
};

}  // namespace talvon::sim
