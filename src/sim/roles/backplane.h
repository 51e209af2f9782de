#pragma once
// The controller's backplane as the serial line "COM1:" sees it: a real
// pseudo-terminal whose port side the utility opens, and whose other side is
// connected (by ChangeSlotTo53R) to the module in one slot.
//
// What it models: a serial-bus module answers "$00M" + CR with "!00", its bus
// name and CR, provided the line runs at 115200 baud, 8 data bits, no parity
// and one stop bit (at other settings it hears only noise and stays silent).
// Modules without a bus name and empty slots stay silent. A reply can be made
// late, garbled, broken by a zero byte, headless or silent from
// controller.json. Switching slots disconnects a module, so a reply it still
// owes is lost.
//
// There is no thread: the line is served when the port side reads or
// writes (Receive, Service), and the time a reply is due is measured on the
// injected clock, so a virtual clock decides whether a late reply is missed.
// Not modelled: transmission time, other commands, module addresses other
// than 00.

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "sim/controller/hardware_config.h"
#include "sim/roles/unique_fd.h"

namespace talvon::sim {

class Backplane {
 public:
  // Opens the pseudo-terminal; when that fails the line is unavailable and
  // "COM1:" cannot be opened.
  Backplane(const std::array<SlotConfig, SlotCount>& slots, Clock& clock);
  Backplane(const Backplane&) = delete;
  Backplane& operator=(const Backplane&) = delete;

  bool LineAvailable() const { return line_.Valid(); }
  // The device the port side opens, such as "/dev/pts/3".
  const std::string& PortDevice() const { return portDevice_; }
  // The port side, kept open for the life of the backplane so the line and
  // its settings persist between opens; used to read the line settings.
  int PortAnchor() const { return anchor_.Get(); }

  // Connects the line to slot 1..7; any other number connects it to nothing.
  void SelectSlot(std::uint8_t slot);
  std::uint8_t SelectedSlot() const { return slot_; }

  // Takes what the port side has sent, waiting briefly (in real time, for the
  // kernel to move the bytes) until `expected` bytes have come across.
  void Receive(std::size_t expected);
  // Takes what has been sent, then sends every reply whose time has come.
  // Answers the number of bytes sent.
  std::size_t Service();
  // Clock time at which the next owed reply is due; nullopt when none is owed.
  std::optional<std::uint64_t> NextReplyDue() const;

  // Character size and parity of the line. Linux fixes a pseudo-terminal at
  // 8 bits without parity, so these two are kept here, beside the terminal,
  // which holds the rest of the line settings.
  struct Framing {
    std::uint8_t byteSize = 8;
    std::uint8_t parity = 0;  // NOPARITY
  };
  const Framing& LineFraming() const { return framing_; }
  void SetLineFraming(const Framing& framing) { framing_ = framing; }

  // Port bookkeeping: the line is not shared.
  bool ClaimPort();
  void ReleasePort();

  // The reply bytes a slot's module gives to "$00M" + CR (empty: silent).
  static std::string ReplyOf(const SlotConfig& slot);

 private:
  struct Reply {
    std::uint64_t due = 0;
    std::string bytes;
  };

  bool LineSettingsMatchModules() const;
  void Heard(const char* bytes, std::size_t count);
  void Command(const std::string& text);

  std::array<SlotConfig, SlotCount> slots_;
  Clock& clock_;
  UniqueFd line_;    // the module side of the pseudo-terminal
  UniqueFd anchor_;  // the port side, see PortAnchor
  std::string portDevice_;
  std::uint8_t slot_ = 0;
  std::string partial_;  // bytes of a command not yet ended by CR
  std::deque<Reply> owed_;
  Framing framing_;
  bool portOpen_ = false;
};

}  // namespace talvon::sim
