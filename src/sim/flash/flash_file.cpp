#include "sim/flash/flash_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "flash/flash_areas.h"

namespace talvon::sim {
namespace {

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

std::string SystemError(const std::string& what, const std::filesystem::path& path) {
  return what + " " + path.string() + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t count) {
  while (count > 0) {
    const ssize_t n = ::write(fd, data, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

// The process holding a flock on the file's inode, from /proc/locks, as
// "process 1234 (talvon-utility)"; empty when it cannot be told.
std::string LockHolder(const struct stat& st) {
  std::ifstream locks("/proc/locks");
  char inode[64];
  std::snprintf(inode, sizeof inode, ":%llu", static_cast<unsigned long long>(st.st_ino));
  std::string line;
  while (std::getline(locks, line)) {
    // "1: FLOCK  ADVISORY  WRITE 4242 fd:01:1234567 0 EOF"
    std::istringstream fields(line);
    std::string number, kind, mode, access, pid, device;
    fields >> number >> kind >> mode >> access >> pid >> device;
    if (kind != "FLOCK" || device.size() < std::strlen(inode) ||
        device.compare(device.size() - std::strlen(inode), std::string::npos, inode) != 0) {
      continue;
    }
    std::string name;
    std::ifstream comm("/proc/" + pid + "/comm");
    std::getline(comm, name);
    return "process " + pid + (name.empty() ? "" : " (" + name + ")");
  }
  return {};
}

}  // namespace

bool FlashFile::CreateBlank(const std::filesystem::path& path, std::string* error) {
  // Written beside the target and renamed, so an interrupted creation
  // never leaves a short flash.bin behind.
  const std::filesystem::path temporary = path.string() + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Fail(error, SystemError("cannot create", temporary));
  const std::vector<std::uint8_t> blank(1u << 20, 0xFF);
  bool written = true;
  for (std::size_t done = 0; done < FlashWindowSize && written; done += blank.size()) {
    written = WriteAll(fd, blank.data(), blank.size());
  }
  const int savedErrno = errno;
  if (::close(fd) != 0) written = false;
  if (!written) {
    errno = savedErrno;
    const std::string text = SystemError("cannot write", temporary);
    std::filesystem::remove(temporary);
    return Fail(error, text);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string text = SystemError("cannot rename to", path);
    std::filesystem::remove(temporary);
    return Fail(error, text);
  }
  return true;
}

std::unique_ptr<FlashFile> FlashFile::Open(const std::filesystem::path& path, std::string* error, Access access) {
  const bool readOnly = access == Access::ReadOnly;
  std::error_code ec;
  if (!readOnly && !std::filesystem::exists(path, ec) && !CreateBlank(path, error)) return nullptr;
  const int fd = ::open(path.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
  if (fd < 0) {
    Fail(error, SystemError("cannot open", path));
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    Fail(error, SystemError("cannot stat", path));
    ::close(fd);
    return nullptr;
  }
  // One controller, one user: a second utility or tool working on the same
  // flash would mix two images into one.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const std::string holder = errno == EWOULDBLOCK ? LockHolder(st) : std::string();
    Fail(error, errno == EWOULDBLOCK
                    ? "controller in use: " + path.string() + " is held by " +
                          (holder.empty() ? std::string("another process") : holder)
                    : SystemError("cannot lock", path));
    ::close(fd);
    return nullptr;
  }
  if (static_cast<std::uint64_t>(st.st_size) != FlashWindowSize) {
    Fail(error, path.string() + " holds " + std::to_string(st.st_size) + " bytes; a flash image holds " +
                    std::to_string(FlashWindowSize));
    ::close(fd);
    return nullptr;
  }
  void* map = ::mmap(nullptr, FlashWindowSize, PROT_READ | PROT_WRITE, readOnly ? MAP_PRIVATE : MAP_SHARED, fd, 0);
  if (map == MAP_FAILED) {
    const int savedErrno = errno;
    ::close(fd);
    errno = savedErrno;
    Fail(error, SystemError("cannot map", path));
    return nullptr;
  }
  // The descriptor stays open: it holds the lock for as long as the flash is open.
  return std::unique_ptr<FlashFile>(new FlashFile(static_cast<std::uint8_t*>(map), FlashWindowSize, fd));
}

FlashFile::~FlashFile() {
  ::munmap(data_, size_);
  ::close(fd_);
}

bool FlashFile::Sync(std::string* error) {
  if (::msync(data_, size_, MS_SYNC) != 0) return Fail(error, std::string("cannot sync flash: ") + std::strerror(errno));
  return true;
}

}  // namespace talvon::sim
