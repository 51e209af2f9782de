#include "sim/roles/backplane.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace talvon::sim {
namespace {

// Longest command text kept while waiting for its CR: a module's buffer.
constexpr std::size_t MaxCommandLength = 256;
// Bound on waiting for the kernel to move bytes across the pseudo-terminal.
constexpr int CrossingBoundMs = 2000;

std::int64_t RealMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

Backplane::Backplane(const std::array<SlotConfig, SlotCount>& slots, Clock& clock) : slots_(slots), clock_(clock) {
  int module = -1, port = -1;
  char name[128] = {};
  if (::openpty(&module, &port, name, nullptr, nullptr) != 0) return;
  line_.Reset(module);
  anchor_.Reset(port);
  portDevice_ = name;
  ::fcntl(module, F_SETFD, FD_CLOEXEC);
  ::fcntl(port, F_SETFD, FD_CLOEXEC);
  ::fcntl(module, F_SETFL, ::fcntl(module, F_GETFL) | O_NONBLOCK);
  // A serial port is a raw line; it starts at 9600 baud, 8N1.
  termios t {};
  ::tcgetattr(port, &t);
  ::cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  ::cfsetispeed(&t, B9600);
  ::cfsetospeed(&t, B9600);
  ::tcsetattr(port, TCSANOW, &t);
}

void Backplane::SelectSlot(std::uint8_t slot) {
  // Whatever the previous module was saying is cut off.
  Service();
  slot_ = slot;
  partial_.clear();
  owed_.clear();
}

bool Backplane::ClaimPort() {
  if (!LineAvailable() || portOpen_) return false;
  portOpen_ = true;
  return true;
}

void Backplane::ReleasePort() { portOpen_ = false; }

bool Backplane::LineSettingsMatchModules() const {
  termios t {};
  if (::tcgetattr(anchor_.Get(), &t) != 0) return false;
  return ::cfgetospeed(&t) == B115200 && ::cfgetispeed(&t) == B115200 && (t.c_cflag & CSTOPB) == 0 &&
         framing_.byteSize == 8 && framing_.parity == 0;
}

void Backplane::Receive(std::size_t expected) {
  if (!LineAvailable()) return;
  std::size_t got = 0;
  const std::int64_t giveUp = RealMs() + CrossingBoundMs;
  char buffer[512];
  for (;;) {
    ssize_t n = ::read(line_.Get(), buffer, sizeof buffer);
    if (n > 0) {
      Heard(buffer, static_cast<std::size_t>(n));
      got += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    const std::int64_t left = giveUp - RealMs();
    if (got >= expected || left <= 0) return;
    pollfd p{line_.Get(), POLLIN, 0};
    ::poll(&p, 1, static_cast<int>(left));
  }
}

void Backplane::Heard(const char* bytes, std::size_t count) {
  if (!LineSettingsMatchModules()) {
    partial_.clear();  // the modules hear only noise
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (bytes[i] == '\r') {
      Command(partial_);
      partial_.clear();
    } else if (partial_.size() < MaxCommandLength) {
      partial_.push_back(bytes[i]);
    }
  }
}

void Backplane::Command(const std::string& text) {
  if (text != "$00M" || slot_ < 1 || slot_ > SlotCount) return;
  const SlotConfig& module = slots_[slot_ - 1];
  std::string reply = ReplyOf(module);
  if (reply.empty()) return;
  const std::uint64_t delay = module.reply == BusReply::Late ? module.replyDelayMs : 0;
  owed_.push_back(Reply{clock_.NowMs() + delay, std::move(reply)});
}

std::string Backplane::ReplyOf(const SlotConfig& slot) {
  if (!slot.IsSerialBusModule() || slot.reply == BusReply::Silent) return {};
  std::string reply = "!00" + ModuleNameBytes(*slot.busName) + "\r";
  switch (slot.reply) {
    case BusReply::Garbled:
      for (std::size_t i = 1; i < reply.size(); ++i) reply[i] = static_cast<char>(reply[i] ^ 0xA5);
      break;
    case BusReply::ZeroByte:
      if (slot.zeroBytePosition < reply.size()) reply[slot.zeroBytePosition] = '\0';
      break;
    case BusReply::NoExclamation:
      reply.erase(0, 1);
      break;
    default:
      break;
  }
  return reply;
}

std::size_t Backplane::Service() {
  if (!LineAvailable()) return 0;
  Receive(0);
  std::size_t sent = 0;
  const std::uint64_t now = clock_.NowMs();
  while (!owed_.empty() && owed_.front().due <= now) {
    const std::string& bytes = owed_.front().bytes;
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::write(line_.Get(), bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // the port side's buffer is full: the rest is lost
      done += static_cast<std::size_t>(n);
    }
    sent += done;
    owed_.pop_front();
  }
  return sent;
}

std::optional<std::uint64_t> Backplane::NextReplyDue() const {
  if (owed_.empty()) return std::nullopt;
  return owed_.front().due;
}

}  // namespace talvon::sim
