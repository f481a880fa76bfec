// A memory host written out as text, every value exactly (doubles by their bits), graphics by
// their place in the drawing's tree: two hosts hold the same job when their texts are equal.
// The job file's tests compare a host with the one read back from its file this way.
#pragma once

#include <string>

#include "host/memory/memory_host.h"

namespace sulkor::host {

std::string DumpMemoryHost(const MemoryHost& host);

}  // namespace sulkor::host
