#include "sim/registry/file_hive_storage.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "sim/registry/hive_format.h"

namespace talvon::sim {

namespace {

// Writes all bytes and syncs them, so the rename that follows never
// exposes a half-written area after a crash.
bool WriteWholeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::size_t done = 0;
  bool ok = true;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (!ok) ::unlink(path.c_str());
  return ok;
}

}  // namespace

FileHiveStorage::FileHiveStorage(std::filesystem::path path) : path_(std::move(path)) {}

std::vector<std::uint8_t> FileHiveStorage::Load() {
  std::vector<std::uint8_t> area(HiveAreaSize, 0xFF);
  std::ifstream in(path_, std::ios::binary);
  if (!in) return area;
  in.read(reinterpret_cast<char*>(area.data()), static_cast<std::streamsize>(area.size()));
  std::size_t got = static_cast<std::size_t>(in.gcount());
  std::fill(area.begin() + static_cast<std::ptrdiff_t>(got), area.end(), std::uint8_t{0xFF});
  return area;
}

bool FileHiveStorage::Store(const std::vector<std::uint8_t>& image) {
  if (image.size() > HiveAreaSize) return false;
  std::vector<std::uint8_t> area(image);
  area.resize(HiveAreaSize, 0xFF);
  std::filesystem::path temporary = path_;
  temporary += ".tmp";
  if (!WriteWholeFile(temporary, area)) return false;
  std::error_code error;
  std::filesystem::rename(temporary, path_, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace talvon::sim
