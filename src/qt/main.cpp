// talvon-utility: the configuration utility on a (simulated) controller,
// in a window, or headless and driven by a script.
#include <iostream>

#include "qt/page_report.h"
#include "qt/window_main.h"
#include "runner/headless_main.h"

int main(int argc, char** argv) {
  if (talvon::runner::IsHeadlessInvocation(argc, argv)) {
    return talvon::runner::HeadlessMain(argc, argv, std::cout, std::cerr);
  }
  talvon::qt::ReportPagesShownFromEnvironment();
  return talvon::qt::WindowMain(argc, argv);
}
