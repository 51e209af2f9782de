#pragma once
#include <string>
#include <string_view>

namespace talvon {

// Who wants to know when flash work starts and ends: the utility holds off
// the operator's input meanwhile and keeps the panel repainting.
class FlashWorkObserver {
 public:
  virtual ~FlashWorkObserver() = default;
  virtual void FlashWorkStarted(std::string_view doing) = 0;
  // Between steps of long work: a turn for the panel to repaint.
  virtual void FlashWorkGoesOn() = 0;
  virtual void FlashWorkEnded() = 0;
};

// Whether the flash is being erased or written (or read whole for a backup)
// right now. Work nests: a restore erases and programs; what counts is the
// outermost piece, and its description is what the operator is told.
// Nothing else may start flash work or reboot the controller meanwhile.
class FlashWork {
 public:
  bool Busy() const { return depth_ > 0; }
  const std::string& Doing() const { return doing_; }
  void SetObserver(FlashWorkObserver* observer) { observer_ = observer; }
  FlashWorkObserver* Observer() const { return observer_; }
  // Called by long loops between steps.
  void GoesOn() {
    if (observer_ != nullptr && depth_ > 0) observer_->FlashWorkGoesOn();
  }

 private:
  friend class FlashWorkScope;
  int depth_ = 0;
  std::string doing_;
  FlashWorkObserver* observer_ = nullptr;
};

// Marks flash work for as long as it lives.
class FlashWorkScope {
 public:
  FlashWorkScope(FlashWork& work, std::string_view doing) : work_(work) {
    if (work_.depth_++ > 0) return;
    work_.doing_ = std::string(doing);
    if (work_.observer_ != nullptr) work_.observer_->FlashWorkStarted(doing);
  }
  ~FlashWorkScope() {
    if (--work_.depth_ > 0) return;
    work_.doing_.clear();
    if (work_.observer_ != nullptr) work_.observer_->FlashWorkEnded();
  }
  FlashWorkScope(const FlashWorkScope&) = delete;
  FlashWorkScope& operator=(const FlashWorkScope&) = delete;

 private:
  FlashWork& work_;
};

}  // namespace talvon
