#include "qt/file_dialog_widget.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "platform/message_box.h"
#include "platform/window_messages.h"
#include "qt/frame_window.h"
#include "qt/panel_theme.h"

namespace talvon::qt {
namespace {

// The controller's files are named in narrow Latin-1 bytes, one per
// character; what the panel shows and the operator types is Unicode.
std::string Narrow(const QString& text) { return text.toLatin1().toStdString(); }
QString Wide(const std::string& narrow) {
  return QString::fromLatin1(narrow.data(), static_cast<qsizetype>(narrow.size()));
}

constexpr int kIsFolderRole = Qt::UserRole;

}  // namespace

std::vector<FileFilter> ParseFileFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  std::vector<FileFilter> filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty() && parts[i + 1].isEmpty()) break;  // the closing "||"
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) patterns << p.trimmed();
    filters.push_back(FileFilter{parts[i], patterns});
  }
  if (filters.empty()) filters.push_back(FileFilter{QStringLiteral("All Files (*.*)"), {QStringLiteral("*")}});
  return filters;
}

bool MatchesFilter(const QString& name, const QStringList& patterns) {
  for (const QString& pattern : patterns) {
    if (pattern == QStringLiteral("*") || pattern == QStringLiteral("*.*")) return true;
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                                QRegularExpression::CaseInsensitiveOption);
    if (re.match(name).hasMatch()) return true;
  }
  return false;
}

QString JoinControllerPath(const QString& folder, const QString& name) {
  if (folder.isEmpty() || folder == QStringLiteral("\\")) return QStringLiteral("\\") + name;
  return folder + QLatin1Char('\\') + name;
}

QString ControllerFolderOf(const QString& path) {
  const int cut = path.lastIndexOf(QLatin1Char('\\'));
  return cut <= 0 ? QStringLiteral("\\") : path.left(cut);
}

FileDialogContent::FileDialogContent(Files& files, const FileDialogRequest& request, double panelFactor,
                                     std::function<void(int, const std::string&)> done, QWidget* parent)
    : QWidget(parent),
      files_(files),
      request_(request),
      filters_(ParseFileFilter(request.filter)),
      done_(std::move(done)) {
  const auto px = [panelFactor](int pixels) { return static_cast<int>(std::lround(pixels * panelFactor)); };
  const QFont font = PanelFont(px(12));
  setFont(font);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(px(10), px(10), px(10), px(10));
  layout->setSpacing(px(8));

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Look in:"), this));
  folderLabel_ = new QLabel(this);
  folderLabel_->setObjectName(QStringLiteral("folder"));
  folderLabel_->setTextFormat(Qt::PlainText);
  top->addWidget(folderLabel_, 1);
  auto* up = new QPushButton(QStringLiteral("Up"), this);
  up->setObjectName(QStringLiteral("up"));
  up->setMinimumSize(px(60), px(28));
  connect(up, &QPushButton::clicked, this, [this] { OpenFolder(ControllerFolderOf(folder_)); });
  top->addWidget(up);
  layout->addLayout(top);

  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("entries"));
  list_->setIconSize(QSize(px(18), px(18)));
  list_->setUniformItemSizes(true);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setStyleSheet(QStringLiteral("QListWidget::item { min-height: %1px; }").arg(px(26)));
  // A tap opens a folder or takes a file's name; a double tap on a file answers it.
  connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (item->data(kIsFolderRole).toBool()) {
      OpenFolder(JoinControllerPath(folder_, item->text()));
    } else {
      name_->setText(item->text());
    }
  });
  connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { OnItemActivated(item); });
  layout->addWidget(list_, 1);

  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel(QStringLiteral("Name:"), this), 0, 0);
  name_ = new QLineEdit(this);
  name_->setObjectName(QStringLiteral("name"));
  name_->setMinimumHeight(px(26));
  connect(name_, &QLineEdit::returnPressed, this, [this] { Accept(); });
  fields->addWidget(name_, 0, 1);
  fields->addWidget(new QLabel(QStringLiteral("Type:"), this), 1, 0);
  types_ = new QComboBox(this);
  types_->setObjectName(QStringLiteral("types"));
  types_->setMinimumHeight(px(26));
  for (const FileFilter& f : filters_) types_->addItem(f.label);
  connect(types_, &QComboBox::currentIndexChanged, this, [this] { Refill(); });
  fields->addWidget(types_, 1, 1);
  layout->addLayout(fields);

  auto* bottom = new QHBoxLayout;
  note_ = new QLabel(this);
  note_->setObjectName(QStringLiteral("note"));
  QPalette red = note_->palette();
  red.setColor(QPalette::WindowText, QColor(0xc9, 0x30, 0x2c));
  note_->setPalette(red);
  bottom->addWidget(note_, 1);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setMinimumSize(px(76), px(28));
  connect(ok, &QPushButton::clicked, this, [this] { Accept(); });
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("cancel"));
  cancel->setMinimumSize(px(76), px(28));
  connect(cancel, &QPushButton::clicked, this, [this] { done_(IDCANCEL, {}); });
  bottom->addWidget(ok);
  bottom->addWidget(cancel);
  layout->addLayout(bottom);

  // Start in the folder asked for, else where the suggested file lies; a
  // folder that has gone gives the nearest one above it that is there.
  const QString initial = QString::fromStdString(request.initialFile);
  QString start = QString::fromStdString(request.initialFolder);
  if (start.isEmpty() && initial.startsWith(QLatin1Char('\\'))) start = ControllerFolderOf(initial);
  if (!start.startsWith(QLatin1Char('\\'))) start = QStringLiteral("\\");
  while (!OpenFolder(start)) start = ControllerFolderOf(start);
  if (!initial.isEmpty()) name_->setText(initial.mid(initial.lastIndexOf(QLatin1Char('\\')) + 1));
}

bool FileDialogContent::FolderExists(const QString& folder) {
  if (folder == QStringLiteral("\\")) return true;
  FindData found;
  return files_.FindFirstFile(Narrow(folder), &found) && found.isDirectory;
}

bool FileDialogContent::OpenFolder(const QString& folder) {
  const QString target = folder.isEmpty() ? QStringLiteral("\\") : folder;
  if (!FolderExists(target)) return false;
  folder_ = target;
  Refill();
  return true;
}

void FileDialogContent::Refill() {
  folderLabel_->setText(folder_);
  note_->clear();
  list_->clear();
  std::vector<FindData> entries = files_.ListDirectory(Narrow(folder_));
  std::sort(entries.begin(), entries.end(), [](const FindData& a, const FindData& b) {
    if (a.isDirectory != b.isDirectory) return a.isDirectory;
    return Wide(a.name).compare(Wide(b.name), Qt::CaseInsensitive) < 0;
  });
  const int type = std::max(0, types_->currentIndex());
  const QStringList patterns = filters_[static_cast<std::size_t>(type)].patterns;
  QStyle* style = QApplication::style();
  for (const FindData& entry : entries) {
    const QString name = Wide(entry.name);
    if (!entry.isDirectory && !MatchesFilter(name, patterns)) continue;
    auto* item = new QListWidgetItem(
        style->standardIcon(entry.isDirectory ? QStyle::SP_DirIcon : QStyle::SP_FileIcon), name, list_);
    item->setData(kIsFolderRole, entry.isDirectory);
  }
}

void FileDialogContent::OnItemActivated(QListWidgetItem* item) {
  if (item->data(kIsFolderRole).toBool()) return;  // the tap has opened it
  name_->setText(item->text());
  Accept();
}

void FileDialogContent::Accept() {
  const QString typed = name_->text().trimmed();
  if (typed.isEmpty()) return;
  if (typed.contains(QLatin1Char('*')) || typed.contains(QLatin1Char('?'))) {
    note_->setText(QStringLiteral("File not found."));
    return;
  }
  const QString path = typed.startsWith(QLatin1Char('\\')) ? typed : JoinControllerPath(folder_, typed);
  FindData found;
  const bool exists = files_.FindFirstFile(Narrow(path), &found);
  if (exists && found.isDirectory) {
    OpenFolder(path);
    name_->clear();
    return;
  }
  if (!exists && (request_.flags & OFN_FILEMUSTEXIST) != 0) {
    note_->setText(QStringLiteral("File not found."));
    return;
  }
  if ((request_.flags & OFN_PATHMUSTEXIST) != 0 && !FolderExists(ControllerFolderOf(path))) {
    note_->setText(QStringLiteral("Path not found."));
    return;
  }
  done_(IDOK, path.toStdString());
}

FrameWindow* BuildFileDialog(QWidget* panel, double panelFactor, Files& files, const FileDialogRequest& request,
                             std::function<void(int answer, const std::string& path)> done) {
  auto* frame = new FrameWindow(panel, panelFactor, FrameWindow::Buttons{});
  frame->setObjectName(QStringLiteral("fileDialog"));
  frame->SetCaption(QStringLiteral("Open"));
  auto* content = new FileDialogContent(files, request, panelFactor, std::move(done), frame->Client());
  const QSize clientSize(static_cast<int>(std::lround(460 * panelFactor)),
                         static_cast<int>(std::lround(330 * panelFactor)));
  content->resize(clientSize);
  frame->ResizeFrame(frame->FrameSize(clientSize).boundedTo(panel->size()));
  frame->move((panel->width() - frame->width()) / 2, (panel->height() - frame->height()) / 2);
  frame->hide();
  return frame;
}

}  // namespace talvon::qt
