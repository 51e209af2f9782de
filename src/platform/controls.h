#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/window_messages.h"

namespace talvon {

class CDialog;
class DialogBackend;

// A control of a dialog, addressed by its identifier. Control objects are
// small handles: a dialog binds its members to its controls in its data
// exchange (DataExchange::Control), or hands one out with GetDlgItem. Every
// operation on an unbound control, or before the window exists, does nothing
// and answers 0, -1 or an empty text.
class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;
  void Attach(CDialog& dialog, int controlId);
  bool IsBound() const { return dialog_ != nullptr; }
  int Id() const { return id_; }

  void SetWindowText(std::string_view text);
  std::string GetWindowText() const;
  void EnableWindow(bool enable);
  bool IsWindowEnabled() const;
  void ShowWindow(int showCommand);
  bool IsWindowVisible() const;
  // Marks the control for repainting (with background erase when asked).
  void Invalidate(bool erase = true);
  Rect GetClientRect() const;

 protected:
  DialogBackend* Backend() const;
  WindowHandle Window() const;

 private:
  CDialog* dialog_ = nullptr;
  int id_ = 0;
};

class CButton : public CWnd {
 public:
  void SetCheck(int state);
  int GetCheck() const;
};

class CEdit : public CWnd {
 public:
  // 0 shows the text in clear.
  void SetPasswordChar(char16_t passwordChar);
  char16_t GetPasswordChar() const;
};

// A static control; picture controls share their picture handles.
class CStatic : public CWnd {
 public:
  ImageHandle GetBitmap() const;              // STM_GETIMAGE, IMAGE_BITMAP
  ImageHandle SetBitmap(ImageHandle bitmap);  // STM_SETIMAGE; answers the previous picture
};

class CComboBox : public CWnd {
 public:
  int AddString(std::string_view text);
  void ResetContent();
  int GetCount() const;
  std::string GetLBText(int index) const;
  int SetCurSel(int index);
  int GetCurSel() const;  // CB_ERR when nothing is selected
};

class CSliderCtrl : public CWnd {
 public:
  void SetRange(int minimum, int maximum, bool redraw = false);
  int GetRangeMin() const;
  int GetRangeMax() const;
  void SetTicFreq(int frequency);
  int SetPageSize(int pageSize);
  int GetPageSize() const;
  void SetPos(int position, bool redraw = true);
  int GetPos() const;
  void SetSelection(int start, int end, bool redraw = false);
  void GetSelection(int& start, int& end) const;
};

class CProgressCtrl : public CWnd {
 public:
  int SetStep(int step);                      // PBM_SETSTEP
  void SetRange32(int minimum, int maximum);  // PBM_SETRANGE32
  int SetPos(int position);                   // PBM_SETPOS; answers the previous position
  int GetPos() const;
  int StepIt();
};

class CTabCtrl : public CWnd {
 public:
  // A text-only item (TCIF_TEXT; image and item data 0). Answers its index or -1.
  int InsertItem(int index, std::string_view text);
  int GetCurSel() const;  // TCM_GETCURSEL; -1 when none
  int SetCurSel(int index);
  int GetItemCount() const;
  bool GetItemRect(int index, Rect* rect) const;  // TCM_GETITEMRECT
};

class CImageList;

class CTreeCtrl : public CWnd {
 public:
  void SetImageList(const CImageList& list);
  // Inserts as the last child of parent (TVI_ROOT: at the root).
  TreeItemHandle InsertItem(std::string_view text, int image, int selectedImage, TreeItemHandle parent = TVI_ROOT);
  void DeleteAllItems();
  TreeItemHandle GetSelectedItem() const;
  bool SelectItem(TreeItemHandle item);
  TreeItemHandle GetParentItem(TreeItemHandle item) const;
  TreeItemHandle GetChildItem(TreeItemHandle item) const;  // TVI_ROOT: the first root item
  TreeItemHandle GetNextSiblingItem(TreeItemHandle item) const;
  std::string GetItemText(TreeItemHandle item) const;
  bool GetItemImage(TreeItemHandle item, int& image, int& selectedImage) const;
};

// An image list built from bitmap resources, owned by whoever creates it.
class CImageList {
 public:
  CImageList() = default;
  ~CImageList();
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  bool Create(DialogBackend& backend, int cx, int cy, std::uint32_t flags, int initial, int grow);
  // Adds a bitmap resource; pixels of maskColour are transparent. Answers its index or -1.
  int Add(int bitmapId, Colour maskColour);
  ImageListHandle Handle() const { return handle_; }
  void DeleteImageList();

 private:
  DialogBackend* backend_ = nullptr;
  ImageListHandle handle_ = 0;
};

}  // namespace talvon
