#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/errors.h"

namespace talvon {

// A key handle. Root keys are the fixed values below; opened keys get
// handles from the registry. 0 is never a valid handle.
using HKEY = std::uintptr_t;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;

inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;

// Limits the controller's registry enforces; longer names or data are
// refused with ERROR_INVALID_PARAMETER.
inline constexpr std::size_t MaxRegistryKeyNameLength = 255;   // one path element
inline constexpr std::size_t MaxRegistryKeyPathLength = 1024;  // a whole subkey path
inline constexpr std::size_t MaxRegistryValueNameLength = 255;
inline constexpr std::uint32_t MaxRegistryValueSize = 64 * 1024;

// What the controller's boot would make of a registry area holding given bytes.
struct SavedRegistryCheck {
  enum class Verdict {
    Registry,  // a saved registry: the boot loads it
    Blank,     // an erased area: the boot takes the factory registry
    Unusable,  // anything else: the boot could not load it
  };
  Verdict verdict = Verdict::Unusable;
  std::string reason;  // why it is unusable, in the registry's own words
};

// The controller's registry (HKEY_LOCAL_MACHINE). Key and value names are
// compared without regard to case; the case first written is kept. Key paths
// use '\' between elements. Names are ASCII/UTF-8; REG_SZ data is UTF-16LE
// bytes, stored exactly as given (see platform/text.h). Every call answers
// an error code (ERROR_SUCCESS on success) and never throws.
class Registry {
 public:
  virtual ~Registry() = default;

  // Opens an existing key; ERROR_FILE_NOT_FOUND when it does not exist.
  virtual long OpenKey(HKEY root, std::string_view subKey, std::uint32_t access, HKEY* result) = 0;
  // Opens a key, creating it and any missing intermediate keys.
  // `created`, when given, says whether the key was new.
  virtual long CreateKey(HKEY root, std::string_view subKey, HKEY* result, bool* created) = 0;
  // Sized query: on entry *size is the buffer size in bytes. On return *type
  // and *size describe the value. A buffer too small answers ERROR_MORE_DATA
  // with *size set to the needed size and copies nothing. data may be null to
  // ask for the size only. type and size may be null when not wanted.
  virtual long QueryValue(HKEY key, std::string_view name, std::uint32_t* type, std::uint8_t* data,
                          std::uint32_t* size) = 0;
  // Stores exactly `size` bytes of `data` as the value.
  virtual long SetValue(HKEY key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                        std::uint32_t size) = 0;
  // ERROR_FILE_NOT_FOUND when the value does not exist.
  virtual long DeleteValue(HKEY key, std::string_view name) = 0;
  // Removes the key with all its subkeys and values.
  virtual long DeleteKey(HKEY root, std::string_view subKey) = 0;
  virtual long CloseKey(HKEY key) = 0;
  // Persists the whole tree (the controller keeps it in flash).
  virtual long FlushKey(HKEY key) = 0;
  // Whether `area`, put into the registry area of flash as it stands (its
  // whole content), is a registry the next boot would load. Only the
  // registry knows the form it keeps itself in there; a registry that cannot
  // tell answers Unusable, so nothing unchecked is ever written.
  virtual SavedRegistryCheck CheckSavedRegistry(std::span<const std::uint8_t> /*area*/) {
    return {SavedRegistryCheck::Verdict::Unusable, "the registry cannot check a saved copy"};
  }
};

}  // namespace talvon
