#pragma once
#include <map>
#include <string>

#include "platform/headless/transcript.h"
#include "platform/platform.h"
#include "platform/processes.h"
#include "sdk/forwarding_sdk.h"

namespace talvon {

// Passes every call on to the controller's Processes and writes each program
// start (and whether it started) to the transcript.
class RecordingProcesses final : public Processes {
 public:
  RecordingProcesses(Processes& inner, Transcript& transcript) : inner_(inner), transcript_(transcript) {}
  bool CreateProcess(std::string_view path, bool suspended, ProcessInformation* info) override;
  bool ResumeThread(std::uint32_t threadId) override;
  bool OpenThroughShellAndWait(std::string_view path) override;

 private:
  Processes& inner_;
  Transcript& transcript_;
  std::map<std::uint32_t, std::string> suspended_;  // by thread, until resumed
};

// Passes every call on to the controller's SDK and writes each reboot to the
// transcript before it happens.
class RecordingSdk final : public ForwardingSdk {
 public:
  RecordingSdk(ControllerSdk& inner, Transcript& transcript) : ForwardingSdk(inner), transcript_(transcript) {}
  bool RebootRequested() const { return rebootRequested_; }

  void Reset_TalVon() override;

 private:
  Transcript& transcript_;
  bool rebootRequested_ = false;
};

// Passes every call on to the controller's memory division and writes each
// request for a new division, with its answer, to the transcript.
class RecordingMemoryDivision final : public MemoryDivision {
 public:
  RecordingMemoryDivision(MemoryDivision& inner, Transcript& transcript) : inner_(inner), transcript_(transcript) {}
  bool GetDivision(MemoryDivisionFigures* figures) override { return inner_.GetDivision(figures); }
  std::uint32_t SetStorageDivision(std::uint32_t storagePages) override;
  bool GetObjectStore(ObjectStoreFigures* figures) override { return inner_.GetObjectStore(figures); }
  bool GetPhysicalMemory(PhysicalMemoryFigures* figures) override { return inner_.GetPhysicalMemory(figures); }

 private:
  MemoryDivision& inner_;
  Transcript& transcript_;
};

// A controller's platform with program starts, division requests and reboots
// written to the transcript; every other role is the controller's own.
struct RecordedPlatform {
  RecordedPlatform(Platform& base, Transcript& transcript)
      : processes(base.processes, transcript),
        sdk(base.sdk, transcript),
        memory(base.memory, transcript),
        platform{base.registry, base.files, processes, base.serialPorts, memory, base.clock, base.flash, sdk} {}
  RecordedPlatform(const RecordedPlatform&) = delete;
  RecordedPlatform& operator=(const RecordedPlatform&) = delete;

  RecordingProcesses processes;
  RecordingSdk sdk;
  RecordingMemoryDivision memory;
  Platform platform;
};

}  // namespace talvon
