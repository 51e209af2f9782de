#pragma once
// The controller's file system on the host: controller paths are confined
// to one host folder (fs/ of the controller directory); see controller_path.h
// for how paths are mapped and what is refused. Streams are host stdio
// streams. Not modelled: file attributes, times, sharing modes, the
// CompactFlash card being removed.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "sim/roles/controller_path.h"

namespace talvon::sim {

class SimFiles final : public Files {
 public:
  // `hostRoot` is the folder that the controller's "\" stands for.
  explicit SimFiles(std::filesystem::path hostRoot);

  std::unique_ptr<FileStream> Open(std::string_view controllerPath, std::string_view mode) override;
  bool FindFirstFile(std::string_view controllerPath, FindData* found) override;
  std::vector<FindData> ListDirectory(std::string_view controllerPath) override;
  long GetLastError() const override { return lastError_; }
  // The free space of the host volume that holds fs/.
  bool GetDiskFreeSpace(std::string_view controllerPath, std::uint64_t* freeBytes) override;
  bool ReplaceFile(std::string_view from, std::string_view to) override;
  bool DeleteFile(std::string_view controllerPath) override;

 private:
  // The open folder of a file's path and the file's name on the host (its
  // existing name, whatever its case, else the name as given). `exists`
  // says whether a regular file is there; a folder of that name is refused.
  long LocateFile(std::string_view controllerPath, UniqueFd* folder, std::string* hostName, bool* exists);

  ControllerFileSystem fs_;
  long lastError_ = 0;
};

}  // namespace talvon::sim
