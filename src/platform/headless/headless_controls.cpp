// The control operations of the headless backend: each changes the control's
// in-memory state as the real control would.
#include <algorithm>

#include "platform/headless/headless_backend.h"

namespace talvon {
namespace {

constexpr int kTabItemTop = 2;
constexpr int kTabItemHeight = 20;

int TabItemWidth(const std::string& text) { return 12 + 6 * static_cast<int>(text.size()); }

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

}  // namespace

bool HeadlessBackend::HasControl(WindowHandle window, int controlId) {
  return FindControl(window, controlId) != nullptr;
}

void HeadlessBackend::SetControlText(WindowHandle window, int controlId, std::string_view text) {
  if (HeadlessControl* c = FindControl(window, controlId)) c->text = std::string(text);
}

std::string HeadlessBackend::GetControlText(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr ? c->text : std::string();
}

void HeadlessBackend::EnableControl(WindowHandle window, int controlId, bool enable) {
  if (HeadlessControl* c = FindControl(window, controlId)) c->enabled = enable;
}

bool HeadlessBackend::IsControlEnabled(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr && c->enabled;
}

void HeadlessBackend::ShowControl(WindowHandle window, int controlId, bool show) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return;
  if (show && !c->visible && c->item->kind == ControlKind::Trackbar) c->needsPaint = true;
  c->visible = show;
}

bool HeadlessBackend::IsControlVisible(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr && c->visible;
}

void HeadlessBackend::InvalidateControl(WindowHandle window, int controlId, bool) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c != nullptr && c->item->kind == ControlKind::Trackbar) c->needsPaint = true;
}

void HeadlessBackend::SetCheck(WindowHandle window, int controlId, int state) {
  if (HeadlessControl* c = FindControl(window, controlId)) c->check = state;
}

int HeadlessBackend::GetCheck(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr ? c->check : BST_UNCHECKED;
}

void HeadlessBackend::SetPasswordChar(WindowHandle window, int controlId, char16_t passwordChar) {
  if (HeadlessControl* c = FindControl(window, controlId)) c->passwordChar = passwordChar;
}

char16_t HeadlessBackend::GetPasswordChar(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr ? c->passwordChar : 0;
}

ImageHandle HeadlessBackend::GetControlImage(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr ? c->image : 0;
}

ImageHandle HeadlessBackend::SetControlImage(WindowHandle window, int controlId, ImageHandle image) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return 0;
  const ImageHandle previous = c->image;
  c->image = image;
  return previous;
}

// ---- Combo boxes ----

int HeadlessBackend::ComboAddString(WindowHandle window, int controlId, std::string_view text) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return CB_ERR;
  c->comboItems.emplace_back(text);
  return static_cast<int>(c->comboItems.size()) - 1;
}

void HeadlessBackend::ComboResetContent(WindowHandle window, int controlId) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return;
  c->comboItems.clear();
  c->comboSelection = CB_ERR;
  c->text.clear();
}

int HeadlessBackend::ComboGetCount(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr ? static_cast<int>(c->comboItems.size()) : 0;
}

std::string HeadlessBackend::ComboGetItemText(WindowHandle window, int controlId, int index) {
  const HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->comboItems.size())) return {};
  return c->comboItems[static_cast<std::size_t>(index)];
}

int HeadlessBackend::ComboSetCurSel(WindowHandle window, int controlId, int index) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return CB_ERR;
  if (index < 0 || index >= static_cast<int>(c->comboItems.size())) {
    c->comboSelection = CB_ERR;
    c->text.clear();
    return CB_ERR;
  }
  c->comboSelection = index;
  c->text = c->comboItems[static_cast<std::size_t>(index)];  // the edit field shows the selected item
  return index;
}

int HeadlessBackend::ComboGetCurSel(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr ? c->comboSelection : CB_ERR;
}

// ---- Trackbars ----

void HeadlessBackend::TrackbarSetRange(WindowHandle window, int controlId, int minimum, int maximum, bool redraw) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return;
  c->trackbar.minimum = minimum;
  c->trackbar.maximum = maximum;
  c->trackbar.position = Clamp(c->trackbar.position, minimum, std::max(minimum, maximum));
  if (redraw) c->needsPaint = true;
}

void HeadlessBackend::TrackbarSetTickFrequency(WindowHandle window, int controlId, int frequency) {
  if (HeadlessControl* c = FindControl(window, controlId)) c->trackbar.tickFrequency = frequency;
}

int HeadlessBackend::TrackbarSetPageSize(WindowHandle window, int controlId, int pageSize) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return 0;
  const int previous = c->trackbar.pageSize;
  c->trackbar.pageSize = pageSize;
  return previous;
}

void HeadlessBackend::TrackbarSetPosition(WindowHandle window, int controlId, int position, bool redraw) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return;
  c->trackbar.position = Clamp(position, c->trackbar.minimum, std::max(c->trackbar.minimum, c->trackbar.maximum));
  if (redraw) c->needsPaint = true;
}

void HeadlessBackend::TrackbarSetSelection(WindowHandle window, int controlId, int start, int end, bool redraw) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return;
  c->trackbar.selectionStart = start;
  c->trackbar.selectionEnd = end;
  if (redraw) c->needsPaint = true;
}

TrackbarState HeadlessBackend::GetTrackbar(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr ? c->trackbar : TrackbarState{};
}

// ---- Progress bars ----

int HeadlessBackend::ProgressSetStep(WindowHandle window, int controlId, int step) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return 0;
  const int previous = c->progress.step;
  c->progress.step = step;
  return previous;
}

void HeadlessBackend::ProgressSetRange(WindowHandle window, int controlId, int minimum, int maximum) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return;
  c->progress.minimum = minimum;
  c->progress.maximum = maximum;
  c->progress.position = Clamp(c->progress.position, minimum, std::max(minimum, maximum));
}

int HeadlessBackend::ProgressSetPosition(WindowHandle window, int controlId, int position) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return 0;
  const int previous = c->progress.position;
  c->progress.position = Clamp(position, c->progress.minimum, std::max(c->progress.minimum, c->progress.maximum));
  return previous;
}

int HeadlessBackend::ProgressStepIt(WindowHandle window, int controlId) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return 0;
  const int previous = c->progress.position;
  int next = previous + c->progress.step;
  // Past the end the bar starts over from the beginning.
  if (next > c->progress.maximum) next = c->progress.minimum + (next - c->progress.maximum);
  c->progress.position = Clamp(next, c->progress.minimum, std::max(c->progress.minimum, c->progress.maximum));
  return previous;
}

ProgressState HeadlessBackend::GetProgress(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr ? c->progress : ProgressState{};
}

// ---- Tab controls ----

int HeadlessBackend::TabInsertItem(WindowHandle window, int controlId, int index, std::string_view text) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr || index < 0) return -1;
  const int count = static_cast<int>(c->tabs.size());
  const int at = std::min(index, count);
  c->tabs.insert(c->tabs.begin() + at, std::string(text));
  if (c->tabSelection < 0) {
    c->tabSelection = 0;  // the first item becomes the selected one
  } else if (at <= c->tabSelection) {
    ++c->tabSelection;
  }
  return at;
}

int HeadlessBackend::TabGetCurSel(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr ? c->tabSelection : -1;
}

int HeadlessBackend::TabSetCurSel(WindowHandle window, int controlId, int index) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr || index < -1 || index >= static_cast<int>(c->tabs.size())) return -1;
  const int previous = c->tabSelection;
  c->tabSelection = index;  // -1 leaves no tab selected
  return previous;
}

int HeadlessBackend::TabGetItemCount(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr ? static_cast<int>(c->tabs.size()) : 0;
}

std::string HeadlessBackend::TabGetItemText(WindowHandle window, int controlId, int index) {
  const HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr || index < 0 || index >= static_cast<int>(c->tabs.size())) return {};
  return c->tabs[static_cast<std::size_t>(index)];
}

bool HeadlessBackend::TabGetItemRect(WindowHandle window, int controlId, int index, Rect* rect) {
  const HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr || rect == nullptr || index < 0 || index >= static_cast<int>(c->tabs.size())) return false;
  int left = 2;
  for (int i = 0; i < index; ++i) left += TabItemWidth(c->tabs[static_cast<std::size_t>(i)]);
  *rect = Rect{left, kTabItemTop, left + TabItemWidth(c->tabs[static_cast<std::size_t>(index)]),
               kTabItemTop + kTabItemHeight};
  return true;
}

Rect HeadlessBackend::GetControlClientRect(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr ? Rect{0, 0, c->rect.Width(), c->rect.Height()} : Rect{};
}

// ---- Trees ----

TreeItemHandle HeadlessBackend::NewTreeItem() { return nextTreeItem_++; }

void HeadlessBackend::TreeSetImageList(WindowHandle window, int controlId, ImageListHandle list) {
  if (HeadlessControl* c = FindControl(window, controlId)) c->treeImages = list;
}

TreeItemHandle HeadlessBackend::TreeInsertItem(WindowHandle window, int controlId, TreeItemHandle parent,
                                               std::string_view text, int image, int selectedImage) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return 0;
  if (parent != TVI_ROOT && !c->treeItems.contains(parent)) return 0;
  const TreeItemHandle handle = NewTreeItem();
  c->treeItems[handle] = HeadlessTreeItem{parent, std::string(text), image, selectedImage, {}};
  if (parent == TVI_ROOT) {
    c->treeRoots.push_back(handle);
  } else {
    c->treeItems[parent].children.push_back(handle);
  }
  return handle;
}

void HeadlessBackend::TreeDeleteAllItems(WindowHandle window, int controlId) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return;
  c->treeItems.clear();
  c->treeRoots.clear();
  c->treeSelection = 0;
}

TreeItemHandle HeadlessBackend::TreeGetSelection(WindowHandle window, int controlId) {
  const HeadlessControl* c = FindControl(window, controlId);
  return c != nullptr ? c->treeSelection : 0;
}

bool HeadlessBackend::TreeSelectItem(WindowHandle window, int controlId, TreeItemHandle item) {
  HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr || (item != 0 && !c->treeItems.contains(item))) return false;
  c->treeSelection = item;
  return true;
}

TreeItemHandle HeadlessBackend::TreeGetParent(WindowHandle window, int controlId, TreeItemHandle item) {
  const HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return 0;
  auto it = c->treeItems.find(item);
  return it != c->treeItems.end() ? it->second.parent : 0;
}

TreeItemHandle HeadlessBackend::TreeGetChild(WindowHandle window, int controlId, TreeItemHandle item) {
  const HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return 0;
  if (item == TVI_ROOT) return c->treeRoots.empty() ? 0 : c->treeRoots.front();
  auto it = c->treeItems.find(item);
  if (it == c->treeItems.end() || it->second.children.empty()) return 0;
  return it->second.children.front();
}

TreeItemHandle HeadlessBackend::TreeGetNextSibling(WindowHandle window, int controlId, TreeItemHandle item) {
  const HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr) return 0;
  auto it = c->treeItems.find(item);
  if (it == c->treeItems.end()) return 0;
  const std::vector<TreeItemHandle>& siblings =
      it->second.parent == TVI_ROOT ? c->treeRoots : c->treeItems.at(it->second.parent).children;
  auto pos = std::find(siblings.begin(), siblings.end(), item);
  if (pos == siblings.end() || pos + 1 == siblings.end()) return 0;
  return *(pos + 1);
}

bool HeadlessBackend::TreeGetItem(WindowHandle window, int controlId, TreeItemHandle item, TreeItemInfo* info) {
  const HeadlessControl* c = FindControl(window, controlId);
  if (c == nullptr || info == nullptr) return false;
  auto it = c->treeItems.find(item);
  if (it == c->treeItems.end()) return false;
  info->text = it->second.text;
  info->image = it->second.image;
  info->selectedImage = it->second.selectedImage;
  return true;
}

// ---- Image lists ----

ImageListHandle HeadlessBackend::CreateImageList(int cx, int cy, std::uint32_t, int, int) {
  if (cx <= 0 || cy <= 0) return 0;
  const ImageListHandle handle = nextImageList_++;
  imageLists_[handle] = {};
  return handle;
}

int HeadlessBackend::ImageListAddBitmap(ImageListHandle list, int bitmapId, Colour) {
  auto it = imageLists_.find(list);
  if (it == imageLists_.end()) return -1;
  it->second.push_back(bitmapId);
  return static_cast<int>(it->second.size()) - 1;
}

void HeadlessBackend::DestroyImageList(ImageListHandle list) { imageLists_.erase(list); }

}  // namespace talvon
