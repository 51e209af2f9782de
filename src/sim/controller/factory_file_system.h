#pragma once
// The file system a new controller leaves the factory with: the
// CompactFlash card with the folder the registry dump goes to, the folders
// the FTP and HTTP servers serve, and the programs the utility and the boot
// launcher start, as small harmless shell-script stand-ins.

#include <filesystem>
#include <string>

namespace talvon::sim {

// Fills `fsRoot` (which must exist) with the factory folders and programs.
bool WriteFactoryFileSystem(const std::filesystem::path& fsRoot, std::string* error);

}  // namespace talvon::sim
