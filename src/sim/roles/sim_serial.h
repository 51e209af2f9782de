#pragma once
// "COM1:" of the simulated controller: the port side of the backplane's
// pseudo-terminal, driven through termios.
//
// What it models: line settings kept in the terminal (read back from it),
// null-byte discarding (fNull, which termios lacks) done on reads, the read
// and write time-outs of the controller's serial driver, measured on the
// injected clock. A read that would wait for bytes that nothing on the line
// will ever send returns with what it has instead of hanging the utility.
// Not modelled: modem lines, break, error counters, event masks, baud rates
// termios does not know, 1.5 stop bits.

#include <memory>
#include <string_view>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "sim/roles/backplane.h"
#include "sim/roles/unique_fd.h"

namespace talvon::sim {

class SimSerialPort final : public SerialPort {
 public:
  SimSerialPort(Backplane& backplane, Clock& clock, UniqueFd port);
  ~SimSerialPort() override;

  bool GetLineSettings(SerialLineSettings* settings) override;
  bool SetLineSettings(const SerialLineSettings& settings) override;
  bool SetTimeouts(const SerialTimeouts& timeouts) override;
  bool Write(const std::uint8_t* data, std::uint32_t count, std::uint32_t* written) override;
  bool Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* received) override;

 private:
  // Lets the backplane answer, then waits (in real time, briefly) for its
  // bytes to cross the pseudo-terminal.
  void PullFromLine();
  std::size_t TakeArrived(std::uint8_t* buffer, std::size_t count);

  Backplane& backplane_;
  Clock& clock_;
  UniqueFd port_;
  SerialTimeouts timeouts_;
  bool discardNull_ = false;
};

class SimSerialPorts final : public SerialPorts {
 public:
  // The backplane and clock must outlive every port opened here.
  SimSerialPorts(Backplane& backplane, Clock& clock) : backplane_(backplane), clock_(clock) {}

  // Only "COM1:" (in any case) exists; it cannot be opened twice at once.
  std::unique_ptr<SerialPort> Open(std::string_view name) override;

 private:
  Backplane& backplane_;
  Clock& clock_;
};

}  // namespace talvon::sim
