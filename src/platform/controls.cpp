#include "platform/controls.h"

#include "platform/dialog.h"

namespace talvon {

void CWnd::Attach(CDialog& dialog, int controlId) {
  dialog_ = &dialog;
  id_ = controlId;
}

DialogBackend* CWnd::Backend() const { return dialog_ != nullptr ? dialog_->Backend() : nullptr; }

WindowHandle CWnd::Window() const { return dialog_ != nullptr ? dialog_->Handle() : 0; }

// Every operation below goes through this: nothing happens without a window.
#define TALVON_WITH_BACKEND(fallback) \
  DialogBackend* backend = Backend(); \
  if (backend == nullptr || Window() == 0) return fallback

void CWnd::SetWindowText(std::string_view text) {
  TALVON_WITH_BACKEND();
  backend->SetControlText(Window(), id_, text);
}

std::string CWnd::GetWindowText() const {
  TALVON_WITH_BACKEND({});
  return backend->GetControlText(Window(), id_);
}

void CWnd::EnableWindow(bool enable) {
  TALVON_WITH_BACKEND();
  backend->EnableControl(Window(), id_, enable);
}

bool CWnd::IsWindowEnabled() const {
  TALVON_WITH_BACKEND(false);
  return backend->IsControlEnabled(Window(), id_);
}

void CWnd::ShowWindow(int showCommand) {
  TALVON_WITH_BACKEND();
  backend->ShowControl(Window(), id_, showCommand != SW_HIDE);
}

bool CWnd::IsWindowVisible() const {
  TALVON_WITH_BACKEND(false);
  return backend->IsControlVisible(Window(), id_);
}

void CWnd::Invalidate(bool erase) {
  TALVON_WITH_BACKEND();
  backend->InvalidateControl(Window(), id_, erase);
}

Rect CWnd::GetClientRect() const {
  TALVON_WITH_BACKEND({});
  return backend->GetControlClientRect(Window(), id_);
}

void CButton::SetCheck(int state) {
  TALVON_WITH_BACKEND();
  backend->SetCheck(Window(), Id(), state);
}

int CButton::GetCheck() const {
  TALVON_WITH_BACKEND(BST_UNCHECKED);
  return backend->GetCheck(Window(), Id());
}

void CEdit::SetPasswordChar(char16_t passwordChar) {
  TALVON_WITH_BACKEND();
  backend->SetPasswordChar(Window(), Id(), passwordChar);
}

char16_t CEdit::GetPasswordChar() const {
  TALVON_WITH_BACKEND(0);
  return backend->GetPasswordChar(Window(), Id());
}

ImageHandle CStatic::GetBitmap() const {
  TALVON_WITH_BACKEND(0);
  return backend->GetControlImage(Window(), Id());
}

ImageHandle CStatic::SetBitmap(ImageHandle bitmap) {
  TALVON_WITH_BACKEND(0);
  return backend->SetControlImage(Window(), Id(), bitmap);
}

int CComboBox::AddString(std::string_view text) {
  TALVON_WITH_BACKEND(CB_ERR);
  return backend->ComboAddString(Window(), Id(), text);
}

void CComboBox::ResetContent() {
  TALVON_WITH_BACKEND();
  backend->ComboResetContent(Window(), Id());
}

int CComboBox::GetCount() const {
  TALVON_WITH_BACKEND(0);
  return backend->ComboGetCount(Window(), Id());
}

std::string CComboBox::GetLBText(int index) const {
  TALVON_WITH_BACKEND({});
  return backend->ComboGetItemText(Window(), Id(), index);
}

int CComboBox::SetCurSel(int index) {
  TALVON_WITH_BACKEND(CB_ERR);
  return backend->ComboSetCurSel(Window(), Id(), index);
}

int CComboBox::GetCurSel() const {
  TALVON_WITH_BACKEND(CB_ERR);
  return backend->ComboGetCurSel(Window(), Id());
}

void CSliderCtrl::SetRange(int minimum, int maximum, bool redraw) {
  TALVON_WITH_BACKEND();
  backend->TrackbarSetRange(Window(), Id(), minimum, maximum, redraw);
}

int CSliderCtrl::GetRangeMin() const {
  TALVON_WITH_BACKEND(0);
  return backend->GetTrackbar(Window(), Id()).minimum;
}

int CSliderCtrl::GetRangeMax() const {
  TALVON_WITH_BACKEND(0);
  return backend->GetTrackbar(Window(), Id()).maximum;
}

void CSliderCtrl::SetTicFreq(int frequency) {
  TALVON_WITH_BACKEND();
  backend->TrackbarSetTickFrequency(Window(), Id(), frequency);
}

int CSliderCtrl::SetPageSize(int pageSize) {
  TALVON_WITH_BACKEND(0);
  return backend->TrackbarSetPageSize(Window(), Id(), pageSize);
}

int CSliderCtrl::GetPageSize() const {
  TALVON_WITH_BACKEND(0);
  return backend->GetTrackbar(Window(), Id()).pageSize;
}

void CSliderCtrl::SetPos(int position, bool redraw) {
  TALVON_WITH_BACKEND();
  backend->TrackbarSetPosition(Window(), Id(), position, redraw);
}

int CSliderCtrl::GetPos() const {
  TALVON_WITH_BACKEND(0);
  return backend->GetTrackbar(Window(), Id()).position;
}

void CSliderCtrl::SetSelection(int start, int end, bool redraw) {
  TALVON_WITH_BACKEND();
  backend->TrackbarSetSelection(Window(), Id(), start, end, redraw);
}

void CSliderCtrl::GetSelection(int& start, int& end) const {
  start = 0;
  end = 0;
  TALVON_WITH_BACKEND();
  TrackbarState s = backend->GetTrackbar(Window(), Id());
  start = s.selectionStart;
  end = s.selectionEnd;
}

int CProgressCtrl::SetStep(int step) {
  TALVON_WITH_BACKEND(0);
  return backend->ProgressSetStep(Window(), Id(), step);
}

void CProgressCtrl::SetRange32(int minimum, int maximum) {
  TALVON_WITH_BACKEND();
  backend->ProgressSetRange(Window(), Id(), minimum, maximum);
}

int CProgressCtrl::SetPos(int position) {
  TALVON_WITH_BACKEND(0);
  return backend->ProgressSetPosition(Window(), Id(), position);
}

int CProgressCtrl::GetPos() const {
  TALVON_WITH_BACKEND(0);
  return backend->GetProgress(Window(), Id()).position;
}

int CProgressCtrl::StepIt() {
  TALVON_WITH_BACKEND(0);
  return backend->ProgressStepIt(Window(), Id());
}

int CTabCtrl::InsertItem(int index, std::string_view text) {
  TALVON_WITH_BACKEND(-1);
  return backend->TabInsertItem(Window(), Id(), index, text);
}

int CTabCtrl::GetCurSel() const {
  TALVON_WITH_BACKEND(-1);
  return backend->TabGetCurSel(Window(), Id());
}

int CTabCtrl::SetCurSel(int index) {
  TALVON_WITH_BACKEND(-1);
  return backend->TabSetCurSel(Window(), Id(), index);
}

int CTabCtrl::GetItemCount() const {
  TALVON_WITH_BACKEND(0);
  return backend->TabGetItemCount(Window(), Id());
}

bool CTabCtrl::GetItemRect(int index, Rect* rect) const {
  TALVON_WITH_BACKEND(false);
  return backend->TabGetItemRect(Window(), Id(), index, rect);
}

void CTreeCtrl::SetImageList(const CImageList& list) {
  TALVON_WITH_BACKEND();
  backend->TreeSetImageList(Window(), Id(), list.Handle());
}

TreeItemHandle CTreeCtrl::InsertItem(std::string_view text, int image, int selectedImage, TreeItemHandle parent) {
  TALVON_WITH_BACKEND(0);
  return backend->TreeInsertItem(Window(), Id(), parent, text, image, selectedImage);
}

void CTreeCtrl::DeleteAllItems() {
  TALVON_WITH_BACKEND();
  backend->TreeDeleteAllItems(Window(), Id());
}

TreeItemHandle CTreeCtrl::GetSelectedItem() const {
  TALVON_WITH_BACKEND(0);
  return backend->TreeGetSelection(Window(), Id());
}

bool CTreeCtrl::SelectItem(TreeItemHandle item) {
  TALVON_WITH_BACKEND(false);
  return backend->TreeSelectItem(Window(), Id(), item);
}

TreeItemHandle CTreeCtrl::GetParentItem(TreeItemHandle item) const {
  TALVON_WITH_BACKEND(0);
  return backend->TreeGetParent(Window(), Id(), item);
}

TreeItemHandle CTreeCtrl::GetChildItem(TreeItemHandle item) const {
  TALVON_WITH_BACKEND(0);
  return backend->TreeGetChild(Window(), Id(), item);
}

TreeItemHandle CTreeCtrl::GetNextSiblingItem(TreeItemHandle item) const {
  TALVON_WITH_BACKEND(0);
  return backend->TreeGetNextSibling(Window(), Id(), item);
}

std::string CTreeCtrl::GetItemText(TreeItemHandle item) const {
  TALVON_WITH_BACKEND({});
  TreeItemInfo info;
  if (!backend->TreeGetItem(Window(), Id(), item, &info)) return {};
  return info.text;
}

bool CTreeCtrl::GetItemImage(TreeItemHandle item, int& image, int& selectedImage) const {
  TALVON_WITH_BACKEND(false);
  TreeItemInfo info;
  if (!backend->TreeGetItem(Window(), Id(), item, &info)) return false;
  image = info.image;
  selectedImage = info.selectedImage;
  return true;
}

#undef TALVON_WITH_BACKEND

CImageList::~CImageList() { DeleteImageList(); }

bool CImageList::Create(DialogBackend& backend, int cx, int cy, std::uint32_t flags, int initial, int grow) {
  DeleteImageList();
  backend_ = &backend;
  handle_ = backend.CreateImageList(cx, cy, flags, initial, grow);
  return handle_ != 0;
}

int CImageList::Add(int bitmapId, Colour maskColour) {
  if (backend_ == nullptr || handle_ == 0) return -1;
  return backend_->ImageListAddBitmap(handle_, bitmapId, maskColour);
}

void CImageList::DeleteImageList() {
  if (backend_ != nullptr && handle_ != 0) backend_->DestroyImageList(handle_);
  handle_ = 0;
}

}  // namespace talvon
