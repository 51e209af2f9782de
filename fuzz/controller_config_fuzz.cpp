// controller.json as a person may have edited it: any text loads or is
// refused with a message, and a loaded configuration (its flash section
// too) saves to a text that loads to the same configuration.
#include <string_view>

#include "fuzz_support.h"
#include "sim/controller/controller_config.h"
#include "sim/flash/flash_config.h"
#include "sim/controller/simulated_controller.h"

using namespace talvon;
using namespace talvon::sim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::optional<ControllerConfig> config = ParseControllerConfig(text, &error);
  if (!config) {
    fuzz::Require(!error.empty(), "a refused configuration says nothing");
    return 0;
  }
  const std::string saved = ControllerConfigToJson(*config);
  const std::optional<ControllerConfig> again = ParseControllerConfig(saved, &error);
  fuzz::Require(again.has_value(), "a saved configuration does not load");
  fuzz::Require(ControllerConfigToJson(*again) == saved, "the configuration changed on the way round");

  std::string why;
  if (const std::optional<FlashConfig> flash = FlashConfigOf(*config, &why)) {
    std::string invalid;
    fuzz::Require(ValidateFlashConfig(*flash, &invalid), "a loaded flash section is not valid");
    FlashConfig back;
    fuzz::Require(ParseFlashConfig(FlashConfigToJson(*flash), &back, &invalid), "a saved flash section does not load");
  } else {
    fuzz::Require(!why.empty(), "a refused flash section says nothing");
  }
  return 0;
}
