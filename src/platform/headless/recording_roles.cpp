#include "platform/headless/recording_roles.h"

#include <string>

namespace talvon {

bool RecordingProcesses::CreateProcess(std::string_view path, bool suspended, ProcessInformation* info) {
  ProcessInformation own;
  if (info == nullptr) info = &own;
  const bool started = inner_.CreateProcess(path, suspended, info);
  // A suspended program has not loaded yet: whether it starts shows when it
  // is resumed.
  if (started && suspended) {
    suspended_[info->threadId] = std::string(path);
  } else {
    transcript_.Add(ProgramStartEvent{std::string(path), started, false});
  }
  return started;
}

bool RecordingProcesses::ResumeThread(std::uint32_t threadId) {
  const bool resumed = inner_.ResumeThread(threadId);
  if (auto it = suspended_.find(threadId); it != suspended_.end()) {
    transcript_.Add(ProgramStartEvent{it->second, resumed, false});
    suspended_.erase(it);
  }
  return resumed;
}

bool RecordingProcesses::OpenThroughShellAndWait(std::string_view path) {
  const bool started = inner_.OpenThroughShellAndWait(path);
  transcript_.Add(ProgramStartEvent{std::string(path), started, true});
  return started;
}

std::uint32_t RecordingMemoryDivision::SetStorageDivision(std::uint32_t storagePages) {
  const std::uint32_t answer = inner_.SetStorageDivision(storagePages);
  transcript_.Add(MemoryDivisionEvent{storagePages, answer});
  return answer;
}

void RecordingSdk::Reset_TalVon() {
  rebootRequested_ = true;
  transcript_.Add(RebootEvent{});
  ForwardingSdk::Reset_TalVon();
}

}  // namespace talvon
