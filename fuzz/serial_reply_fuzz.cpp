// What a serial-bus module answers to "$00M": any nine bytes give a name of
// five characters, blanks where the reply says nothing usable.
#include <cstring>

#include "fuzz_support.h"
#include "pages/info/serial_module_query.h"

using namespace talvon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SerialModuleReply reply;
  reply.fill(' ');
  reply[9] = '\0';
  std::memcpy(reply.data(), data, size < 9 ? size : 9);
  const SerialModuleName name = ParseSerialModuleReply(reply);
  fuzz::Require(name[5] == '\0', "the name is not terminated");
  if (reply[0] != '!' || std::strlen(reply.data()) < 5) {
    fuzz::Require(std::memcmp(name.data(), NoSerialModuleName, 6) == 0, "an unusable reply gave a name");
    return 0;
  }
  // Each name character comes from the reply, or is a blank past its end.
  const std::size_t length = std::strlen(reply.data());
  for (std::size_t i = 0; i < 5; ++i) {
    const std::size_t from = 3 + i;
    const char wanted = from + 1 < length ? reply[from] : ' ';
    fuzz::Require(name[i] == wanted, "a name character is not the reply's");
  }
  return 0;
}
