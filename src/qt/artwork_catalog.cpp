#include "qt/artwork_catalog.h"

#include <algorithm>

namespace talvon::qt {
namespace {

// Keep in ascending id order: FindArtwork searches it by halves.
constexpr ArtworkEntry kArtwork[] = {
    {128, ":/artwork/128_app_icon.svg", 32, 32, "application icon"},
    {140, ":/artwork/140_monitor_800x600.svg", 143, 129, "display preview: monitor at 800 x 600"},
    {141, ":/artwork/141_monitor_1024x768.svg", 143, 129, "display preview: monitor at 1024 x 768"},
    {142, ":/artwork/142_monitor_320x240.svg", 143, 129, "display preview: monitor at 320 x 240"},
    {143, ":/artwork/143_monitor_640x480.svg", 143, 129, "display preview: monitor at 640 x 480"},
    {163, ":/artwork/163_os_update.svg", 128, 128, "Update Version page picture: OS image into flash"},
    {164, ":/artwork/164_program_folder.svg", 128, 128, "Auto-execution page picture: folder of programs"},
    {188, ":/artwork/188_home_disc.svg", 256, 256, "home screen background: two-tone disc"},
    {189, ":/artwork/189_ball_black_light.svg", 48, 48, "home screen lower button: black ball on light ground"},
    {190, ":/artwork/190_ball_white_light.svg", 48, 48, "home screen lower button: white ball on light ground"},
    {191, ":/artwork/191_ball_white_dark.svg", 48, 48, "home screen upper button: white ball on dark ground"},
    {192, ":/artwork/192_ball_black_dark.svg", 48, 48, "home screen upper button: black ball on dark ground"},
    {194, ":/artwork/194_banner_configuration.svg", 215, 39, "home screen bottom banner: CONFIGURATION"},
    {195, ":/artwork/195_banner_information.svg", 204, 39, "home screen top banner: INFORMATION"},
    {196, ":/artwork/196_home.svg", 32, 32, "home icon"},
    {213, ":/artwork/213_logo_band.svg", 682, 60, "configuration sheet logo band"},
    {214, ":/artwork/214_save.svg", 32, 32, "save icon (Confirm Registry)"},
    {231, ":/artwork/231_server.svg", 128, 128, "Server Setting page picture"},
    {233, ":/artwork/233_memory.svg", 90, 90, "memory regulation picture"},
    {242, ":/artwork/242_resource_leaf.svg", 32, 32, "module tree: port resource leaf"},
    {269, ":/artwork/269_serial_port.svg", 32, 32, "module tree: serial port node"},
    {277, ":/artwork/277_rs485_2port_unregistered.svg", 32, 32, "module tree: two-port RS485 module, not registered"},
    {279, ":/artwork/279_rs485_2port_registered.svg", 32, 32, "module tree: two-port RS485 module, registered"},
    {280, ":/artwork/280_rs485_4port_unregistered.svg", 32, 32, "module tree: four-port RS485 module, not registered"},
    {281, ":/artwork/281_rs485_4port_registered.svg", 32, 32, "module tree: four-port RS485 module, registered"},
    {282, ":/artwork/282_rs232_2port_unregistered.svg", 32, 32, "module tree: two-port RS232 module, not registered"},
    {283, ":/artwork/283_rs232_2port_registered.svg", 32, 32, "module tree: two-port RS232 module, registered"},
    {284, ":/artwork/284_rs232_4port_unregistered.svg", 32, 32, "module tree: four-port RS232 module, not registered"},
    {285, ":/artwork/285_rs232_4port_registered.svg", 32, 32, "module tree: four-port RS232 module, registered"},
    {295, ":/artwork/295_module.svg", 32, 32, "module tree: ordinary module"},
    {296, ":/artwork/296_module_selected.svg", 32, 32, "module tree: ordinary module, selected"},
    {297, ":/artwork/297_rs485_2port_unregistered_selected.svg", 32, 32, "module tree: two-port RS485 module, not registered, selected"},
    {298, ":/artwork/298_rs485_2port_registered_selected.svg", 32, 32, "module tree: two-port RS485 module, registered, selected"},
    {299, ":/artwork/299_rs485_4port_unregistered_selected.svg", 32, 32, "module tree: four-port RS485 module, not registered, selected"},
    {300, ":/artwork/300_rs485_4port_registered_selected.svg", 32, 32, "module tree: four-port RS485 module, registered, selected"},
    {301, ":/artwork/301_rs232_2port_unregistered_selected.svg", 32, 32, "module tree: two-port RS232 module, not registered, selected"},
    {302, ":/artwork/302_rs232_2port_registered_selected.svg", 32, 32, "module tree: two-port RS232 module, registered, selected"},
    {303, ":/artwork/303_rs232_4port_unregistered_selected.svg", 32, 32, "module tree: four-port RS232 module, not registered, selected"},
    {304, ":/artwork/304_rs232_4port_registered_selected.svg", 32, 32, "module tree: four-port RS232 module, registered, selected"},
    {312, ":/artwork/312_touch_rs232.svg", 24, 24, "touch panel RS232 icon"},
    {313, ":/artwork/313_touch_usb.svg", 24, 24, "touch panel USB icon"},
};

}  // namespace

std::span<const ArtworkEntry> AllArtwork() { return kArtwork; }

const ArtworkEntry* FindArtwork(int id) {
  const auto* found = std::lower_bound(
      std::begin(kArtwork), std::end(kArtwork), id,
      [](const ArtworkEntry& entry, int wanted) { return entry.id < wanted; });
  if (found == std::end(kArtwork) || found->id != id) return nullptr;
  return found;
}

}  // namespace talvon::qt
