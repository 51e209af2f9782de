#include "platform/dialog.h"

#include <algorithm>
#include <utility>

#include "platform/message_box.h"

namespace talvon {

// ---- DataExchange ----

void DataExchange::Control(int controlId, CWnd& control) { control.Attach(dialog_, controlId); }

void DataExchange::Text(int controlId, std::string& value) {
  if (save_) {
    value = dialog_.GetDlgItemText(controlId);
  } else {
    dialog_.SetDlgItemText(controlId, value);
  }
}

void DataExchange::Check(int controlId, int& value) {
  if (save_) {
    value = dialog_.IsDlgButtonChecked(controlId);
  } else {
    dialog_.CheckDlgButton(controlId, value);
  }
}

// ---- CDialog ----

CDialog::CDialog(int templateId) : templateId_(templateId), template_(FindDialogTemplate(templateId)) {}

CDialog::~CDialog() {
  // The derived part is gone: its handlers must not run any more.
  messages_.Clear();
  if (handle_ != 0) DestroyWindow();
  for (CDialog* child : children_) child->parent_ = nullptr;
  if (parent_ != nullptr) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

bool CDialog::CreateWindowFor(DialogBackend& backend, CDialog* parent) {
  if (template_ == nullptr || handle_ != 0) return false;
  const WindowHandle parentHandle = parent != nullptr ? parent->Handle() : 0;
  const WindowHandle handle = backend.CreateDialogWindow(*template_, parentHandle, *this);
  if (handle == 0) return false;
  backend_ = &backend;
  handle_ = handle;
  if (parent_ != nullptr && parent_ != parent) {
    auto& siblings = parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
  parent_ = parent;
  if (parent != nullptr &&
      std::find(parent->children_.begin(), parent->children_.end(), this) == parent->children_.end()) {
    parent->children_.push_back(this);
  }
  return true;
}

bool CDialog::Create(DialogBackend& backend, CDialog* parent) {
  if (!CreateWindowFor(backend, parent)) return false;
  modal_ = false;
  OnInitDialog();
  if (handle_ != 0 && template_->Visible()) ShowWindow(SW_SHOW);
  return handle_ != 0;
}

bool CDialog::Create(CDialog& parent) {
  if (parent.Backend() == nullptr) return false;
  return Create(*parent.Backend(), &parent);
}

int CDialog::DoModal(DialogBackend& backend, CDialog* parent) {
  if (!CreateWindowFor(backend, parent)) return -1;
  modal_ = true;
  result_ = 0;
  OnInitDialog();
  if (handle_ == 0) return -1;
  ShowWindow(SW_SHOW);
  const int result = backend.RunModalLoop(handle_);
  if (handle_ != 0) DestroyWindow();
  modal_ = false;
  return result;
}

void CDialog::EndDialog(int result) {
  result_ = result;
  if (handle_ == 0) return;
  ShowWindow(SW_HIDE);
  if (modal_) backend_->EndModalLoop(handle_, result);
}

void CDialog::DestroyWindow() {
  if (handle_ == 0) return;
  WindowMessage destroy;
  destroy.message = WM_DESTROY;
  OnWindowMessage(destroy);
  // Child windows go with their parent.
  std::vector<CDialog*> children = children_;
  for (CDialog* child : children) child->DestroyWindow();
  if (handle_ == 0) return;  // a handler destroyed it already
  const WindowHandle handle = handle_;
  handle_ = 0;
  backend_->DestroyDialogWindow(handle);
}

void CDialog::ShowWindow(int showCommand) {
  if (handle_ != 0) backend_->ShowWindow(handle_, showCommand);
}

bool CDialog::IsWindowVisible() const { return handle_ != 0 && backend_->IsWindowVisible(handle_); }

void CDialog::SetWindowPos(const CDialog* insertAfter, int x, int y, int cx, int cy, std::uint32_t flags) {
  if (handle_ == 0) return;
  backend_->SetWindowPos(handle_, insertAfter != nullptr ? insertAfter->Handle() : HWND_TOP, x, y, cx, cy, flags);
}

Rect CDialog::GetWindowRect() const { return handle_ != 0 ? backend_->GetWindowRect(handle_) : Rect{}; }

Rect CDialog::GetClientRect() const { return handle_ != 0 ? backend_->GetClientRect(handle_) : Rect{}; }

void CDialog::CenterWindow() {
  if (handle_ != 0) backend_->CenterWindow(handle_);
}

void CDialog::SetWindowText(std::string_view text) {
  if (handle_ != 0) backend_->SetWindowText(handle_, text);
}

std::string CDialog::GetWindowText() const { return handle_ != 0 ? backend_->GetWindowText(handle_) : std::string(); }

void CDialog::SetIcon(ImageHandle icon, bool bigIcon) {
  if (handle_ != 0) backend_->SetWindowIcon(handle_, icon, bigIcon ? ICON_BIG : ICON_SMALL);
}

void CDialog::Invalidate(bool erase) {
  if (handle_ != 0) backend_->InvalidateWindow(handle_, erase);
}

void CDialog::UpdateWindow() {
  if (handle_ != 0) backend_->UpdateWindow(handle_);
}

std::uintptr_t CDialog::SetTimer(std::uintptr_t timerId, std::uint32_t periodMs) {
  return handle_ != 0 ? backend_->SetTimer(handle_, timerId, periodMs) : 0;
}

bool CDialog::KillTimer(std::uintptr_t timerId) { return handle_ != 0 && backend_->KillTimer(handle_, timerId); }

void CDialog::SetDlgItemText(int controlId, std::string_view text) {
  if (handle_ != 0) backend_->SetControlText(handle_, controlId, text);
}

std::string CDialog::GetDlgItemText(int controlId) const {
  return handle_ != 0 ? backend_->GetControlText(handle_, controlId) : std::string();
}

void CDialog::CheckDlgButton(int controlId, int state) {
  if (handle_ != 0) backend_->SetCheck(handle_, controlId, state);
}

int CDialog::IsDlgButtonChecked(int controlId) const {
  return handle_ != 0 ? backend_->GetCheck(handle_, controlId) : BST_UNCHECKED;
}

int CDialog::MessageBox(std::string_view text, std::string_view caption, std::uint32_t style) {
  // Without a window there is no one to ask: the safe answer.
  if (handle_ == 0) return (style & 0x0F) == MB_OK ? IDOK : IDCANCEL;
  return backend_->MessageBox(handle_, text, caption, style);
}

void CDialog::BeginWaitCursor() {
  if (backend_ != nullptr) backend_->SetWaitCursor(true);
}

void CDialog::RestoreWaitCursor() {
  if (backend_ != nullptr) backend_->SetWaitCursor(true);
}

void CDialog::EndWaitCursor() {
  if (backend_ != nullptr) backend_->SetWaitCursor(false);
}

bool CDialog::PumpOneMessage() { return backend_ != nullptr && backend_->PumpOneMessage(); }

bool CDialog::UpdateData(bool saveAndValidate) {
  DataExchange exchange(*this, saveAndValidate);
  DoDataExchange(exchange);
  return true;
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::DoDataExchange(DataExchange&) {}

void CDialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::Default() { return current_ != nullptr ? DefaultProcessing(*current_) : 0; }

LRESULT CDialog::DefaultProcessing(const WindowMessage& message) {
  switch (message.message) {
    case WM_CLOSE:
      OnCancel();
      return 0;
    case WM_COMMAND:
      if (message.code == BN_CLICKED && message.controlId == IDOK) OnOK();
      if (message.code == BN_CLICKED && message.controlId == IDCANCEL) OnCancel();
      return 0;
    default:
      return 0;
  }
}

LRESULT CDialog::OnWindowMessage(const WindowMessage& message) {
  const WindowMessage* outer = current_;
  current_ = &message;
  LRESULT result = 0;
  if (!messages_.Dispatch(message, &result)) result = DefaultProcessing(message);
  current_ = outer;
  return result;
}

// ---- CFileDialog ----

CFileDialog::CFileDialog(DialogBackend& backend, std::string filter, std::uint32_t flags, std::string defaultExtension,
                         std::string initialFile, WindowHandle owner)
    : backend_(backend), owner_(owner) {
  request_.filter = std::move(filter);
  request_.flags = flags;
  request_.defaultExtension = std::move(defaultExtension);
  request_.initialFile = std::move(initialFile);
}

int CFileDialog::DoModal() {
  std::string path;
  const int answer = backend_.OpenFileDialog(owner_, request_, &path);
  if (answer == IDOK) path_ = std::move(path);
  return answer;
}

bool PumpOneMessage(DialogBackend& backend) { return backend.PumpOneMessage(); }

}  // namespace talvon
