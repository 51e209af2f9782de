// The control operations of the Qt backend: each changes its widget as the
// real control would, without reporting anything back to the dialog. An
// operation that leaves a control showing what it showed repaints nothing:
// a dialog may set the same text or picture on every tick or every paint
// (the resolution slider's custom draw does), and a repaint of one control
// paints whatever overlaps it, which may ask for the same again.
#include <algorithm>

#include "qt/progress_widget.h"
#include "qt/qt_dialog_backend.h"
#include "qt/tab_control_widget.h"
#include "qt/trackbar_widget.h"

namespace talvon::qt {
namespace {

QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QtDialogBackend::Control* QtDialogBackend::FindControl(WindowHandle window, int controlId) {
  Window* w = Find(window);
  if (w == nullptr || controlId == IDC_STATIC) return nullptr;
  for (Control& c : w->controls) {
    if (c.item->id == controlId) return &c;
  }
  return nullptr;
}

template <typename Widget>
Widget* QtDialogBackend::ControlAs(WindowHandle window, int controlId) {
  Control* c = FindControl(window, controlId);
  return c != nullptr ? dynamic_cast<Widget*>(c->widget) : nullptr;
}

QWidget* QtDialogBackend::ControlWidget(WindowHandle window, int controlId) const {
  const Window* w = Find(window);
  if (w == nullptr || controlId == IDC_STATIC) return nullptr;
  for (const Control& c : w->controls) {
    if (c.item->id == controlId) return c.widget;
  }
  return nullptr;
}

void QtDialogBackend::MarkChanged(QWidget* widget) {
  widget->update();
  if (std::find(changed_.begin(), changed_.end(), widget) == changed_.end()) changed_.emplace_back(widget);
}

bool QtDialogBackend::HasControl(WindowHandle window, int controlId) { return FindControl(window, controlId) != nullptr; }

void QtDialogBackend::SetControlText(WindowHandle window, int controlId, std::string_view text) {
  Control* c = FindControl(window, controlId);
  if (c == nullptr) return;
  ControlBase* control = ControlOf(c->widget);
  const QString newText = ToQString(text);
  if (control->Text() == newText) return;
  control->SetText(newText);
  MarkChanged(c->widget);
}

std::string QtDialogBackend::GetControlText(WindowHandle window, int controlId) {
  Control* c = FindControl(window, controlId);
  return c != nullptr ? ControlOf(c->widget)->Text().toStdString() : std::string();
}

void QtDialogBackend::EnableControl(WindowHandle window, int controlId, bool enable) {
  const QuietFocus quiet(*this);
  Control* c = FindControl(window, controlId);
  if (c == nullptr || c->widget->isEnabled() == enable) return;
  c->widget->setEnabled(enable);
  MarkChanged(c->widget);
}

bool QtDialogBackend::IsControlEnabled(WindowHandle window, int controlId) {
  Control* c = FindControl(window, controlId);
  return c != nullptr && c->widget->isEnabled();
}

void QtDialogBackend::ShowControl(WindowHandle window, int controlId, bool show) {
  const QuietFocus quiet(*this);
  Control* c = FindControl(window, controlId);
  if (c != nullptr) c->widget->setVisible(show);
}

bool QtDialogBackend::IsControlVisible(WindowHandle window, int controlId) {
  Control* c = FindControl(window, controlId);
  return c != nullptr && !c->widget->isHidden();
}

void QtDialogBackend::InvalidateControl(WindowHandle window, int controlId, bool) {
  if (Control* c = FindControl(window, controlId)) c->widget->update();
}

void QtDialogBackend::SetCheck(WindowHandle window, int controlId, int state) {
  if (auto* box = ControlAs<CheckBoxWidget>(window, controlId)) box->setChecked(state == BST_CHECKED);
}

int QtDialogBackend::GetCheck(WindowHandle window, int controlId) {
  auto* box = ControlAs<CheckBoxWidget>(window, controlId);
  return box != nullptr && box->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void QtDialogBackend::SetPasswordChar(WindowHandle window, int controlId, char16_t passwordChar) {
  if (auto* edit = ControlAs<EditWidget>(window, controlId)) edit->SetPasswordChar(passwordChar);
}

char16_t QtDialogBackend::GetPasswordChar(WindowHandle window, int controlId) {
  auto* edit = ControlAs<EditWidget>(window, controlId);
  return edit != nullptr ? edit->PasswordChar() : 0;
}

ImageHandle QtDialogBackend::GetControlImage(WindowHandle window, int controlId) {
  Control* c = FindControl(window, controlId);
  return c != nullptr ? c->image : 0;
}

ImageHandle QtDialogBackend::SetControlImage(WindowHandle window, int controlId, ImageHandle image) {
  Control* c = FindControl(window, controlId);
  if (c == nullptr) return 0;
  const ImageHandle previous = c->image;
  c->image = image;
  auto* picture = dynamic_cast<PictureWidget*>(c->widget);
  const int artwork = ResourceOfImage(image);
  // Another handle of the same picture looks the same.
  if (picture != nullptr && picture->Artwork() != artwork) {
    picture->SetArtwork(artwork);
    MarkChanged(picture);
  }
  return previous;
}

// ---- Combo boxes ----

int QtDialogBackend::ComboAddString(WindowHandle window, int controlId, std::string_view text) {
  auto* combo = ControlAs<ComboWidget>(window, controlId);
  if (combo == nullptr) return CB_ERR;
  const int selection = combo->currentIndex();
  combo->addItem(ToQString(text));
  combo->setCurrentIndex(selection);  // adding never selects
  return combo->count() - 1;
}

void QtDialogBackend::ComboResetContent(WindowHandle window, int controlId) {
  if (auto* combo = ControlAs<ComboWidget>(window, controlId)) combo->clear();
}

int QtDialogBackend::ComboGetCount(WindowHandle window, int controlId) {
  auto* combo = ControlAs<ComboWidget>(window, controlId);
  return combo != nullptr ? combo->count() : 0;
}

std::string QtDialogBackend::ComboGetItemText(WindowHandle window, int controlId, int index) {
  auto* combo = ControlAs<ComboWidget>(window, controlId);
  if (combo == nullptr || index < 0 || index >= combo->count()) return {};
  return combo->itemText(index).toStdString();
}

int QtDialogBackend::ComboSetCurSel(WindowHandle window, int controlId, int index) {
  auto* combo = ControlAs<ComboWidget>(window, controlId);
  if (combo == nullptr) return CB_ERR;
  if (index < 0 || index >= combo->count()) {
    combo->setCurrentIndex(-1);
    return CB_ERR;
  }
  combo->setCurrentIndex(index);
  return index;
}

int QtDialogBackend::ComboGetCurSel(WindowHandle window, int controlId) {
  auto* combo = ControlAs<ComboWidget>(window, controlId);
  return combo != nullptr && combo->currentIndex() >= 0 ? combo->currentIndex() : CB_ERR;
}

// ---- Trackbars ----

void QtDialogBackend::TrackbarSetRange(WindowHandle window, int controlId, int minimum, int maximum, bool redraw) {
  auto* bar = ControlAs<TrackbarWidget>(window, controlId);
  if (bar == nullptr) return;
  const QSignalBlocker quiet(bar);
  const int top = std::max(minimum, maximum);
  if (bar->minimum() == minimum && bar->maximum() == top) return;
  bar->setRange(minimum, top);
  if (redraw) MarkChanged(bar);
}

void QtDialogBackend::TrackbarSetTickFrequency(WindowHandle window, int controlId, int frequency) {
  if (auto* bar = ControlAs<TrackbarWidget>(window, controlId)) bar->SetTickFrequency(frequency);
}

int QtDialogBackend::TrackbarSetPageSize(WindowHandle window, int controlId, int pageSize) {
  auto* bar = ControlAs<TrackbarWidget>(window, controlId);
  if (bar == nullptr) return 0;
  const int previous = bar->pageStep();
  bar->setPageStep(pageSize);
  return previous;
}

void QtDialogBackend::TrackbarSetPosition(WindowHandle window, int controlId, int position, bool redraw) {
  auto* bar = ControlAs<TrackbarWidget>(window, controlId);
  if (bar == nullptr) return;
  const QSignalBlocker quiet(bar);
  const int before = bar->value();
  bar->setValue(position);  // kept within the range
  if (redraw && bar->value() != before) MarkChanged(bar);
}

void QtDialogBackend::TrackbarSetSelection(WindowHandle window, int controlId, int start, int end, bool redraw) {
  auto* bar = ControlAs<TrackbarWidget>(window, controlId);
  if (bar == nullptr || (bar->SelectionStart() == start && bar->SelectionEnd() == end)) return;
  bar->SetSelection(start, end);
  if (redraw) MarkChanged(bar);
}

TrackbarState QtDialogBackend::GetTrackbar(WindowHandle window, int controlId) {
  auto* bar = ControlAs<TrackbarWidget>(window, controlId);
  if (bar == nullptr) return TrackbarState{};
  TrackbarState state;
  state.minimum = bar->minimum();
  state.maximum = bar->maximum();
  state.position = bar->value();
  state.tickFrequency = bar->TickFrequency();
  state.pageSize = bar->pageStep();
  state.selectionStart = bar->SelectionStart();
  state.selectionEnd = bar->SelectionEnd();
  return state;
}

// ---- Progress bars ----

int QtDialogBackend::ProgressSetStep(WindowHandle window, int controlId, int step) {
  auto* bar = ControlAs<ProgressWidget>(window, controlId);
  return bar != nullptr ? bar->SetStep(step) : 0;
}

void QtDialogBackend::ProgressSetRange(WindowHandle window, int controlId, int minimum, int maximum) {
  auto* bar = ControlAs<ProgressWidget>(window, controlId);
  if (bar == nullptr) return;
  const ProgressState before = bar->State();
  bar->SetRange(minimum, maximum);
  const ProgressState after = bar->State();
  if (after.minimum != before.minimum || after.maximum != before.maximum || after.position != before.position) {
    MarkChanged(bar);
  }
}

int QtDialogBackend::ProgressSetPosition(WindowHandle window, int controlId, int position) {
  auto* bar = ControlAs<ProgressWidget>(window, controlId);
  if (bar == nullptr) return 0;
  const int previous = bar->SetPosition(position);
  if (bar->State().position != previous) MarkChanged(bar);
  return previous;
}

int QtDialogBackend::ProgressStepIt(WindowHandle window, int controlId) {
  auto* bar = ControlAs<ProgressWidget>(window, controlId);
  if (bar == nullptr) return 0;
  const int previous = bar->StepIt();
  if (bar->State().position != previous) MarkChanged(bar);
  return previous;
}

ProgressState QtDialogBackend::GetProgress(WindowHandle window, int controlId) {
  auto* bar = ControlAs<ProgressWidget>(window, controlId);
  return bar != nullptr ? bar->State() : ProgressState{};
}

// ---- Tab controls ----

int QtDialogBackend::TabInsertItem(WindowHandle window, int controlId, int index, std::string_view text) {
  auto* tabs = ControlAs<TabControlWidget>(window, controlId);
  return tabs != nullptr ? tabs->InsertItem(index, ToQString(text)) : -1;
}

int QtDialogBackend::TabGetCurSel(WindowHandle window, int controlId) {
  auto* tabs = ControlAs<TabControlWidget>(window, controlId);
  return tabs != nullptr ? tabs->Selection() : -1;
}

int QtDialogBackend::TabSetCurSel(WindowHandle window, int controlId, int index) {
  auto* tabs = ControlAs<TabControlWidget>(window, controlId);
  return tabs != nullptr ? tabs->SetSelection(index) : -1;
}

int QtDialogBackend::TabGetItemCount(WindowHandle window, int controlId) {
  auto* tabs = ControlAs<TabControlWidget>(window, controlId);
  return tabs != nullptr ? tabs->Count() : 0;
}

std::string QtDialogBackend::TabGetItemText(WindowHandle window, int controlId, int index) {
  auto* tabs = ControlAs<TabControlWidget>(window, controlId);
  return tabs != nullptr ? tabs->ItemText(index).toStdString() : std::string();
}

bool QtDialogBackend::TabGetItemRect(WindowHandle window, int controlId, int index, Rect* rect) {
  auto* tabs = ControlAs<TabControlWidget>(window, controlId);
  if (tabs == nullptr || rect == nullptr || index < 0 || index >= tabs->Count()) return false;
  const QRect r = tabs->ItemRect(index);
  *rect = Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  return true;
}

Rect QtDialogBackend::GetControlClientRect(WindowHandle window, int controlId) {
  Control* c = FindControl(window, controlId);
  return c != nullptr ? Rect{0, 0, c->widget->width(), c->widget->height()} : Rect{};
}

// ---- Trees and image lists ----

void QtDialogBackend::TreeSetImageList(WindowHandle window, int controlId, ImageListHandle list) {
  auto* tree = ControlAs<TreeWidget>(window, controlId);
  if (tree == nullptr) return;
  auto it = imageLists_.find(list);
  tree->SetImageList(it != imageLists_.end() ? ImageListPictures{it->second.bitmaps, it->second.size}
                                             : ImageListPictures{});
}

TreeItemHandle QtDialogBackend::TreeInsertItem(WindowHandle window, int controlId, TreeItemHandle parent,
                                               std::string_view text, int image, int selectedImage) {
  auto* tree = ControlAs<TreeWidget>(window, controlId);
  if (tree == nullptr) return 0;
  if (parent != TVI_ROOT && tree->ItemOf(parent) == nullptr) return 0;
  return tree->InsertItem(parent, nextTreeItem_++, ToQString(text), image, selectedImage);
}

void QtDialogBackend::TreeDeleteAllItems(WindowHandle window, int controlId) {
  if (auto* tree = ControlAs<TreeWidget>(window, controlId)) tree->DeleteAllItems();
}

TreeItemHandle QtDialogBackend::TreeGetSelection(WindowHandle window, int controlId) {
  auto* tree = ControlAs<TreeWidget>(window, controlId);
  return tree != nullptr ? tree->Selection() : 0;
}

bool QtDialogBackend::TreeSelectItem(WindowHandle window, int controlId, TreeItemHandle item) {
  auto* tree = ControlAs<TreeWidget>(window, controlId);
  return tree != nullptr && tree->Select(item);
}

TreeItemHandle QtDialogBackend::TreeGetParent(WindowHandle window, int controlId, TreeItemHandle item) {
  auto* tree = ControlAs<TreeWidget>(window, controlId);
  return tree != nullptr ? tree->Parent(item) : 0;
}

TreeItemHandle QtDialogBackend::TreeGetChild(WindowHandle window, int controlId, TreeItemHandle item) {
  auto* tree = ControlAs<TreeWidget>(window, controlId);
  return tree != nullptr ? tree->FirstChild(item) : 0;
}

TreeItemHandle QtDialogBackend::TreeGetNextSibling(WindowHandle window, int controlId, TreeItemHandle item) {
  auto* tree = ControlAs<TreeWidget>(window, controlId);
  return tree != nullptr ? tree->NextSibling(item) : 0;
}

bool QtDialogBackend::TreeGetItem(WindowHandle window, int controlId, TreeItemHandle item, TreeItemInfo* info) {
  auto* tree = ControlAs<TreeWidget>(window, controlId);
  return tree != nullptr && tree->GetItem(item, info);
}

ImageListHandle QtDialogBackend::CreateImageList(int cx, int cy, std::uint32_t, int, int) {
  if (cx <= 0 || cy <= 0) return 0;
  const ImageListHandle handle = nextImageList_++;
  imageLists_[handle] = ImageList{QSize(cx, cy), {}};
  return handle;
}

int QtDialogBackend::ImageListAddBitmap(ImageListHandle list, int bitmapId, Colour) {
  // The artwork is drawn with transparency of its own: no mask colour needed.
  auto it = imageLists_.find(list);
  if (it == imageLists_.end()) return -1;
  it->second.bitmaps.push_back(bitmapId);
  return static_cast<int>(it->second.bitmaps.size()) - 1;
}

void QtDialogBackend::DestroyImageList(ImageListHandle list) { imageLists_.erase(list); }

}  // namespace talvon::qt
