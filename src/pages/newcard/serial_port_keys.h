#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pages/newcard/communication_modules.h"
#include "platform/registry_setting.h"

namespace talvon {

// "Drivers\BuiltIn\Serial%d" and its "Unimodem" subkey, for COM5 to COM8.
std::string PortDriverKeyPath(int comNumber);
std::string ModemKeyPath(int comNumber);

// What a port's values are made from.
struct SerialPortContext {
  int comNumber = 0;         // 5 to 8
  int position = 0;          // comNumber - 5
  SerialLine line = SerialLine::Rs232;
  std::uint32_t ioBase = 0;  // the slot's base plus the position's offset
};

// Where a value's data comes from.
enum class ValueSource {
  FixedDword,    // `dword`
  FixedText,     // `text`
  FixedBytes,    // the Unimodem device configuration
  FriendlyName,  // "Velmar-COM%d-RS232" / "-RS485"
  ModemName,     // "Serial Cable on COM%d"
  IoBase,
  SysIntr,       // 0x2C + position
  ComNumber,
};

// One value of a key, in the order the key is written. REG_SZ data is
// UTF-16LE, padded with zero units to exactly `size` bytes.
struct SerialValueRow {
  std::string_view name;
  std::uint32_t type;
  ValueSource source;
  std::uint32_t size;
  std::uint32_t dword = 0;
  std::string_view text = {};
};

extern const std::array<SerialValueRow, 11> PortDriverValues;
extern const std::array<SerialValueRow, 4> ModemValues;
// What the removal deletes from a port driver key, in order.
extern const std::array<std::string_view, 11> PortDriverValuesRemoved;

// A row as the value it sets under `keyPath`, which must outlive the answer.
RegistrySetting PortSetting(std::string_view keyPath, const SerialValueRow& row);

// The bytes a row writes for a port: exactly row.size of them.
std::vector<std::uint8_t> SerialValueData(const SerialValueRow& row, const SerialPortContext& port);

}  // namespace talvon
