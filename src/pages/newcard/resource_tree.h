#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pages/newcard/slot_scan.h"
#include "platform/controls.h"
#include "platform/registry.h"

namespace talvon {

// The tree's image list: bitmap resource of each index, in index order.
// Communication modules have a registered and a not-registered pair (normal,
// selected) per identifier, at the indices the module table names.
inline constexpr std::array<int, 20> ResourceTreeBitmaps = {
    283, 302, 282, 301,  // two-port RS232: registered, not registered
    285, 304, 284, 303,  // four-port RS232
    279, 298, 277, 297,  // two-port RS485
    281, 300, 280, 299,  // four-port RS485
    242,                 // resource leaf
    295, 296,            // ordinary module (normal, selected)
    269,                 // port node
};
inline constexpr int ResourceLeafImage = 16;
inline constexpr int OrdinaryModuleImage = 17;  // selected: 18
inline constexpr int PortNodeImage = 19;

// How the registry's serial-port keys cover the module in a slot.
enum class SlotRegistration {
  NotRegistered,
  AllPorts,  // Serial5's IoBase is the module's first port: it has COM5 onward
  HighPair,  // Serial7's IoBase is the module's port for position 2: it has COM7 and COM8
};

// Reads "IoBase" of Serial5 and Serial7; a key or value that is missing or not
// a 4-byte REG_DWORD counts as no value.
SlotRegistration RegistrationOf(Registry& registry, int slot, int identifier);

struct ResourceTreeNode {
  std::string text;
  int image = 0;
  int selectedImage = 0;
  std::vector<ResourceTreeNode> children;
};

// The module nodes of every slot with a module text, in slot order: a
// communication module with the images of its registration and, when
// registered, its port nodes with the I/O base and SYSINTR leaves; an
// ordinary module with no children.
std::vector<ResourceTreeNode> ResourceTreeNodes(Registry& registry, const SlotScanTable& table);

// The slot digit of a module node's text ("Slot_3: R-8142" is 3); 0 when the
// sixth character is not a digit 1 to 9.
int SlotDigitOf(std::string_view text);

// The slot of the tree's selection: its own digit, else the nearest
// ancestor's. 0 when nothing is selected or no item up to the root names a
// slot 1 to 7.
int SelectedSlot(const CTreeCtrl& tree);

}  // namespace talvon
