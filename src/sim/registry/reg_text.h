#pragma once
/* The registry as REGEDIT4 text, the form people read and edit:

     REGEDIT4

     [HKEY_LOCAL_MACHINE\Drivers\Display\MQ200]
     "CxScreen"=dword:00000280
     "Dll"="ddi_mq200.dll"
     @="the key's default value"
     "Blob"=hex:01,02,03,\
       04,05
     "Path"=hex(2):25,00,00,00

   Strings escape '\' and '"' with a backslash. hex(N): carries any type N
   (hexadecimal) as raw bytes; a trailing backslash continues the byte list
   on the next line. Lines starting with ';' are comments. "[-Key]" removes
   a key with everything below it and "Name"=- removes a value. Only
   HKEY_LOCAL_MACHINE exists on the controller.

   Export writes every value so that importing the text gives back exactly
   the same bytes: a REG_SZ that is not one clean terminated string (an odd
   size, zero padding after the terminator, no terminator, control
   characters) is written as hex(1): rather than as a string. */
#include <cstddef>
#include <string>
#include <string_view>

#include "sim/registry/registry_store.h"

namespace talvon::sim {

struct RegTextResult {
  bool ok = true;
  std::size_t line = 0;  // 1-based line of the first error; 0 when ok
  std::string error;     // "line 12: ..." when not ok
};

// Applies the text to the store. When the text holds an error, the store is
// left exactly as it was and the result names the line.
RegTextResult ImportRegText(std::string_view text, RegistryStore& store);

// The whole tree, keys depth first in insertion order.
std::string ExportRegText(const RegistryStore& store);

}  // namespace talvon::sim
