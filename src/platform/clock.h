#pragma once
#include <cstdint>

namespace talvon {

// Pauses and the passing of time. Tests use a virtual clock so that the
// utility's waits cost no real time.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // Milliseconds since an arbitrary start, monotonic.
  virtual std::uint64_t NowMs() const = 0;
};

// Real time: Sleep blocks the calling thread.
class SystemClock final : public Clock {
 public:
  void Sleep(std::uint32_t milliseconds) override;
  std::uint64_t NowMs() const override;
};

// Virtual time: Sleep advances the clock at once.
class VirtualClock final : public Clock {
 public:
  void Sleep(std::uint32_t milliseconds) override { now_ += milliseconds; }
  std::uint64_t NowMs() const override { return now_; }
  void Advance(std::uint64_t milliseconds) { now_ += milliseconds; }

 private:
  std::uint64_t now_ = 0;
};

}  // namespace talvon
