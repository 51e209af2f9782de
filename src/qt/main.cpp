// talvon-utility: the configuration utility on a (simulated) controller.
#include <cstdio>

int main() {
  std::puts("talvon-utility: not built yet");
  return 0;
}
