#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/controls.h"
#include "platform/dialog_backend.h"
#include "platform/dialog_template.h"
#include "platform/message_map.h"

namespace talvon {

class CDialog;

// Binds controls and exchanges values between a dialog's controls and its
// members; the direction is given by SaveAndValidate (true: controls to members).
class DataExchange {
 public:
  DataExchange(CDialog& dialog, bool saveAndValidate) : dialog_(dialog), save_(saveAndValidate) {}
  bool SaveAndValidate() const { return save_; }
  // Binds a control object to the dialog's control with this identifier.
  void Control(int controlId, CWnd& control);
  // A control's text.
  void Text(int controlId, std::string& value);
  // A check box's state (BST_*).
  void Check(int controlId, int& value);

 private:
  CDialog& dialog_;
  bool save_;
};

// A screen built from its dialog template: the home screen, the sheets and
// every page derive from it. A dialog object exists without a window until
// Create or DoModal builds the window through a backend; the window lives
// until DestroyWindow (or the object's destruction).
//
// Messages reach the dialog through its message map (filled in the derived
// class's constructor); what the map does not handle gets default processing:
// WM_CLOSE and the command IDCANCEL call OnCancel, the command IDOK calls
// OnOK, and both of those end the dialog.
class CDialog : private DialogWindowSink {
 public:
  explicit CDialog(int templateId);
  ~CDialog() override;
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  int TemplateId() const { return templateId_; }
  const DialogTemplate* Template() const { return template_; }
  WindowHandle Handle() const { return handle_; }
  bool HasWindow() const { return handle_ != 0; }
  // The backend the window lives in; nullptr before the window exists.
  DialogBackend* Backend() const { return backend_; }
  CDialog* Parent() const { return parent_; }

  // ---- Life ----
  // Modeless: builds the window as a child of (or owned by) parent, runs
  // OnInitDialog, then shows it when the template is visible. false when the
  // template is unknown or the window exists already.
  bool Create(DialogBackend& backend, CDialog* parent = nullptr);
  // As a child of parent, in the parent's backend.
  bool Create(CDialog& parent);
  // Modal: builds, initialises and shows the window, runs the modal loop until
  // EndDialog, destroys the window and answers the result (-1 on failure).
  int DoModal(DialogBackend& backend, CDialog* parent = nullptr);
  // Modal: ends the loop with the result. Modeless: hides the window.
  void EndDialog(int result);
  // Sends WM_DESTROY, destroys the child dialogs' windows, then the window.
  void DestroyWindow();
  bool IsModal() const { return modal_; }
  int Result() const { return result_; }

  // ---- The window ----
  void ShowWindow(int showCommand);
  bool IsWindowVisible() const;
  // insertAfter nullptr: top of the z-order (HWND_TOP).
  void SetWindowPos(const CDialog* insertAfter, int x, int y, int cx, int cy, std::uint32_t flags);
  Rect GetWindowRect() const;
  Rect GetClientRect() const;
  void CenterWindow();
  void SetWindowText(std::string_view text);
  std::string GetWindowText() const;
  void SetIcon(ImageHandle icon, bool bigIcon);
  void Invalidate(bool erase = true);
  void UpdateWindow();
  std::uintptr_t SetTimer(std::uintptr_t timerId, std::uint32_t periodMs);
  bool KillTimer(std::uintptr_t timerId);

  // ---- Controls by identifier ----
  void SetDlgItemText(int controlId, std::string_view text);
  std::string GetDlgItemText(int controlId) const;
  void CheckDlgButton(int controlId, int state);
  int IsDlgButtonChecked(int controlId) const;
  // A control object for any control of this dialog (not bound to a member).
  template <typename Control = CWnd>
  Control GetDlgItem(int controlId) {
    Control c;
    c.Attach(*this, controlId);
    return c;
  }

  // ---- Talking to the operator ----
  // A message box owned by this dialog.
  int MessageBox(std::string_view text, std::string_view caption, std::uint32_t style);
  void BeginWaitCursor();
  void RestoreWaitCursor();
  void EndWaitCursor();
  // Dispatches at most one waiting message; never waits.
  bool PumpOneMessage();
  // Runs the data exchange: true moves control contents into the members.
  bool UpdateData(bool saveAndValidate = true);

 protected:
  // The initialisation hook. The base binds the controls (data exchange) and
  // answers true.
  virtual bool OnInitDialog();
  virtual void DoDataExchange(DataExchange& exchange);
  virtual void OnOK();
  virtual void OnCancel();
  MessageMap& Messages() { return messages_; }
  // Default processing of the message being handled (from within a handler).
  LRESULT Default();

 private:
  LRESULT OnWindowMessage(const WindowMessage& message) override;
  LRESULT DefaultProcessing(const WindowMessage& message);
  bool CreateWindowFor(DialogBackend& backend, CDialog* parent);
  void Detach();

  int templateId_;
  const DialogTemplate* template_;
  DialogBackend* backend_ = nullptr;
  WindowHandle handle_ = 0;
  CDialog* parent_ = nullptr;
  std::vector<CDialog*> children_;
  MessageMap messages_;
  const WindowMessage* current_ = nullptr;
  bool modal_ = false;
  int result_ = 0;
};

// The file-open dialog.
class CFileDialog {
 public:
  // filter as "label|pattern|...", flags OFN_*.
  CFileDialog(DialogBackend& backend, std::string filter, std::uint32_t flags, std::string defaultExtension = {},
              std::string initialFile = {}, WindowHandle owner = 0);
  // The folder the dialog opens in (the root when empty or missing).
  void SetInitialFolder(std::string folder) { request_.initialFolder = std::move(folder); }
  // IDOK when a file was chosen, IDCANCEL otherwise.
  int DoModal();
  // The chosen file's full controller path.
  const std::string& GetPathName() const { return path_; }

 private:
  DialogBackend& backend_;
  FileDialogRequest request_;
  WindowHandle owner_;
  std::string path_;
};

// Dispatches at most one waiting window message; never waits.
bool PumpOneMessage(DialogBackend& backend);

}  // namespace talvon
