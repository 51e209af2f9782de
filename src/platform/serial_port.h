#pragma once
#include <cstdint>
#include <memory>
#include <string_view>

namespace talvon {

inline constexpr std::uint8_t NOPARITY = 0;
inline constexpr std::uint8_t ONESTOPBIT = 0;
inline constexpr std::uint8_t TWOSTOPBITS = 2;

// The line settings of a serial port (the fields of a device control block
// that the utility touches, plus the rest kept as the port had them).
struct SerialLineSettings {
  std::uint32_t baudRate = 9600;
  std::uint8_t byteSize = 8;
  std::uint8_t parity = NOPARITY;
  bool parityCheck = false;  // fParity
  std::uint8_t stopBits = ONESTOPBIT;
  bool discardNull = false;  // fNull
  bool binary = true;
  bool outxCtsFlow = false;
  bool outX = false;
  bool inX = false;
};

struct SerialTimeouts {
  std::uint32_t readIntervalTimeout = 0;
  std::uint32_t readTotalTimeoutMultiplier = 0;
  std::uint32_t readTotalTimeoutConstant = 0;
  std::uint32_t writeTotalTimeoutMultiplier = 0;
  std::uint32_t writeTotalTimeoutConstant = 0;
};

// An open serial port. Destroying it closes it.
class SerialPort {
 public:
  virtual ~SerialPort() = default;
  virtual bool GetLineSettings(SerialLineSettings* settings) = 0;
  virtual bool SetLineSettings(const SerialLineSettings& settings) = 0;
  virtual bool SetTimeouts(const SerialTimeouts& timeouts) = 0;
  virtual bool Write(const std::uint8_t* data, std::uint32_t count, std::uint32_t* written) = 0;
  // With readIntervalTimeout 0xFFFFFFFF and both read totals 0, answers at
  // once with whatever has arrived (possibly nothing).
  virtual bool Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* received) = 0;
};

class SerialPorts {
 public:
  virtual ~SerialPorts() = default;
  // Opens a port by name ("COM1:") for reading and writing, not shared.
  // nullptr when it cannot be opened.
  virtual std::unique_ptr<SerialPort> Open(std::string_view name) = 0;
};

}  // namespace talvon
