// talvon-utility: the configuration utility on a (simulated) controller.
#include <cstdio>
#include <iostream>

#include "runner/headless_main.h"

int main(int argc, char** argv) {
  if (talvon::runner::IsHeadlessInvocation(argc, argv)) {
    return talvon::runner::HeadlessMain(argc, argv, std::cout, std::cerr);
  }
  std::puts("talvon-utility: the window is not built yet; run with --headless --script FILE");
  return 0;
}
