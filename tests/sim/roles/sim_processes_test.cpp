#include "sim/roles/sim_processes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "sim/controller/factory_file_system.h"
#include "support/temp_dir.h"

namespace talvon::sim {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

class ProcessesTest : public ::testing::Test {
 protected:
  ProcessesTest() : root_(scratch_.Path() / "fs") {
    fs::create_directories(root_);
    std::string error;
    EXPECT_TRUE(WriteFactoryFileSystem(root_, &error)) << error;
    processes_.SetStartObserver([this](std::string_view path) { started_.emplace_back(path); });
  }

  void WriteProgram(const std::string& relative, const std::string& script) {
    WriteFile(root_ / relative, "#!/bin/sh\n" + script);
    fs::permissions(root_ / relative, fs::perms::owner_all);
  }

  // Waits (bounded, not timed) for one line the program writes into the FIFO.
  static std::string LineFrom(const fs::path& fifo) {
    int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return "<no fifo>";
    std::string text;
    char c;
    while (text.find('\n') == std::string::npos) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 20000) <= 0) break;
      ssize_t n = ::read(fd, &c, 1);
      if (n == 1) text.push_back(c);
      if (n == 0 && (p.revents & POLLHUP)) break;
    }
    ::close(fd);
    return text;
  }

  static bool NoChildrenLeft() { return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

  TempDir scratch_;
  fs::path root_;
  SimProcesses processes_{scratch_.Path() / "fs", SimProcesses::ChildOutput::Discard};
  std::vector<std::string> started_;
};

TEST_F(ProcessesTest, FactoryProgramsStart) {
  ProcessInformation info;
  EXPECT_TRUE(processes_.CreateProcess("\\windows\\RegView.exe", true, &info));
  EXPECT_NE(info.processId, 0u);
  EXPECT_TRUE(processes_.ResumeThread(info.threadId));
  EXPECT_TRUE(processes_.CreateProcess("\\windows\\Calibrate_serial.exe", false, &info));
  EXPECT_TRUE(processes_.CreateProcess("\\windows\\Calibrate_usb.exe", false, &info));
  EXPECT_TRUE(processes_.OpenThroughShellAndWait("\\compactflash\\Vantro-I\\Lumex\\RegistryOCX.bat"));
  EXPECT_TRUE(processes_.OpenThroughShellAndWait("\\Windows\\intll.cpl"));
  EXPECT_EQ(started_, (std::vector<std::string>{"\\windows\\RegView.exe", "\\windows\\Calibrate_serial.exe",
                                                "\\windows\\Calibrate_usb.exe",
                                                "\\compactflash\\Vantro-I\\Lumex\\RegistryOCX.bat",
                                                "\\Windows\\intll.cpl"}));
  EXPECT_TRUE(NoChildrenLeft());
}

TEST_F(ProcessesTest, MissingOrUnfitProgramsFailToStart) {
  WriteFile(root_ / "Windows" / "plain.exe", "#!/bin/sh\nexit 0\n");  // not executable
  WriteProgram("Windows/data.exe", "");
  WriteFile(root_ / "Windows" / "data.exe", "MZ\x90\x00");  // not a host program
  fs::permissions(root_ / "Windows" / "data.exe", fs::perms::owner_all);
  fs::create_symlink("/bin/true", root_ / "Windows" / "link.exe");
  ProcessInformation info;
  for (const char* path : {"\\windows\\missing.exe", "\\NoFolder\\RegView.exe", "\\Windows", "\\Windows\\plain.exe",
                           "\\Windows\\data.exe", "\\Windows\\link.exe", "\\..\\..\\..\\bin\\true", "/bin/true",
                           "", "\\"}) {
    EXPECT_FALSE(processes_.CreateProcess(path, false, &info)) << path;
    EXPECT_FALSE(processes_.CreateProcess(path, true, &info)) << path;
    EXPECT_FALSE(processes_.OpenThroughShellAndWait(path)) << path;
  }
  EXPECT_TRUE(started_.empty());
  EXPECT_FALSE(processes_.ResumeThread(12345));
}

TEST_F(ProcessesTest, ShellOpenWaitsForTheProgramToEnd) {
  WriteProgram("CompactFlash/Job.bat", "sleep 0.2\necho done > marker.txt\n");
  ASSERT_TRUE(processes_.OpenThroughShellAndWait("\\CompactFlash\\job.BAT"));
  // The program ran in the file system's root and had finished.
  EXPECT_EQ(ReadFile(root_ / "marker.txt"), "done\n");
  EXPECT_TRUE(NoChildrenLeft());
}

TEST_F(ProcessesTest, CreateProcessDoesNotWaitForTheProgram) {
  ASSERT_EQ(::mkfifo((root_ / "gate.fifo").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((root_ / "out.fifo").c_str(), 0600), 0);
  // Runs until the test lets it go through the gate.
  WriteProgram("Windows/Waiter.exe", "read line < gate.fifo\necho \"passed $line\" > out.fifo\n");
  ProcessInformation info;
  ASSERT_TRUE(processes_.CreateProcess("\\Windows\\Waiter.exe", false, &info));
  int gate = ::open((root_ / "gate.fifo").c_str(), O_WRONLY);
  ASSERT_GE(gate, 0);
  ASSERT_EQ(::write(gate, "go\n", 3), 3);
  ::close(gate);
  EXPECT_EQ(LineFrom(root_ / "out.fifo"), "passed go\n");
  EXPECT_TRUE(NoChildrenLeft());
}

TEST_F(ProcessesTest, SuspendedProgramRunsOnlyOnceResumed) {
  ASSERT_EQ(::mkfifo((root_ / "out.fifo").c_str(), 0600), 0);
  WriteProgram("Windows/Marker.exe", "echo ran > marker.txt\necho ran > out.fifo\n");
  ProcessInformation info;
  ASSERT_TRUE(processes_.CreateProcess("\\Windows\\Marker.exe", true, &info));
  EXPECT_FALSE(fs::exists(root_ / "marker.txt"));
  ASSERT_TRUE(processes_.ResumeThread(info.threadId));
  EXPECT_EQ(LineFrom(root_ / "out.fifo"), "ran\n");
  EXPECT_FALSE(processes_.ResumeThread(info.threadId));
  EXPECT_TRUE(NoChildrenLeft());
}

TEST_F(ProcessesTest, SuspendedProgramNeverResumedNeverRuns) {
  WriteProgram("Windows/Marker.exe", "echo ran > marker.txt\n");
  {
    SimProcesses processes(root_, SimProcesses::ChildOutput::Discard);
    ProcessInformation info;
    ASSERT_TRUE(processes.CreateProcess("\\Windows\\Marker.exe", true, &info));
  }
  // The released process ends without loading its program; a shell open of
  // the same program afterwards proves the check would have seen a marker.
  EXPECT_FALSE(fs::exists(root_ / "marker.txt"));
  ASSERT_TRUE(processes_.OpenThroughShellAndWait("\\Windows\\Marker.exe"));
  EXPECT_TRUE(fs::exists(root_ / "marker.txt"));
}

}  // namespace
}  // namespace talvon::sim
