// What a result keeps of its run beyond values: the memory host with the drawing after the run,
// read by the drawing and picture functions under a lock of its own.
#pragma once

#include <mutex>

#include "host/memory/memory_host.h"
#include "sulkor/values.h"

namespace sulkor {

struct RunRecord {
  host::MemoryHost host;
  mutable std::mutex lock;
};

}  // namespace sulkor
