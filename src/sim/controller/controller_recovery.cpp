#include "sim/controller/controller_recovery.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <vector>

#include "flash/flash_areas.h"
#include "flash/flash_device.h"
#include "flash/transfer_buffer.h"
#include "operations/flash_files.h"
#include "operations/os_image_update.h"
#include "platform/clock.h"
#include "sim/roles/host_files.h"

namespace talvon::sim {
namespace {

// The texts the panel shows span lines; the console keeps each on one.
std::string OneLine(std::string_view text) {
  std::string line(text);
  std::replace(line.begin(), line.end(), '\n', ' ');
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

// Application message boxes, answered at once: each text becomes a line of
// the console's output and is kept for the closing verdict.
class ConsoleMessages final : public AppMessageBoxes {
 public:
  explicit ConsoleMessages(const ConsoleOutput& out) : out_(out) {}
  int AppMessageBox(std::string_view text, std::uint32_t) override {
    out_.progress.End();
    shown_.push_back(OneLine(text));
    out_.messages << shown_.back() << '\n';
    return IDOK;
  }
  // The verdict, then the first reason given.
  std::string Verdict(const char* verdict) const {
    return shown_.empty() ? verdict : std::string(verdict) + " " + shown_.front();
  }
  bool Said() const { return !shown_.empty(); }

 private:
  const ConsoleOutput& out_;
  std::vector<std::string> shown_;
};

// Host files whose streams report the bytes that pass, so the file
// operations' progress shows without touching them. Each open, and each
// return to the start of a file that has been read, starts a new step, named
// by the caller's list (the last name stays for further steps).
class ProgressFiles final : public Files {
 public:
  ProgressFiles(ConsoleProgress& progress, std::uint64_t total, std::vector<std::string> steps)
      : progress_(progress), total_(total), steps_(std::move(steps)) {}

  std::unique_ptr<FileStream> Open(std::string_view path, std::string_view mode) override {
    auto file = host_.Open(path, mode);
    if (!file) return nullptr;
    auto stream = std::make_unique<Stream>(std::move(file), *this);
    stream->NextStep();
    return stream;
  }
  bool FindFirstFile(std::string_view path, FindData* found) override { return host_.FindFirstFile(path, found); }
  std::vector<FindData> ListDirectory(std::string_view path) override { return host_.ListDirectory(path); }
  long GetLastError() const override { return host_.GetLastError(); }
  bool GetDiskFreeSpace(std::string_view path, std::uint64_t* freeBytes) override {
    return host_.GetDiskFreeSpace(path, freeBytes);
  }
  bool ReplaceFile(std::string_view from, std::string_view to) override { return host_.ReplaceFile(from, to); }
  bool DeleteFile(std::string_view path) override { return host_.DeleteFile(path); }

 private:
  class Stream final : public FileStream {
   public:
    Stream(std::unique_ptr<FileStream> inner, ProgressFiles& owner) : inner_(std::move(inner)), owner_(owner) {}
    std::size_t Read(void* buffer, std::size_t count) override { return Count(inner_->Read(buffer, count)); }
    std::size_t Write(const void* buffer, std::size_t count) override { return Count(inner_->Write(buffer, count)); }
    int Seek(std::int64_t offset, int origin) override {
      const int result = inner_->Seek(offset, origin);
      if (result == 0 && offset == 0 && origin == SEEK_SET && done_ > 0) NextStep();
      return result;
    }
    std::int64_t Tell() override { return inner_->Tell(); }
    int Close() override { return inner_->Close(); }
    void NextStep() {
      step_ = owner_.steps_[std::min(owner_.stepsTaken_++, owner_.steps_.size() - 1)];
      done_ = 0;
      owner_.progress_.Show(step_, 0, owner_.total_);
    }

   private:
    std::size_t Count(std::size_t moved) {
      if (moved == 0) return 0;  // a look past the end moves nothing
      done_ += moved;
      owner_.progress_.Show(step_, std::min(done_, owner_.total_), owner_.total_);
      return moved;
    }
    std::unique_ptr<FileStream> inner_;
    ProgressFiles& owner_;
    std::string step_;
    std::uint64_t done_ = 0;
  };

  HostFiles host_;
  ConsoleProgress& progress_;
  std::uint64_t total_;
  std::vector<std::string> steps_;
  std::size_t stepsTaken_ = 0;
};

// The OS image write's status line and bar, turned into the console's steps.
class ConsoleUpdateHost final : public OsImageUpdateHost {
 public:
  explicit ConsoleUpdateHost(const ConsoleOutput& out) : out_(out) {}
  void SetStatusText(std::string_view line) override {
    if (line.starts_with("Now Erase")) {
      step_ = "erase";
    } else if (line.starts_with("Now Write")) {
      step_ = "write";
    }
  }
  void SetProgressStep(int) override {}
  void SetProgressRange(int, int) override {}
  void SetProgressPos(int position) override {
    out_.progress.Show(step_, static_cast<std::uint64_t>(std::clamp(position, 0, 100)), 100);
  }
  void PumpOneMessage() override {}
  void ShowError(std::string_view text) override {
    out_.progress.End();
    out_.messages << OneLine(text) << '\n';
  }

 private:
  const ConsoleOutput& out_;
  std::string step_ = "erase";
};

constexpr std::uint64_t kBackupFileSize = std::uint64_t{SystemFlashAreaSize} + 4;

}  // namespace

bool ReadFlashToFile(ControllerFiles& c, std::uint32_t address, std::uint32_t length, const std::string& hostPath,
                     const ConsoleOutput& out, std::string* error) {
  const std::uint64_t end = std::uint64_t{address} + length;
  if (length == 0 || address < FlashWindowBase || end > std::uint64_t{FlashWindowBase} + FlashWindowSize) {
    char text[160];
    std::snprintf(text, sizeof text, "the range must lie inside the flash window 0x%08X to 0x%08X",
                  FlashWindowBase, FlashWindowBase + FlashWindowSize);
    *error = text;
    return false;
  }
  HostFiles files;
  auto file = files.Open(hostPath, "wb");
  if (!file) {
    *error = "cannot create " + hostPath;
    return false;
  }
  TransferBuffer transfer;
  for (std::uint32_t done = 0; done < length;) {
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(transfer.size(), length - done));
    if (!ReadFlashRange(*c.flash, FlashWindowBase, address + done, n, transfer.data())) {
      out.progress.End();
      *error = "reading the flash failed";
      return false;
    }
    if (file->Write(transfer.data(), n) != n) {
      out.progress.End();
      *error = "writing " + hostPath + " failed";
      return false;
    }
    done += n;
    out.progress.Show("read", done, length);
  }
  out.progress.End();
  if (file->Close() != 0) {
    *error = "writing " + hostPath + " failed";
    return false;
  }
  return true;
}

bool BackupAllToFile(ControllerFiles& c, const std::string& hostPath, const ConsoleOutput& out, std::string* error) {
  ProgressFiles files(out.progress, kBackupFileSize, {"backup"});
  ConsoleMessages messages(out);
  TransferBuffer transfer;
  const int result = BackupAllFile({files, *c.flash, messages, transfer}, hostPath);
  out.progress.End();
  if (result == 0) return true;
  *error = messages.Verdict(BackupAllNgText);
  return false;
}

bool RestoreAllFromFile(ControllerFiles& c, const std::string& hostPath, const ConsoleOutput& out,
                        std::string* error) {
  // One open: the whole file is checked, then the area erased and the file copied in.
  ProgressFiles files(out.progress, kBackupFileSize, {"check", "restore"});
  ConsoleMessages messages(out);
  TransferBuffer transfer;
  const RestoreAllResult result = RestoreAllFromBackup({files, *c.flash, messages, transfer}, hostPath);
  out.progress.End();
  switch (result.outcome) {
    case RestoreAllOutcome::Restored:
      return true;
    case RestoreAllOutcome::Refused:
      // The restore refuses a file whose check bytes do not match without a word.
      *error = result.refusal == RestoreAllRefusal::CheckBytes
                   ? std::string(RestoreAllNgText) + " The check bytes of the file do not match its data."
                   : messages.Verdict(RestoreAllNgText);
      *error += " The flash has not been changed.";
      return false;
    case RestoreAllOutcome::Incomplete:
      break;
  }
  *error = messages.Verdict(RestoreAllNgText) +
           " The system area is incomplete: restore a good backup before the controller is started.";
  return false;
}

bool WriteOsImageWithProgress(ControllerFiles& c, const std::string& hostPath, const ConsoleOutput& out,
                              std::string* error) {
  HostFiles files;
  VirtualClock clock;  // no window to repaint: the pacing waits cost nothing here
  TransferBuffer transfer;
  ConsoleUpdateHost host(out);
  const OsImageUpdateResult result = UpdateOsImage({files, *c.flash, clock, transfer, host}, hostPath);
  out.progress.End();
  if (result.outcome == OsImageUpdateResult::Outcome::Written) return true;
  *error = OneLine(result.message);
  return false;
}

}  // namespace talvon::sim
