// The name question to a serial-bus module, over the simulated controller's
// real pseudo-terminal, and how the reply is read.
#include "pages/info/serial_module_query.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "sim/roles/backplane.h"
#include "sim/controller/controller_config.h"
#include "sim/roles/sim_sdk.h"
#include "sim/roles/sim_serial.h"

namespace talvon {
namespace {

constexpr int BusSlot = 2;  // the default controller's serial-bus module

std::string Text(const SerialModuleName& name) {
  EXPECT_EQ(name[5], '\0');
  return std::string(name.data(), 5);
}

class SerialModuleQuery : public ::testing::Test {
 protected:
  sim::SlotConfig& Bus() { return config_.slots[BusSlot - 1]; }

  void Start() {
    ports_.reset();
    sdk_.reset();
    backplane_ = std::make_unique<sim::Backplane>(config_.slots, clock_);
    ASSERT_TRUE(backplane_->LineAvailable());
    ports_ = std::make_unique<sim::SimSerialPorts>(*backplane_, clock_);
    sdk_ = std::make_unique<sim::SimSdk>(config_, *backplane_);
  }

  std::string Ask(int slot) {
    if (!backplane_) Start();
    return Text(QuerySerialModuleName({*ports_, *sdk_, clock_}, slot));
  }

  VirtualClock clock_;
  sim::ControllerConfig config_ = sim::DefaultControllerConfig();
  std::unique_ptr<sim::Backplane> backplane_;
  std::unique_ptr<sim::SimSerialPorts> ports_;
  std::unique_ptr<sim::SimSdk> sdk_;
};

TEST_F(SerialModuleQuery, FullReplyGivesTheFiveNameCharacters) {
  EXPECT_EQ(Ask(BusSlot), "87055");
  EXPECT_EQ(backplane_->SelectedSlot(), BusSlot);
  EXPECT_EQ(clock_.NowMs(), 100u);  // the one wait for the reply
}

TEST_F(SerialModuleQuery, ShortRepliesKeepTheirCarriageReturnAndBlanks) {
  Bus().busName = "8705";  // eight bytes: the ninth stays blank
  EXPECT_EQ(Ask(BusSlot), "8705\r");
}

TEST_F(SerialModuleQuery, OneCharacterNameKeepsCarriageReturnAndThreeBlanks) {
  Bus().busName = "X";
  EXPECT_EQ(Ask(BusSlot), "X\r   ");
}

TEST_F(SerialModuleQuery, LongerNamesAreCutToFiveCharacters) {
  Bus().busName = "ABCDEFGH";
  EXPECT_EQ(Ask(BusSlot), "ABCDE");
}

TEST_F(SerialModuleQuery, ZeroByteAmongTheFirstFiveGivesBlanks) {
  for (std::uint32_t position : {1u, 3u, 4u}) {
    Bus().reply = sim::BusReply::ZeroByte;
    Bus().zeroBytePosition = position;
    Start();
    EXPECT_EQ(Ask(BusSlot), "     ") << "zero at " << position;
  }
}

TEST_F(SerialModuleQuery, ZeroByteLaterEndsTheNameThere) {
  Bus().reply = sim::BusReply::ZeroByte;
  Bus().zeroBytePosition = 6;  // "!00870" then zero: L = 6
  EXPECT_EQ(Ask(BusSlot), "87   ");
}

TEST_F(SerialModuleQuery, SilenceAndRepliesWithoutExclamationGiveBlanks) {
  Bus().reply = sim::BusReply::Silent;
  EXPECT_EQ(Ask(BusSlot), "     ");
  Bus().reply = sim::BusReply::NoExclamation;
  Start();
  EXPECT_EQ(Ask(BusSlot), "     ");
  EXPECT_EQ(Ask(1), "     ");  // an ordinary module never answers
}

TEST_F(SerialModuleQuery, ReplyAfterTheHundredMillisecondsIsMissed) {
  Bus().reply = sim::BusReply::Late;
  Bus().replyDelayMs = 150;
  EXPECT_EQ(Ask(BusSlot), "     ");
}

TEST_F(SerialModuleQuery, PortThatCannotBeOpenedGivesBlanksButTheSlotIsStillChosen) {
  Start();
  auto holder = ports_->Open("COM1:");  // not shared: the question finds it taken
  ASSERT_NE(holder, nullptr);
  EXPECT_EQ(Ask(BusSlot), "     ");
  EXPECT_EQ(backplane_->SelectedSlot(), BusSlot);
  EXPECT_EQ(clock_.NowMs(), 0u);
}

TEST_F(SerialModuleQuery, WritesSixBytesIntoTheCallersBuffer) {
  Start();
  char buffer[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
  QuerySerialModuleName({*ports_, *sdk_, clock_}, BusSlot, buffer);
  EXPECT_EQ(std::string(buffer, 8), std::string("87055\0xx", 8));
}

SerialModuleReply Reply(std::string bytes) {
  SerialModuleReply reply;
  reply.fill(' ');
  reply.back() = '\0';
  std::copy(bytes.begin(), bytes.end(), reply.begin());
  return reply;
}

TEST(SerialModuleReplyParse, LengthRulesAtTheEdges) {
  EXPECT_EQ(Text(ParseSerialModuleReply(Reply("!00AB\r"))), "AB\r  ");
  EXPECT_EQ(Text(ParseSerialModuleReply(Reply(std::string("!00A\0", 5)))), "     ");  // L = 4
  EXPECT_EQ(Text(ParseSerialModuleReply(Reply(std::string("!00AB\0", 6)))), "A    ");  // L = 5
  EXPECT_EQ(Text(ParseSerialModuleReply(Reply(""))), "     ");   // nothing came: nine blanks
  EXPECT_EQ(Text(ParseSerialModuleReply(Reply("?00ABCDE\r"))), "     ");
}

}  // namespace
}  // namespace talvon
