#include "pages/newcard/serial_port_keys.h"

#include <algorithm>

#include "platform/little_endian.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace talvon {
namespace {

// Windows CE's Unimodem device configuration for a plain serial cable:
// version 0x0010, wait-for-bong 0, call set-up fail timer 5, modem options
// 0x110, 19200 baud, options 0, 8 data bits, one stop bit, no parity, then
// four zero bytes; little-endian.
constexpr std::array<std::uint8_t, 25> kDevConfig = {0x10, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x10,
                                                     0x01, 0x00, 0x00, 0x00, 0x4B, 0x00, 0x00, 0x00, 0x00,
                                                     0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

std::vector<std::uint8_t> SizedRegSz(std::string_view text, std::uint32_t size) {
  std::vector<std::uint8_t> data = ToRegSz(text);
  data.resize(size, 0);
  // A text that would not fit keeps its terminator.
  if (size >= 2) data[size - 2] = data[size - 1] = 0;
  return data;
}

std::vector<std::uint8_t> Dword(std::uint32_t value) {
  const auto bytes = Le32Bytes(value);
  return {bytes.begin(), bytes.end()};
}

}  // namespace

std::string PortDriverKeyPath(int comNumber) { return FormatText("Drivers\\BuiltIn\\Serial%d", comNumber); }

std::string ModemKeyPath(int comNumber) { return FormatText("Drivers\\BuiltIn\\Serial%d\\Unimodem", comNumber); }

const std::array<SerialValueRow, 11> PortDriverValues = {{
    {"FriendlyName", REG_SZ, ValueSource::FriendlyName, 40},
    {"IClass", REG_SZ, ValueSource::FixedText, 100, 0, "CC5195AC-BA49-48a0-BE17-DF6D1B0173DD"},
    {"DeviceArrayIndex", REG_DWORD, ValueSource::FixedDword, 4, 0},
    {"IoLen", REG_DWORD, ValueSource::FixedDword, 4, 0x10},
    {"IoBase", REG_DWORD, ValueSource::IoBase, 4},
    {"SysIntr", REG_DWORD, ValueSource::SysIntr, 4},
    {"Irq", REG_DWORD, ValueSource::FixedDword, 4, 0},
    {"Index", REG_DWORD, ValueSource::ComNumber, 4},
    {"Order", REG_DWORD, ValueSource::FixedDword, 4, 0},
    {"Dll", REG_SZ, ValueSource::FixedText, 30, 0, "ms2_serial.dll"},
    {"Prefix", REG_SZ, ValueSource::FixedText, 8, 0, "COM"},
}};

const std::array<SerialValueRow, 4> ModemValues = {{
    {"DevConfig", REG_BINARY, ValueSource::FixedBytes, kDevConfig.size()},
    {"FriendlyName", REG_SZ, ValueSource::ModemName, 42},
    {"DeviceType", REG_DWORD, ValueSource::FixedDword, 4, 0},
    {"Tsp", REG_SZ, ValueSource::FixedText, 26, 0, "Unimodem.dll"},
}};

const std::array<std::string_view, 11> PortDriverValuesRemoved = {
    "Prefix", "Dll",   "Order",           "Index",  "Irq",         "SysIntr",
    "IoBase", "IoLen", "DeviceArrayIndex", "IClass", "FriendlyName"};

RegistrySetting PortSetting(std::string_view keyPath, const SerialValueRow& row) {
  return {keyPath, row.name, row.type, row.size};
}

std::vector<std::uint8_t> SerialValueData(const SerialValueRow& row, const SerialPortContext& port) {
  switch (row.source) {
    case ValueSource::FixedDword:
      return Dword(row.dword);
    case ValueSource::FixedText:
      return SizedRegSz(row.text, row.size);
    case ValueSource::FixedBytes: {
      std::vector<std::uint8_t> data(kDevConfig.begin(), kDevConfig.end());
      data.resize(row.size, 0);
      return data;
    }
    case ValueSource::FriendlyName:
      return SizedRegSz(FormatText(port.line == SerialLine::Rs485 ? "Velmar-COM%d-RS485" : "Velmar-COM%d-RS232",
                                  port.comNumber),
                        row.size);
    case ValueSource::ModemName:
      return SizedRegSz(FormatText("Serial Cable on COM%d", port.comNumber), row.size);
    case ValueSource::IoBase:
      return Dword(port.ioBase);
    case ValueSource::SysIntr:
      return Dword(FirstModuleSysIntr + static_cast<std::uint32_t>(port.position));
    case ValueSource::ComNumber:
      return Dword(static_cast<std::uint32_t>(port.comNumber));
  }
  return {};
}

}  // namespace talvon
