#include "qt/tree_widget.h"

#include <QHeaderView>

#include <cmath>

#include "qt/artwork_pixmaps.h"
#include "qt/panel_theme.h"

namespace talvon::qt {
namespace {

constexpr int kHandleRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kSelectedImageRole = Qt::UserRole + 2;

}  // namespace

TreeWidget::TreeWidget(const ControlBinding& binding, double pictureFactor, QWidget* parent)
    : QTreeWidget(parent), ControlBase(binding), pictureFactor_(pictureFactor) {
  setFont(PanelFont(FontPixels()));
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated((Item().style & TVS_LINESATROOT) != 0);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setFocusPolicy(Qt::StrongFocus);
  setUniformRowHeights(true);
  setIndentation(static_cast<int>(std::lround(FontPixels() * 1.8)));
  connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
    if (current != nullptr) current->setSelected(true);
    if (!selecting_) Notify(TVN_SELCHANGED);
  });
}

TreeItemHandle TreeWidget::HandleOf(const QTreeWidgetItem* item) {
  return item != nullptr ? item->data(0, kHandleRole).toUInt() : 0;
}

QIcon TreeWidget::IconFor(int image, int selectedImage) const {
  QIcon icon;
  const auto add = [&](int index, QIcon::Mode mode) {
    if (index < 0 || index >= static_cast<int>(pictures_.bitmaps.size())) return;
    const int bitmap = pictures_.bitmaps[static_cast<std::size_t>(index)];
    icon.addPixmap(ArtworkPixmap(bitmap, iconSize(), devicePixelRatioF()), mode);
  };
  add(image, QIcon::Normal);
  add(selectedImage, QIcon::Selected);
  return icon;
}

void TreeWidget::SetImageList(const ImageListPictures& pictures) {
  pictures_ = pictures;
  setIconSize(QSize(static_cast<int>(std::lround(pictures.size.width() * pictureFactor_)),
                    static_cast<int>(std::lround(pictures.size.height() * pictureFactor_))));
  for (QTreeWidgetItem* item : std::as_const(items_)) {
    item->setIcon(0, IconFor(item->data(0, kImageRole).toInt(), item->data(0, kSelectedImageRole).toInt()));
  }
}

TreeItemHandle TreeWidget::InsertItem(TreeItemHandle parent, TreeItemHandle handle, const QString& text, int image,
                                      int selectedImage) {
  QTreeWidgetItem* parentItem = nullptr;
  if (parent != TVI_ROOT) {
    parentItem = ItemOf(parent);
    if (parentItem == nullptr) return 0;
  }
  auto* item = new QTreeWidgetItem(QStringList{text});
  item->setData(0, kHandleRole, handle);
  item->setData(0, kImageRole, image);
  item->setData(0, kSelectedImageRole, selectedImage);
  item->setIcon(0, IconFor(image, selectedImage));
  if (parentItem != nullptr) {
    parentItem->addChild(item);
  } else {
    addTopLevelItem(item);
  }
  items_.insert(handle, item);
  return handle;
}

void TreeWidget::DeleteAllItems() {
  selecting_ = true;
  clear();
  selecting_ = false;
  items_.clear();
}

TreeItemHandle TreeWidget::Selection() const { return HandleOf(currentItem()); }

bool TreeWidget::Select(TreeItemHandle item) {
  QTreeWidgetItem* target = nullptr;
  if (item != 0) {
    target = ItemOf(item);
    if (target == nullptr) return false;
  }
  selecting_ = true;
  setCurrentItem(target);
  if (target == nullptr) clearSelection();
  selecting_ = false;
  return true;
}

TreeItemHandle TreeWidget::Parent(TreeItemHandle item) const {
  const QTreeWidgetItem* node = ItemOf(item);
  return node != nullptr ? HandleOf(node->parent()) : 0;
}

TreeItemHandle TreeWidget::FirstChild(TreeItemHandle item) const {
  if (item == TVI_ROOT) return topLevelItemCount() > 0 ? HandleOf(topLevelItem(0)) : 0;
  const QTreeWidgetItem* node = ItemOf(item);
  return node != nullptr && node->childCount() > 0 ? HandleOf(node->child(0)) : 0;
}

TreeItemHandle TreeWidget::NextSibling(TreeItemHandle item) const {
  QTreeWidgetItem* node = ItemOf(item);
  if (node == nullptr) return 0;
  if (QTreeWidgetItem* parent = node->parent()) {
    const int index = parent->indexOfChild(node);
    return index + 1 < parent->childCount() ? HandleOf(parent->child(index + 1)) : 0;
  }
  const int index = indexOfTopLevelItem(node);
  return index + 1 < topLevelItemCount() ? HandleOf(topLevelItem(index + 1)) : 0;
}

bool TreeWidget::GetItem(TreeItemHandle item, TreeItemInfo* info) const {
  const QTreeWidgetItem* node = ItemOf(item);
  if (node == nullptr || info == nullptr) return false;
  info->text = node->text(0).toStdString();
  info->image = node->data(0, kImageRole).toInt();
  info->selectedImage = node->data(0, kSelectedImageRole).toInt();
  return true;
}

}  // namespace talvon::qt
