// REGEDIT4 text as factory.reg holds it: any text imports or is refused
// with a line number, a refused text leaves the store as it was, and an
// imported tree exports to a text that imports to the same tree.
#include <string_view>

#include "fuzz_support.h"
#include "sim/registry/reg_text.h"

using namespace talvon;
using namespace talvon::sim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  RegistryStore store;
  RegistryKey* key = nullptr;
  store.Root().CreatePath("Before\\Import", &key, nullptr);
  const std::string before = ExportRegText(store);

  const RegTextResult result = ImportRegText(text, store);
  if (!result.ok) {
    fuzz::Require(result.line > 0 && !result.error.empty(), "a refusal names no line");
    fuzz::Require(ExportRegText(store) == before, "a refused text changed the store");
    return 0;
  }
  const std::string exported = ExportRegText(store);
  RegistryStore again;
  const RegTextResult reimport = ImportRegText(exported, again);
  fuzz::Require(reimport.ok, "an exported tree does not import");
  fuzz::Require(ExportRegText(again) == exported, "the tree changed on the way round");
  return 0;
}
