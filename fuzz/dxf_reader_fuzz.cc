// Fuzz target: any bytes as a DXF file read into a drawing. A file that is no drawing must be
// refused with an error of this system (sulkor::Error), never crash, hang or leak.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "host/dxf/dxf_file.h"
#include "host/memory/memory_host.h"
#include "sulkor/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  sulkor::host::MemoryHost host = sulkor::host::BuildMemoryHost();
  try {
    sulkor::host::ImportDxfText(text, "fuzz.dxf", *host.Drawing());
    // What was read can be written again.
    (void)sulkor::host::ExportDxfText(*host.Drawing());
  } catch (const sulkor::Error&) {
    // Refused with a message: the expected end of most inputs.
  }
  return 0;
}
