#include "sim/roles/sim_serial.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "sim/roles/controller_path.h"

namespace talvon::sim {
namespace {

constexpr std::uint32_t MAXDWORD = 0xFFFFFFFF;
constexpr std::uint8_t SPACEPARITY = 4;  // the highest parity (none, odd, even, mark, space)
constexpr int CrossingBoundMs = 2000;

struct Speed {
  std::uint32_t baud;
  speed_t code;
};
constexpr Speed Speeds[] = {{110, B110},     {300, B300},     {600, B600},       {1200, B1200},
                            {2400, B2400},   {4800, B4800},   {9600, B9600},     {19200, B19200},
                            {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
                            {460800, B460800}, {921600, B921600}};

std::int64_t RealMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int BytesWaiting(int fd) {
  int n = 0;
  return ::ioctl(fd, FIONREAD, &n) == 0 ? n : 0;
}

}  // namespace

SimSerialPort::SimSerialPort(Backplane& backplane, Clock& clock, UniqueFd port)
    : backplane_(backplane), clock_(clock), port_(std::move(port)) {}

SimSerialPort::~SimSerialPort() { backplane_.ReleasePort(); }

bool SimSerialPort::GetLineSettings(SerialLineSettings* settings) {
  termios t {};
  if (settings == nullptr || ::tcgetattr(port_.Get(), &t) != 0) return false;
  SerialLineSettings s;
  s.baudRate = 0;
  for (const Speed& speed : Speeds) {
    if (speed.code == ::cfgetospeed(&t)) s.baudRate = speed.baud;
  }
  s.byteSize = backplane_.LineFraming().byteSize;
  s.parity = backplane_.LineFraming().parity;
  s.parityCheck = (t.c_iflag & INPCK) != 0;
  s.stopBits = (t.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
  s.discardNull = discardNull_;
  s.binary = true;
  s.outxCtsFlow = (t.c_cflag & CRTSCTS) != 0;
  s.outX = (t.c_iflag & IXON) != 0;
  s.inX = (t.c_iflag & IXOFF) != 0;
  *settings = s;
  return true;
}

bool SimSerialPort::SetLineSettings(const SerialLineSettings& s) {
  const Speed* speed = std::find_if(std::begin(Speeds), std::end(Speeds),
                                    [&](const Speed& sp) { return sp.baud == s.baudRate; });
  // The driver knows only binary mode and whole stop bits.
  if (speed == std::end(Speeds) || s.byteSize < 5 || s.byteSize > 8 || s.parity > SPACEPARITY || !s.binary ||
      (s.stopBits != ONESTOPBIT && s.stopBits != TWOSTOPBITS)) {
    return false;
  }
  termios t {};
  if (::tcgetattr(port_.Get(), &t) != 0) return false;
  ::cfsetispeed(&t, speed->code);
  ::cfsetospeed(&t, speed->code);
  // Character size and parity are kept by the backplane (see LineFraming).
  t.c_cflag &= ~(CSTOPB | CRTSCTS);
  if (s.stopBits == TWOSTOPBITS) t.c_cflag |= CSTOPB;
  if (s.outxCtsFlow) t.c_cflag |= CRTSCTS;
  t.c_iflag &= ~(INPCK | IXON | IXOFF);
  if (s.parityCheck) t.c_iflag |= INPCK;
  if (s.outX) t.c_iflag |= IXON;
  if (s.inX) t.c_iflag |= IXOFF;
  if (::tcsetattr(port_.Get(), TCSANOW, &t) != 0) return false;
  backplane_.SetLineFraming(Backplane::Framing{s.byteSize, s.parity});
  discardNull_ = s.discardNull;
  return true;
}

bool SimSerialPort::SetTimeouts(const SerialTimeouts& timeouts) {
  // The one combination the driver refuses.
  if (timeouts.readIntervalTimeout == MAXDWORD && timeouts.readTotalTimeoutMultiplier == MAXDWORD &&
      timeouts.readTotalTimeoutConstant == MAXDWORD) {
    return false;
  }
  timeouts_ = timeouts;
  return true;
}

bool SimSerialPort::Write(const std::uint8_t* data, std::uint32_t count, std::uint32_t* written) {
  if (written) *written = 0;
  if (count != 0 && data == nullptr) return false;
  const std::uint64_t limit =
      std::uint64_t{timeouts_.writeTotalTimeoutMultiplier} * count + timeouts_.writeTotalTimeoutConstant;
  const bool timed = limit != 0;
  const std::uint64_t start = clock_.NowMs();
  std::uint32_t done = 0;
  while (done < count) {
    ssize_t n = ::write(port_.Get(), data + done, count - done);
    if (n > 0) {
      done += static_cast<std::uint32_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;
    // The line is full: let the module side take what is there, then give
    // up when the write time-out has passed.
    backplane_.Receive(0);
    if (timed && clock_.NowMs() - start >= limit) break;
    clock_.Sleep(1);
  }
  if (written) *written = done;
  backplane_.Receive(done);
  return true;
}

void SimSerialPort::PullFromLine() {
  const int before = BytesWaiting(port_.Get());
  const std::size_t sent = backplane_.Service();
  const std::int64_t giveUp = RealMs() + CrossingBoundMs;
  const timespec pause{0, 50 * 1000};
  while (static_cast<std::size_t>(BytesWaiting(port_.Get()) - before) < sent && RealMs() < giveUp) {
    ::nanosleep(&pause, nullptr);
  }
}

std::size_t SimSerialPort::TakeArrived(std::uint8_t* buffer, std::size_t count) {
  std::size_t taken = 0;
  while (taken < count) {
    ssize_t n = ::read(port_.Get(), buffer + taken, count - taken);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (discardNull_) {
      std::uint8_t* end = std::remove(buffer + taken, buffer + taken + n, std::uint8_t{0});
      taken = static_cast<std::size_t>(end - buffer);
    } else {
      taken += static_cast<std::size_t>(n);
    }
  }
  return taken;
}

bool SimSerialPort::Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t* received) {
  if (received) *received = 0;
  if (count == 0) return true;
  if (buffer == nullptr) return false;
  const SerialTimeouts& t = timeouts_;
  const bool interval = t.readIntervalTimeout != 0 && t.readIntervalTimeout != MAXDWORD;
  // MAXDWORD interval with no totals: only what has arrived. MAXDWORD
  // interval and multiplier: wait up to the constant for the first byte.
  const bool atOnce = t.readIntervalTimeout == MAXDWORD && t.readTotalTimeoutMultiplier == 0 &&
                      t.readTotalTimeoutConstant == 0;
  const bool firstByteEnds = t.readIntervalTimeout == MAXDWORD && t.readTotalTimeoutMultiplier == MAXDWORD;
  const std::uint64_t limit =
      firstByteEnds ? t.readTotalTimeoutConstant
                    : std::uint64_t{t.readTotalTimeoutMultiplier} * count + t.readTotalTimeoutConstant;
  const bool timed = limit != 0;
  const std::uint64_t start = clock_.NowMs();
  std::uint64_t lastByte = start;
  std::size_t got = 0;
  for (;;) {
    PullFromLine();
    const std::size_t n = TakeArrived(buffer + got, count - got);
    if (n > 0) lastByte = clock_.NowMs();
    got += n;
    if (got == count || atOnce || (firstByteEnds && got > 0)) break;
    const std::uint64_t now = clock_.NowMs();
    std::uint64_t wakeAt = UINT64_MAX;
    if (timed) wakeAt = start + limit;
    if (interval && got > 0) wakeAt = std::min<std::uint64_t>(wakeAt, lastByte + t.readIntervalTimeout);
    if (now >= wakeAt) break;
    // Nothing else writes on the line: with no reply owed and no time-out,
    // the wait would never end.
    const std::optional<std::uint64_t> due = backplane_.NextReplyDue();
    if (!due && wakeAt == UINT64_MAX) break;
    if (due) wakeAt = std::min(wakeAt, std::max(*due, now + 1));
    clock_.Sleep(static_cast<std::uint32_t>(std::min<std::uint64_t>(wakeAt - now, UINT32_MAX)));
  }
  if (received) *received = static_cast<std::uint32_t>(got);
  return true;
}

std::unique_ptr<SerialPort> SimSerialPorts::Open(std::string_view name) {
  if (!EqualsIgnoringCase(name, "COM1:") || !backplane_.ClaimPort()) return nullptr;
  UniqueFd port(::open(backplane_.PortDevice().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!port.Valid()) {
    backplane_.ReleasePort();
    return nullptr;
  }
  // A fresh open starts with empty buffers.
  backplane_.Service();
  ::tcflush(port.Get(), TCIOFLUSH);
  return std::make_unique<SimSerialPort>(backplane_, clock_, std::move(port));
}

}  // namespace talvon::sim
