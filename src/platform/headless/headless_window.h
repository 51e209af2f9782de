#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/dialog_backend.h"

namespace talvon {

// The in-memory state of the headless backend's windows and controls. The
// test driver reads it; nothing else should.

struct HeadlessTreeItem {
  TreeItemHandle parent = TVI_ROOT;
  std::string text;
  int image = 0;
  int selectedImage = 0;
  std::vector<TreeItemHandle> children;
};

struct HeadlessControl {
  const DialogItem* item = nullptr;  // the template item it was built from
  int id = IDC_STATIC;
  Rect rect;  // pixels, in the dialog's client coordinates
  std::string text;
  bool visible = false;
  bool enabled = true;
  int check = BST_UNCHECKED;
  char16_t passwordChar = 0;
  ImageHandle image = 0;
  // Combo box.
  std::vector<std::string> comboItems;
  int comboSelection = CB_ERR;
  // Trackbar and progress bar.
  TrackbarState trackbar;
  ProgressState progress;
  // Tab control.
  std::vector<std::string> tabs;
  int tabSelection = -1;
  // Tree.
  std::map<TreeItemHandle, HeadlessTreeItem> treeItems;
  std::vector<TreeItemHandle> treeRoots;
  TreeItemHandle treeSelection = 0;
  ImageListHandle treeImages = 0;
  // A trackbar waiting to be painted (NM_CUSTOMDRAW) once it is on screen.
  bool needsPaint = false;
  int paints = 0;
};

struct HeadlessWindow {
  WindowHandle handle = 0;
  const DialogTemplate* dialogTemplate = nullptr;
  WindowHandle parent = 0;
  DialogWindowSink* sink = nullptr;
  bool visible = false;
  Rect rect;  // pixels: parent client coordinates (screen for top-level windows)
  std::string caption;
  ImageHandle bigIcon = 0;
  ImageHandle smallIcon = 0;
  bool centred = false;
  std::vector<HeadlessControl> controls;
  // Modal loop state.
  bool modalRunning = false;
  bool modalEnded = false;
  int modalResult = 0;

  bool IsChild() const { return dialogTemplate != nullptr && dialogTemplate->IsChild(); }
  HeadlessControl* Control(int controlId);
  const HeadlessControl* Control(int controlId) const;
};

}  // namespace talvon
