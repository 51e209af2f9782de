// The tree (SysTreeView32) with its image list.
#pragma once
#include <QHash>
#include <QTreeWidget>

#include <vector>

#include "qt/control_widgets.h"

namespace talvon::qt {

// The pictures of an image list: bitmap resources by index, at one size.
struct ImageListPictures {
  std::vector<int> bitmaps;
  QSize size;  // the list's own size, before scaling
};

class TreeWidget final : public QTreeWidget, public ControlBase {
 public:
  TreeWidget(const ControlBinding& binding, double pictureFactor, QWidget* parent);

  void SetImageList(const ImageListPictures& pictures);
  TreeItemHandle InsertItem(TreeItemHandle parent, TreeItemHandle handle, const QString& text, int image,
                            int selectedImage);
  void DeleteAllItems();
  TreeItemHandle Selection() const;
  bool Select(TreeItemHandle item);  // 0 clears the selection
  TreeItemHandle Parent(TreeItemHandle item) const;
  TreeItemHandle FirstChild(TreeItemHandle item) const;  // TVI_ROOT: the first root item
  TreeItemHandle NextSibling(TreeItemHandle item) const;
  bool GetItem(TreeItemHandle item, TreeItemInfo* info) const;
  QTreeWidgetItem* ItemOf(TreeItemHandle item) const { return items_.value(item, nullptr); }

 private:
  QIcon IconFor(int image, int selectedImage) const;
  static TreeItemHandle HandleOf(const QTreeWidgetItem* item);

  double pictureFactor_;
  ImageListPictures pictures_;
  QHash<TreeItemHandle, QTreeWidgetItem*> items_;
  bool selecting_ = false;  // the dialog, not the operator, changes the selection
};

}  // namespace talvon::qt
