#include "sim/roles/sim_processes.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/errors.h"

namespace talvon::sim {
namespace {

// Descriptor numbers in the started program before it is loaded.
constexpr int StatusFd = 3;
constexpr int ResumeFd = 4;

bool ReadAll(int fd, void* data, std::size_t size) {
  auto* bytes = static_cast<char*>(data);
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::read(fd, bytes + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Whatever the started program's loader reported: true when it loaded.
bool Loaded(int statusFd) {
  int error = 0;
  return !ReadAll(statusFd, &error, sizeof error);
}

void WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

// Everything the child needs, made before fork: after it only
// async-signal-safe calls are allowed.
struct ChildPlan {
  const char* path = nullptr;
  char* const* argv = nullptr;
  char* const* envp = nullptr;
  const char* workingDirectory = nullptr;
  int devNull = -1;
  bool discardOutput = false;
  int statusWriter = -1;
  int resumeReader = -1;  // -1 when not suspended
};

[[noreturn]] void RunChild(const ChildPlan& plan) {
  // Park the two pipe ends above the standard descriptors, then put them in place.
  int status = ::fcntl(plan.statusWriter, F_DUPFD, 10);
  int resume = plan.resumeReader >= 0 ? ::fcntl(plan.resumeReader, F_DUPFD, 10) : -1;
  ::dup2(plan.devNull, 0);
  if (plan.discardOutput) {
    ::dup2(plan.devNull, 1);
    ::dup2(plan.devNull, 2);
  }
  ::dup2(status, StatusFd);
  ::fcntl(StatusFd, F_SETFD, FD_CLOEXEC);
  if (resume >= 0) ::dup2(resume, ResumeFd);
  ::close_range(resume >= 0 ? ResumeFd + 1 : StatusFd + 1, ~0U, 0);

  sigset_t all;
  ::sigemptyset(&all);
  ::sigprocmask(SIG_SETMASK, &all, nullptr);
  struct sigaction dflt {};
  dflt.sa_handler = SIG_DFL;
  ::sigaction(SIGPIPE, &dflt, nullptr);

  if (resume >= 0) {
    char go = 0;
    ssize_t n;
    do {
      n = ::read(ResumeFd, &go, 1);
    } while (n < 0 && errno == EINTR);
    if (n != 1) ::_exit(127);  // released without being resumed
    ::close(ResumeFd);
  }
  if (::chdir(plan.workingDirectory) != 0) {
    // The program still runs, from wherever it was.
  }
  ::execve(plan.path, plan.argv, plan.envp);
  int error = errno;
  [[maybe_unused]] ssize_t ignored = ::write(StatusFd, &error, sizeof error);
  ::_exit(127);
}

bool MakePipe(UniqueFd* reader, UniqueFd* writer) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  reader->Reset(fds[0]);
  writer->Reset(fds[1]);
  return true;
}

}  // namespace

SimProcesses::SimProcesses(std::filesystem::path hostRoot, ChildOutput output)
    : fs_(std::filesystem::absolute(hostRoot)), output_(output) {}

SimProcesses::~SimProcesses() {
  // Closing a waiting process's resume pipe makes it end without loading.
  waiting_.clear();
}

std::string SimProcesses::FindProgram(std::string_view controllerPath) const {
  std::vector<std::string> names;
  if (SplitControllerPath(controllerPath, false, &names) != ERROR_SUCCESS || names.empty()) return {};
  UniqueFd folder;
  std::string hostFolder;
  if (fs_.OpenFolder(names, names.size() - 1, &folder, &hostFolder) != ERROR_SUCCESS) return {};
  std::optional<HostEntry> entry = FindHostEntry(folder.Get(), names.back());
  if (!entry || entry->isDirectory) return {};
  if (::faccessat(folder.Get(), entry->name.c_str(), X_OK, AT_EACCESS) != 0) return {};
  // Only programs the host can load: a binary or a script with an interpreter line.
  UniqueFd file(::openat(folder.Get(), entry->name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  char head[4] = {};
  if (!file.Valid() || ::read(file.Get(), head, sizeof head) < 2) return {};
  if (std::memcmp(head, "\x7f" "ELF", 4) != 0 && std::memcmp(head, "#!", 2) != 0) return {};
  return hostFolder + "/" + entry->name;
}

bool SimProcesses::Launch(const std::string& hostPath, bool detached, bool suspended, Start* start) const {
  UniqueFd devNull(::open("/dev/null", O_RDWR | O_CLOEXEC));
  UniqueFd statusReader, statusWriter, resumeReader, resumeWriter, pidReader, pidWriter;
  if (!devNull.Valid() || !MakePipe(&statusReader, &statusWriter)) return false;
  if (suspended && !MakePipe(&resumeReader, &resumeWriter)) return false;
  if (detached && !MakePipe(&pidReader, &pidWriter)) return false;

  std::string root = fs_.HostRoot().string();
  std::vector<char*> argv = {const_cast<char*>(hostPath.c_str()), nullptr};
  char pathVariable[] = "PATH=/usr/local/bin:/usr/bin:/bin";
  char localeVariable[] = "LC_ALL=C";
  std::vector<char*> envp = {pathVariable, localeVariable, nullptr};
  ChildPlan plan;
  plan.path = hostPath.c_str();
  plan.argv = argv.data();
  plan.envp = envp.data();
  plan.workingDirectory = root.c_str();
  plan.devNull = devNull.Get();
  plan.discardOutput = output_ == ChildOutput::Discard;
  plan.statusWriter = statusWriter.Get();
  plan.resumeReader = suspended ? resumeReader.Get() : -1;

  pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    if (!detached) RunChild(plan);
    pid_t program = ::fork();
    if (program == 0) RunChild(plan);
    [[maybe_unused]] ssize_t ignored = ::write(pidWriter.Get(), &program, sizeof program);
    ::_exit(0);
  }
  statusWriter.Reset();
  resumeReader.Reset();
  pidWriter.Reset();
  start->pid = child;
  if (detached) {
    WaitFor(child);
    pid_t program = -1;
    if (!ReadAll(pidReader.Get(), &program, sizeof program) || program <= 0) return false;
    start->pid = program;
  }
  start->status = std::move(statusReader);
  start->resume = std::move(resumeWriter);
  return true;
}

void SimProcesses::Notify(std::string_view path) const {
  if (observer_) observer_(path);
}

bool SimProcesses::CreateProcess(std::string_view path, bool suspended, ProcessInformation* info) {
  const std::string program = FindProgram(path);
  Start start;
  if (program.empty() || !Launch(program, true, suspended, &start)) return false;
  const auto id = static_cast<std::uint32_t>(start.pid);
  if (suspended) {
    waiting_[id] = Waiting{std::move(start.resume), std::move(start.status)};
  } else if (!Loaded(start.status.Get())) {
    return false;
  }
  if (info) {
    info->processId = id;
    info->threadId = id;
  }
  Notify(path);
  return true;
}

bool SimProcesses::ResumeThread(std::uint32_t threadId) {
  auto it = waiting_.find(threadId);
  if (it == waiting_.end()) return false;
  Waiting process = std::move(it->second);
  waiting_.erase(it);
  const char go = 1;
  ssize_t n;
  do {
    n = ::write(process.resume.Get(), &go, 1);
  } while (n < 0 && errno == EINTR);
  process.resume.Reset();
  return n == 1 && Loaded(process.status.Get());
}

bool SimProcesses::OpenThroughShellAndWait(std::string_view path) {
  const std::string program = FindProgram(path);
  Start start;
  if (program.empty() || !Launch(program, false, false, &start)) return false;
  const bool loaded = Loaded(start.status.Get());
  WaitFor(start.pid);
  if (loaded) Notify(path);
  return loaded;
}

}  // namespace talvon::sim
