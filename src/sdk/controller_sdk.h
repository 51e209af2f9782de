#pragma once
#include <cstdint>
#include <cstring>

namespace talvon {

// Model-number base of the parallel-bus module series. Its decimal digits,
// "8000", are the series text: a module whose name text is exactly this is
// a serial-bus module that is asked for its name over "COM1:".
inline constexpr int ModuleSeriesBase = 8000;
inline constexpr char ModuleSeriesText[] = "8000";

// True when a module's name text is exactly the series text, terminator
// included.
inline bool IsSeriesText(const char* name8) {
  return std::memcmp(name8, ModuleSeriesText, sizeof ModuleSeriesText) == 0;
}

// Identifiers of the communication modules; every other identifier is an
// ordinary I/O module.
inline constexpr int ModuleTwoPortRs232 = 142;
inline constexpr int ModuleFourPortRs232 = 144;
inline constexpr int ModuleTwoPortRs485 = 152;
inline constexpr int ModuleFourPortRs485 = 154;

// The controller's SDK library: hardware questions and the reboot.
// Buffers are the caller's; sizes are as stated per function.
class ControllerSdk {
 public:
  virtual ~ControllerSdk() = default;

  // Reboots the controller. The caller does clean-up only after this.
  virtual void Reset_TalVon() = 0;
  // Connects the internal serial line ("COM1:") to the module in slot 1..7.
  virtual void ChangeSlotTo53R(std::uint8_t slot) = 0;
  // Low byte non-zero: slot modules can be queried.
  virtual std::uint32_t Get_Slot_No() = 0;
  // Returns the module identifier of slot 1..7; writes a short terminated
  // narrow name into the 8-byte buffer.
  virtual int GetNameOfModule(int slot, char* name8) = 0;
  // Fills 8 bytes.
  virtual void GetSystemSerialNumber(std::uint8_t* buffer8) = 0;
  // Fills the first 6 of 8 bytes.
  virtual void ReadMAC(std::uint8_t* buffer8) = 0;
  // The flash size in bytes; scratch8 is an 8-byte area the caller never reads.
  virtual std::int32_t GetFlashSize(std::uint8_t* scratch8) = 0;
  // Fill a wide buffer of 80 characters with a terminated string.
  virtual void GetOSversion(char16_t* buffer80) = 0;
  virtual void GetSDKversion(char16_t* buffer80) = 0;
};

}  // namespace talvon
