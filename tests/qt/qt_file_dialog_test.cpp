// The file-open dialog browses the controller's files through the Files
// role and answers a controller path.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <map>
#include <set>

#include "platform/errors.h"
#include "platform/message_box.h"
#include "qt/file_dialog_widget.h"
#include "qt/frame_window.h"
#include "qt_test_support.h"

namespace talvon::qt {
namespace {

using namespace test;

// A controller file system in memory: folders by lower-case path.
class MemoryFiles final : public Files {
 public:
  MemoryFiles() {
    Add("\\CompactFlash", true);
    Add("\\CompactFlash\\nk.bin", false);
    Add("\\CompactFlash\\NK_OLD.BIN", false);
    Add("\\CompactFlash\\notes.txt", false);
    Add("\\CompactFlash\\Images", true);
    Add("\\CompactFlash\\Images\\v2.bin", false);
    Add("\\Windows", true);
  }
  std::vector<std::string> listed;

  std::unique_ptr<FileStream> Open(std::string_view, std::string_view) override { return nullptr; }
  bool FindFirstFile(std::string_view path, FindData* found) override {
    auto it = entries_.find(Lower(path));
    if (it == entries_.end()) return false;
    *found = it->second;
    return true;
  }
  std::vector<FindData> ListDirectory(std::string_view path) override {
    listed.emplace_back(path);
    std::string folder = Lower(path);
    if (folder == "\\") folder.clear();
    std::vector<FindData> out;
    for (const auto& [key, data] : entries_) {
      if (key.size() > folder.size() && key.compare(0, folder.size(), folder) == 0 && key[folder.size()] == '\\' &&
          key.find('\\', folder.size() + 1) == std::string::npos) {
        out.push_back(data);
      }
    }
    return out;
  }
  long GetLastError() const override { return ERROR_FILE_NOT_FOUND; }

 private:
  static std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
  }
  void Add(const std::string& path, bool folder) {
    entries_[Lower(path)] = FindData{path.substr(path.rfind('\\') + 1), folder, folder ? 0u : 1024u};
  }
  std::map<std::string, FindData> entries_;
};

QStringList Entries(QWidget* dialog) {
  QStringList names;
  auto* list = dialog->findChild<QListWidget*>(QStringLiteral("entries"));
  for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
  return names;
}

QPoint PointOf(QListWidget* list, const QString& name) {
  QCoreApplication::processEvents();  // the list lays its items out late
  const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
  if (found.size() != 1) {
    ADD_FAILURE() << "no single entry " << name.toStdString();
    return QPoint(-1, -1);
  }
  return list->visualItemRect(found.front()).center();
}

void Tap(QListWidget* list, const QString& name) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, PointOf(list, name));
}

void DoubleTap(QListWidget* list, const QString& name) {
  const QPoint at = PointOf(list, name);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

// Ends a dialog the test left open (a failed step), so the test can report.
void CancelIfOpen(QWidget* dialog) {
  if (auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("cancel"))) cancel->click();
}

class QtFileDialog : public ::testing::Test {
 protected:
  QtFileDialog() {
    ShowPanel(backend);
    backend.SetFiles(&files);
    request.filter = "OSimage Files(*.bin)|*.bin";
    request.flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  }
  QtDialogBackend backend;
  MemoryFiles files;
  FileDialogRequest request;
};

TEST_F(QtFileDialog, BrowsesFoldersAndAnswersTheChosenFilesControllerPath) {
  QStringList atRoot, inCard;
  QString caption;
  backend.SetModalHook([&](QWidget* dialog) {
    caption = static_cast<FrameWindow*>(dialog)->Caption();
    auto* list = dialog->findChild<QListWidget*>(QStringLiteral("entries"));
    atRoot = Entries(dialog);
    Tap(list, QStringLiteral("CompactFlash"));
    inCard = Entries(dialog);
    DoubleTap(list, QStringLiteral("nk.bin"));
    CancelIfOpen(dialog);
  });
  std::string path;
  EXPECT_EQ(backend.OpenFileDialog(0, request, &path), IDOK);
  EXPECT_EQ(path, "\\CompactFlash\\nk.bin");
  EXPECT_EQ(caption, "Open");
  EXPECT_EQ(atRoot, (QStringList{"CompactFlash", "Windows"}));
  // Folders first, then the files the filter lets through, without regard to case.
  EXPECT_EQ(inCard, (QStringList{"Images", "nk.bin", "NK_OLD.BIN"}));
}

TEST_F(QtFileDialog, CancelLeavesThePathAlone) {
  backend.SetModalHook([&](QWidget* dialog) { dialog->findChild<QPushButton*>(QStringLiteral("cancel"))->click(); });
  std::string path = "before";
  EXPECT_EQ(backend.OpenFileDialog(0, request, &path), IDCANCEL);
  EXPECT_EQ(path, "before");
}

TEST_F(QtFileDialog, AFileThatMustExistIsNotAnsweredUntilItDoes) {
  QString note;
  backend.SetModalHook([&](QWidget* dialog) {
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("name"));
    auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("ok"));
    name->setText(QStringLiteral("\\CompactFlash\\missing.bin"));
    ok->click();
    note = dialog->findChild<QLabel*>(QStringLiteral("note"))->text();
    name->setText(QStringLiteral("\\CompactFlash\\*.bin"));  // a pattern is no file
    ok->click();
    name->setText(QStringLiteral("\\compactflash\\images"));  // a folder is opened, not answered
    ok->click();
    EXPECT_EQ(Entries(dialog), (QStringList{"v2.bin"}));
    name->setText(QStringLiteral("v2.bin"));
    ok->click();
    CancelIfOpen(dialog);
  });
  std::string path;
  EXPECT_EQ(backend.OpenFileDialog(0, request, &path), IDOK);
  EXPECT_EQ(path, "\\compactflash\\images\\v2.bin");
  EXPECT_EQ(note, "File not found.");
}

TEST_F(QtFileDialog, StartsInTheSuggestedFilesFolder) {
  request.filter = "Backup Files(*.bak)|*.bak|All Files (*.*)|*.*||";
  request.initialFile = "\\CompactFlash\\T5x5x_Backup.bak";
  QString folder, name;
  QStringList types, all;
  backend.SetModalHook([&](QWidget* dialog) {
    folder = dialog->findChild<QLabel*>(QStringLiteral("folder"))->text();
    name = dialog->findChild<QLineEdit*>(QStringLiteral("name"))->text();
    auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("types"));
    for (int i = 0; i < combo->count(); ++i) types << combo->itemText(i);
    combo->setCurrentIndex(1);
    all = Entries(dialog);
    dialog->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
  });
  backend.OpenFileDialog(0, request, nullptr);
  EXPECT_EQ(folder, "\\CompactFlash");
  EXPECT_EQ(name, "T5x5x_Backup.bak");
  EXPECT_EQ(types, (QStringList{"Backup Files(*.bak)", "All Files (*.*)"}));
  EXPECT_EQ(all, (QStringList{"Images", "nk.bin", "NK_OLD.BIN", "notes.txt"}));
}

TEST_F(QtFileDialog, OpensInTheFolderAskedForOrTheNearestOneAboveItThatIsThere) {
  std::vector<QString> folders;
  backend.SetModalHook([&](QWidget* dialog) {
    folders.push_back(dialog->findChild<QLabel*>(QStringLiteral("folder"))->text());
    if (folders.size() == 1) {
      EXPECT_EQ(Entries(dialog), (QStringList{"v2.bin"}));
    }
    dialog->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
  });
  for (const char* folder : {"\\compactflash\\images", "\\CompactFlash\\Gone\\Deeper", "", "Images"}) {
    request.initialFolder = folder;
    backend.OpenFileDialog(0, request, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the closed dialog goes
  }
  EXPECT_EQ(folders, (std::vector<QString>{"\\compactflash\\images", "\\CompactFlash", "\\", "\\"}));
}

TEST_F(QtFileDialog, WithoutTheControllersFilesTheDialogIsCancelled) {
  backend.SetFiles(nullptr);
  backend.SetModalHook([](QWidget*) { FAIL() << "shown without files"; });
  EXPECT_EQ(backend.OpenFileDialog(0, request, nullptr), IDCANCEL);
}

TEST(QtFileFilter, ParsesLabelsAndPatterns) {
  const std::vector<FileFilter> filters = ParseFileFilter("Images(*.bin;*.nb0)|*.bin;*.nb0|All|*.*||");
  ASSERT_EQ(filters.size(), 2u);
  EXPECT_EQ(filters[0].label, "Images(*.bin;*.nb0)");
  EXPECT_EQ(filters[0].patterns, (QStringList{"*.bin", "*.nb0"}));
  EXPECT_TRUE(MatchesFilter(QStringLiteral("NK.NB0"), filters[0].patterns));
  EXPECT_FALSE(MatchesFilter(QStringLiteral("nk.bin.txt"), filters[0].patterns));
  EXPECT_TRUE(MatchesFilter(QStringLiteral("anything"), filters[1].patterns));
  EXPECT_EQ(ParseFileFilter("").size(), 1u);  // no filter shows every file
  EXPECT_EQ(JoinControllerPath(QStringLiteral("\\"), QStringLiteral("Windows")), "\\Windows");
  EXPECT_EQ(ControllerFolderOf(QStringLiteral("\\CompactFlash\\nk.bin")), "\\CompactFlash");
  EXPECT_EQ(ControllerFolderOf(QStringLiteral("\\nk.bin")), "\\");
}

}  // namespace
}  // namespace talvon::qt
