#include "flash/file_replacement.h"

namespace talvon {
namespace {

// Room the file system needs beyond the data itself (directory entries,
// the last cluster); a card this close to full writes in place instead.
constexpr std::uint64_t kFileSystemSlack = 256 * 1024;

}  // namespace

std::string SideFilePath(std::string_view path) { return std::string(path) + ".part"; }

FileReplacement::FileReplacement(Files& files, std::string_view path, std::uint64_t size)
    : files_(files), path_(path), sidePath_(SideFilePath(path)) {
  std::uint64_t freeBytes = 0;
  beside_ = files_.GetDiskFreeSpace(path_, &freeBytes) && freeBytes >= size + kFileSystemSlack;
}

FileReplacement::~FileReplacement() {
  if (!beside_ || committed_) return;
  if (file_) file_->Close();
  files_.DeleteFile(sidePath_);
}

FileStream* FileReplacement::Open() {
  if (beside_) {
    file_ = files_.Open(sidePath_, "wb");
    if (file_) return file_.get();
    beside_ = false;  // nothing may be created beside it: write in place
  }
  file_ = files_.Open(path_, "wb");
  return file_.get();
}

FileReplacement::Finish FileReplacement::Commit() {
  if (!file_) return Finish::CloseFailed;
  if (file_->Close() != 0) return Finish::CloseFailed;
  if (!beside_) {
    committed_ = true;
    return Finish::Done;
  }
  if (!files_.ReplaceFile(sidePath_, path_)) return Finish::ReplaceFailed;
  committed_ = true;
  return Finish::Done;
}

}  // namespace talvon
