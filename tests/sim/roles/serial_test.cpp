#include "sim/roles/sim_serial.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/clock.h"
#include "sim/roles/backplane.h"
#include "sim/controller/controller_config.h"
#include "sim/roles/sim_sdk.h"

namespace talvon::sim {
namespace {

constexpr std::uint32_t MAXDWORD = 0xFFFFFFFF;
constexpr std::uint8_t BusSlot = 2;  // the default controller's serial-bus module

class SerialLineTest : public ::testing::Test {
 protected:
  // Builds the controller's line after the test has adjusted the slots.
  void Start() {
    backplane_ = std::make_unique<Backplane>(config_.slots, clock_);
    ASSERT_TRUE(backplane_->LineAvailable());
    ports_ = std::make_unique<SimSerialPorts>(*backplane_, clock_);
    sdk_ = std::make_unique<SimSdk>(config_, *backplane_);
  }

  SlotConfig& Bus() { return config_.slots[BusSlot - 1]; }

  static bool ConfigureForModules(SerialPort& port) {
    SerialLineSettings s;
    if (!port.GetLineSettings(&s)) return false;
    s.baudRate = 115200;
    s.byteSize = 8;
    s.parity = NOPARITY;
    s.parityCheck = false;
    s.stopBits = ONESTOPBIT;
    s.discardNull = false;
    return port.SetLineSettings(s) && port.SetTimeouts(SerialTimeouts{MAXDWORD, 0, 0, 10, 1000});
  }

  static void SendNameCommand(SerialPort& port) {
    const std::uint8_t command[] = {'$', '0', '0', 'M', '\r'};
    std::uint32_t written = 0;
    ASSERT_TRUE(port.Write(command, sizeof command, &written));
    ASSERT_EQ(written, sizeof command);
  }

  static std::string ReadUpTo(SerialPort& port, std::uint32_t count) {
    std::string reply(count, '\xEE');
    std::uint32_t received = 0;
    EXPECT_TRUE(port.Read(reinterpret_cast<std::uint8_t*>(reply.data()), count, &received));
    reply.resize(received);
    return reply;
  }

  void MakeBusLate(std::uint32_t delayMs) {
    Bus().reply = BusReply::Late;
    Bus().replyDelayMs = delayMs;
  }

  // Opens "COM1:" and connects it to a slot, as the information page does;
  // `configure` also sets the line up for the modules.
  std::unique_ptr<SerialPort> OpenOnSlot(std::uint8_t slot, bool configure = true) {
    auto port = ports_->Open("COM1:");
    sdk_->ChangeSlotTo53R(slot);
    EXPECT_NE(port, nullptr);
    if (port && configure) {
      EXPECT_TRUE(ConfigureForModules(*port));
    }
    return port;
  }

  // The page's whole question for one slot: ask "$00M", wait 100 ms, read
  // what has come.
  std::string AskName(std::uint8_t slot) {
    auto port = OpenOnSlot(slot);
    if (!port) return "<no port>";
    SendNameCommand(*port);
    clock_.Sleep(100);
    return ReadUpTo(*port, 9);
  }

  VirtualClock clock_;
  ControllerConfig config_ = DefaultControllerConfig();
  std::unique_ptr<Backplane> backplane_;
  std::unique_ptr<SimSerialPorts> ports_;
  std::unique_ptr<SimSdk> sdk_;
};

TEST_F(SerialLineTest, SerialBusModuleAnswersWithItsName) {
  Start();
  EXPECT_EQ(AskName(BusSlot), "!0087055\r");
}

TEST_F(SerialLineTest, OtherSlotsStaySilent) {
  Start();
  for (std::uint8_t slot : {1, 3, 4, 5, 7}) EXPECT_EQ(AskName(slot), "") << int(slot);
  EXPECT_EQ(AskName(0), "");
  EXPECT_EQ(AskName(8), "");
}

TEST_F(SerialLineTest, MisbehavingModulesAnswerAsConfigured) {
  struct Case {
    BusReply reply;
    std::uint32_t position;
    std::string expected;
  };
  const Case cases[] = {
      {BusReply::Garbled, 0, std::string("!") + char('0' ^ 0xA5) + char('0' ^ 0xA5) + char('8' ^ 0xA5) +
                                 char('7' ^ 0xA5) + char('0' ^ 0xA5) + char('5' ^ 0xA5) + char('5' ^ 0xA5) +
                                 char('\r' ^ 0xA5)},
      {BusReply::ZeroByte, 4, std::string("!008\0" "055\r", 9)},
      {BusReply::NoExclamation, 0, "0087055\r"},
      {BusReply::Silent, 0, ""},
  };
  for (const Case& c : cases) {
    Bus().reply = c.reply;
    Bus().zeroBytePosition = c.position;
    Start();
    EXPECT_EQ(AskName(BusSlot), c.expected) << BusReplyName(c.reply);
  }
}

TEST_F(SerialLineTest, LateReplyIsMissedAtOneHundredMillisecondsButArrivesLater) {
  MakeBusLate(250);
  Start();
  auto port = OpenOnSlot(BusSlot);
  ASSERT_NE(port, nullptr);
  SendNameCommand(*port);
  clock_.Sleep(100);
  EXPECT_EQ(ReadUpTo(*port, 9), "");
  clock_.Sleep(149);
  EXPECT_EQ(ReadUpTo(*port, 9), "");
  clock_.Sleep(1);
  EXPECT_EQ(ReadUpTo(*port, 9), "!0087055\r");
}

TEST_F(SerialLineTest, SlightlyLateReplyIsStillCaught) {
  MakeBusLate(99);
  Start();
  EXPECT_EQ(AskName(BusSlot), "!0087055\r");
}

TEST_F(SerialLineTest, ReadWithATotalTimeOutWaitsOnTheClockForALateReply) {
  MakeBusLate(250);
  Start();
  auto port = OpenOnSlot(BusSlot);
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->SetTimeouts(SerialTimeouts{0, 0, 500, 0, 0}));
  const std::uint64_t start = clock_.NowMs();
  SendNameCommand(*port);
  EXPECT_EQ(ReadUpTo(*port, 9), "!0087055\r");
  EXPECT_EQ(clock_.NowMs() - start, 250u);
  // Nothing more is owed: the read gives up at its time-out.
  EXPECT_EQ(ReadUpTo(*port, 9), "");
  EXPECT_EQ(clock_.NowMs() - start, 750u);
}

TEST_F(SerialLineTest, ChangingSlotCutsOffAReplyStillOwed) {
  MakeBusLate(250);
  Start();
  auto port = OpenOnSlot(BusSlot);
  ASSERT_NE(port, nullptr);
  SendNameCommand(*port);
  sdk_->ChangeSlotTo53R(3);
  clock_.Sleep(1000);
  EXPECT_EQ(ReadUpTo(*port, 9), "");
}

TEST_F(SerialLineTest, ModulesHearOnlyNoiseAtOtherLineSettings) {
  Start();
  auto port = OpenOnSlot(BusSlot, false);
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->SetTimeouts(SerialTimeouts{MAXDWORD, 0, 0, 0, 0}));
  SendNameCommand(*port);  // still at 9600 baud
  clock_.Sleep(100);
  EXPECT_EQ(ReadUpTo(*port, 9), "");
}

TEST_F(SerialLineTest, DiscardingNullBytesDropsThemFromTheReply) {
  Bus().reply = BusReply::ZeroByte;
  Bus().zeroBytePosition = 4;
  Start();
  auto port = OpenOnSlot(BusSlot);
  ASSERT_NE(port, nullptr);
  SerialLineSettings s;
  ASSERT_TRUE(port->GetLineSettings(&s));
  s.discardNull = true;
  ASSERT_TRUE(port->SetLineSettings(s));
  SendNameCommand(*port);
  clock_.Sleep(100);
  EXPECT_EQ(ReadUpTo(*port, 9), "!008055\r");
}

TEST_F(SerialLineTest, LineSettingsAreReadBackFromTheTerminal) {
  Start();
  auto port = ports_->Open("COM1:");
  ASSERT_NE(port, nullptr);
  SerialLineSettings s;
  ASSERT_TRUE(port->GetLineSettings(&s));
  EXPECT_EQ(s.baudRate, 9600u);
  EXPECT_EQ(s.byteSize, 8);
  EXPECT_EQ(s.parity, NOPARITY);
  EXPECT_EQ(s.stopBits, ONESTOPBIT);
  EXPECT_TRUE(s.binary);

  s.baudRate = 19200;
  s.byteSize = 7;
  s.parity = 2;  // even
  s.parityCheck = true;
  s.stopBits = TWOSTOPBITS;
  s.outX = true;
  ASSERT_TRUE(port->SetLineSettings(s));
  SerialLineSettings back;
  ASSERT_TRUE(port->GetLineSettings(&back));
  EXPECT_EQ(back.baudRate, 19200u);
  EXPECT_EQ(back.byteSize, 7);
  EXPECT_EQ(back.parity, 2);
  EXPECT_TRUE(back.parityCheck);
  EXPECT_EQ(back.stopBits, TWOSTOPBITS);
  EXPECT_TRUE(back.outX);
  EXPECT_FALSE(back.inX);

  // Settings stay with the port between opens.
  port.reset();
  port = ports_->Open("COM1:");
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->GetLineSettings(&back));
  EXPECT_EQ(back.baudRate, 19200u);

  SerialLineSettings bad = back;
  bad.baudRate = 12345;
  EXPECT_FALSE(port->SetLineSettings(bad));
  bad = back;
  bad.stopBits = 1;  // one and a half
  EXPECT_FALSE(port->SetLineSettings(bad));
  bad = back;
  bad.byteSize = 9;
  EXPECT_FALSE(port->SetLineSettings(bad));
  ASSERT_TRUE(port->GetLineSettings(&back));
  EXPECT_EQ(back.baudRate, 19200u);
}

TEST_F(SerialLineTest, OnlyComOneExistsAndItIsNotShared) {
  Start();
  EXPECT_EQ(ports_->Open("COM2:"), nullptr);
  EXPECT_EQ(ports_->Open("COM1"), nullptr);
  EXPECT_EQ(ports_->Open(""), nullptr);
  auto first = ports_->Open("com1:");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(ports_->Open("COM1:"), nullptr);
  first.reset();
  EXPECT_NE(ports_->Open("COM1:"), nullptr);
}

TEST_F(SerialLineTest, ImmediateReadCostsNoTime) {
  Start();
  auto port = ports_->Open("COM1:");
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->SetTimeouts(SerialTimeouts{MAXDWORD, 0, 0, 0, 0}));
  const std::uint64_t before = clock_.NowMs();
  EXPECT_EQ(ReadUpTo(*port, 9), "");
  EXPECT_EQ(clock_.NowMs(), before);
}

}  // namespace
}  // namespace talvon::sim
