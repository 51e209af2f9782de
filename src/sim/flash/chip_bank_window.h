#pragma once
#include <bit>
#include <cstdint>

#include "flash/shared_unit_loop.h"
#include "sim/flash/flash_bank.h"
#include "sim/flash/flash_chip.h"

namespace talvon::sim {

// The bank as the window of the driver's unit loop: aligned bus-width
// accesses inside the bank, with power staying on, are the bank's own bus
// cycles; anything else goes through the whole window. While the chips
// work in step on word programs, the model's state is held by a stepper
// (and the bus cycle count by the window), which the compiler keeps in
// registers; both go back to the bank before anything else looks at them.
// kCutAhead: power is to fail at a cycle, and each cycle checks for it.
// kStepEveryStore: every store, not only a command the loop spells as a
// constant, is first tried as a step of a word program. ProgramStep declines
// anything that is not its step, so this changes no cycle; it lets a test
// run the steps in a build that folds no constants.
template <class Bank, bool kCutAhead, bool kStepEveryStore = false>
class ChipBankWindow {
 public:
  [[gnu::always_inline]] ChipBankWindow(Bank& bank, const BusMeter& meter, std::uint32_t base)
      : bank_(bank), meter_(meter), base_(base), words_(bank.Size() >> Bank::kBusShift) {
    Enter();
  }
  [[gnu::always_inline]] ~ChipBankWindow() { Leave(); }
  ChipBankWindow(const ChipBankWindow&) = delete;
  ChipBankWindow& operator=(const ChipBankWindow&) = delete;

  [[gnu::always_inline]] std::uint8_t Load8(std::uint32_t address) { return static_cast<std::uint8_t>(Load(address, 1)); }
  [[gnu::always_inline]] std::uint16_t Load16(std::uint32_t address) { return static_cast<std::uint16_t>(Load(address, 2)); }
  [[gnu::always_inline]] std::uint32_t Load32(std::uint32_t address) { return Load(address, 4); }
  [[gnu::always_inline]] void Store8(std::uint32_t address, std::uint8_t value) { Store(address, 1, value); }
  [[gnu::always_inline]] void Store16(std::uint32_t address, std::uint16_t value) { Store(address, 2, value); }
  [[gnu::always_inline]] void Store32(std::uint32_t address, std::uint32_t value) { Store(address, 4, value); }

 private:
  // Takes the bus cycle count, and the model's state when a stepper can.
  [[gnu::always_inline]] void Enter() {
    cycles_ = *meter_.busCycles;
    const std::uint64_t cutAt = *meter_.cutAt;
    // Cycles that may still be spent before the one power fails at.
    budget_ = cutAt > cycles_ + 1 ? cutAt - cycles_ - 1 : 0;
    spent_ = 0;
    Step();
  }
  [[gnu::always_inline]] void Step() {
    if (bank_.shared_) stepper_ = Take(*bank_.inStep_);
  }
  // Gives them back.
  [[gnu::always_inline]] void Unstep() {
    bank_.Count(ChipEvent::Program, programs_);
    programs_ = 0;
    if (!stepper_.On()) return;
    Put(stepper_, *bank_.inStep_);
    bank_.notReadingArray_ = stepper_.ReadsArray() ? 0 : Bank::kAllChips;
    stepper_.Stop();
  }
  [[gnu::always_inline]] void Leave() {
    Unstep();
    *meter_.busCycles = cycles_ + spent_;
  }

  // The bus word of an aligned access of the bus width inside the bank
  // that power stays on for, counted as spent; false for any other. The
  // rotation takes a misaligned offset far past the bank's last word.
  [[gnu::always_inline]] bool Takes(std::uint32_t address, std::uint32_t size, std::uint32_t* word) {
    *word = std::rotr(address - base_, Bank::kBusShift);
    if (size != Bank::kBusBytes || *word >= words_) return false;
    if constexpr (kCutAhead) {
      if (spent_ == budget_) return false;
    }
    ++spent_;
    return true;
  }
  [[gnu::always_inline]] std::uint32_t Load(std::uint32_t address, std::uint32_t size) {
    std::uint32_t word;
    if (Takes(address, size, &word)) [[likely]] {
      if (stepper_.On()) [[likely]] return stepper_.ReadsArray() ? stepper_.ArrayWord(word) : stepper_.Read(word);
      const std::uint32_t value = bank_.ReadWordOutOfLine(word);
      Step();
      return value;
    }
    Leave();
    const std::uint32_t value = flash_unit::LoadBus(*meter_.whole, address, size);
    Enter();
    return value;
  }
  [[gnu::always_inline]] void Store(std::uint32_t address, std::uint32_t size, std::uint32_t value) {
    std::uint32_t word;
    if (Takes(address, size, &word)) [[likely]] {
      // A command the caller spells as a constant is first tried as the
      // step a word program takes with it.
      if ((kStepEveryStore || __builtin_constant_p(value)) && stepper_.ProgramStep(word, value)) [[likely]] return;
      ChipEvent event;
      if (stepper_.On() && (stepper_.TakesData() || value == (value & Bank::kLaneMask) * Bank::kRepeat) &&
          stepper_.Write(word, value, &event)) [[likely]] {
        programs_ += event == ChipEvent::Program;
        return;
      }
      // The model's own cycle, which may also set the chips apart or join them.
      Unstep();
      bank_.WriteWordOutOfLine(word, value);
      Step();
      return;
    }
    Leave();
    flash_unit::StoreBus(*meter_.whole, address, size, value);
    Enter();
  }

  using Chip = typename Bank::ChipModel;
  using Stepper = typename Chip::template Stepper<Bank::kBusBytes, Bank::kRepeat>;
  // Out of line and by value, so that the window's stepper never has its
  // address taken and can stay in registers.
  [[gnu::noinline, gnu::cold]] static Stepper Take(const Chip& chip) {
    Stepper stepper;
    stepper.Take(chip);
    return stepper;
  }
  [[gnu::noinline, gnu::cold]] static void Put(Stepper stepper, Chip& chip) { stepper.Put(chip); }

  Bank& bank_;
  const BusMeter meter_;
  const std::uint32_t base_;
  const std::uint32_t words_;
  Stepper stepper_;
  std::uint64_t cycles_ = 0;  // at Enter
  std::uint64_t budget_ = 0;  // cycles that may be spent from Enter
  std::uint64_t spent_ = 0;
  std::uint64_t programs_ = 0;  // started by the stepper, not yet counted
};

}  // namespace talvon::sim
