// The file-open dialog on the panel. It browses the controller's file
// system through the Files role and answers a controller path
// ("\CompactFlash\nk.bin").
#pragma once
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "platform/dialog_backend.h"
#include "platform/files.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace talvon::qt {

class FrameWindow;

// One entry of a filter: "OSimage Files(*.bin)" with its patterns {"*.bin"}.
struct FileFilter {
  QString label;
  QStringList patterns;
};
// "label|pattern|label|pattern" as the framework takes it; patterns are
// separated by ';'. An empty filter shows every file.
std::vector<FileFilter> ParseFileFilter(const std::string& filter);
// Whether a file name matches one of the patterns (without regard to case).
bool MatchesFilter(const QString& name, const QStringList& patterns);
// Joins a controller folder and a name: "\" + "CompactFlash" is "\CompactFlash".
QString JoinControllerPath(const QString& folder, const QString& name);
// The folder of a controller path: "\CompactFlash\nk.bin" -> "\CompactFlash".
QString ControllerFolderOf(const QString& path);

class FileDialogContent final : public QWidget {
 public:
  // done(IDOK, path) or done(IDCANCEL, {}).
  FileDialogContent(Files& files, const FileDialogRequest& request, double panelFactor,
                    std::function<void(int answer, const std::string& path)> done, QWidget* parent);
  QString Folder() const { return folder_; }
  // Opens a folder ("\CompactFlash"); false when it does not exist.
  bool OpenFolder(const QString& folder);
  // What OK does with the name field: opens a folder, answers a file.
  void Accept();

 private:
  void Refill();
  void OnItemActivated(QListWidgetItem* item);
  bool FolderExists(const QString& folder);

  Files& files_;
  FileDialogRequest request_;
  std::vector<FileFilter> filters_;
  std::function<void(int, const std::string&)> done_;
  QString folder_;
  QLabel* folderLabel_;
  QListWidget* list_;
  QLineEdit* name_;
  QComboBox* types_;
  QLabel* note_;
};

// Builds the dialog, hidden and centred on the panel; object name "fileDialog".
FrameWindow* BuildFileDialog(QWidget* panel, double panelFactor, Files& files, const FileDialogRequest& request,
                             std::function<void(int answer, const std::string& path)> done);

}  // namespace talvon::qt
