#include "pages/newcard/new_card_page.h"

#include "pages/newcard/new_card_state.h"
#include "pages/newcard/new_card_texts.h"
#include "pages/newcard/resource_tree.h"
#include "pages/newcard/serial_port_registration.h"
#include "pages/newcard/slot_scan.h"
#include "pages/page_context.h"
#include "platform/message_box.h"
#include "platform/templates/ids_237.h"

namespace talvon {

using namespace ids237;
using namespace new_card_texts;

namespace {

constexpr Colour kInformationColour = RGB(255, 0, 0);
constexpr Colour kImageMask = RGB(255, 255, 255);
constexpr int kImageSize = 32;
constexpr int kImageListInitial = 12;
constexpr int kImageListGrowth = 4;

void InsertNodes(CTreeCtrl& tree, const std::vector<ResourceTreeNode>& nodes, TreeItemHandle parent) {
  for (const ResourceTreeNode& node : nodes) {
    const TreeItemHandle item = tree.InsertItem(node.text, node.image, node.selectedImage, parent);
    InsertNodes(tree, node.children, item);
  }
}

}  // namespace

CNewCardPage::CNewCardPage(PageContext& context, NewCardState& state)
    : CDialog(IDD), context_(context), state_(state) {
  Messages().OnCommand(kSlotScan, BN_CLICKED, [this] { ScanSlots(); });
  Messages().OnCommand(kChangeToNewModule, BN_CLICKED, [this] { OnChangeToNewModule(); });
  Messages().OnCommand(kRemovePorts, BN_CLICKED, [this] { OnRemoveSerialPorts(); });
  Messages().OnCtlColor([this](ControlColours& colours, int controlId) { OnCtlColor(colours, controlId); });
}

void CNewCardPage::DoDataExchange(DataExchange& exchange) {
  exchange.Control(kChangeToNewModule, changeButton_);
  exchange.Control(kResourceTree, tree_);
}

bool CNewCardPage::OnInitDialog() {
  CDialog::OnInitDialog();
  images_.Create(context_.backend, kImageSize, kImageSize, ILC_COLOR32 | ILC_MASK, kImageListInitial,
                 kImageListGrowth);
  for (int bitmap : ResourceTreeBitmaps) images_.Add(bitmap, kImageMask);
  ScanSlots();
  return true;
}

void CNewCardPage::ScanSlots() {
  const SlotScanResult scan = talvon::ScanSlots(context_.platform.sdk, state_.slotScanTable);
  for (int slot = 1; slot <= NewCardSlotCount; ++slot) {
    SetDlgItemText(kFirstSlotLabel + slot - 1, scan.labels[static_cast<std::size_t>(slot - 1)]);
  }
  SetDlgItemText(kInformationLine, scan.informationLine);
  changeButton_.EnableWindow(scan.changeEnabled);
  FillResourceTree();
}

void CNewCardPage::FillResourceTree() {
  tree_.SetImageList(images_);
  // A rescan replaces the tree: one node per module, however often it runs.
  tree_.DeleteAllItems();
  InsertNodes(tree_, ResourceTreeNodes(context_.platform.registry, state_.slotScanTable), TVI_ROOT);
}

int CNewCardPage::SelectedSlot() const { return talvon::SelectedSlot(tree_); }

void CNewCardPage::OnChangeToNewModule() {
  const SerialPortRoles roles{context_.platform.registry, context_.platform.sdk, context_.appBoxes};
  switch (ChangeToNewModule(roles, {state_.slotScanTable, state_.PairHighSlot}, SelectedSlot())) {
    case ModuleChange::Rebooting:
      break;
    case ModuleChange::NotCommunicationModule:
      MessageBox(kNotComPortModule, kAlarmCaption, MB_ICONSTOP);
      break;
    case ModuleChange::SetFailed:
      context_.appBoxes.AppMessageBox(kSetValueFailed, MB_ICONSTOP);
      break;
    case ModuleChange::FlushFailed:
      context_.appBoxes.AppMessageBox(kFlushFailed, MB_ICONSTOP);
      break;
  }
}

void CNewCardPage::OnRemoveSerialPorts() {
  const SerialPortRoles roles{context_.platform.registry, context_.platform.sdk, context_.appBoxes};
  if (RemoveSerialPorts(roles) == PortRemoval::FlushFailed) {
    context_.appBoxes.AppMessageBox(kFlushFailed, MB_ICONSTOP);
  }
}

void CNewCardPage::OnCtlColor(ControlColours& colours, int controlId) {
  if (controlId == kInformationLine) colours.textColour = kInformationColour;
}

}  // namespace talvon
