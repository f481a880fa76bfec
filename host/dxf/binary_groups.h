// Binary DXF (R12 and later) as the same (group code, value) pairs the text reader yields:
// numbers are turned into their shortest exact text, binary chunks into hexadecimal.
#pragma once

#include <string_view>
#include <vector>

#include "host/dxf/group_reader.h"

namespace sulkor::host {

// The 22 bytes a binary DXF starts with.
inline constexpr std::string_view kBinaryDxfSentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};

// What a file that is not text holds, judged by its first bytes: "a PNG image", "a DWG drawing",
// ..., or "a binary file" when nothing is recognised; empty for text.
std::string_view BinaryKind(std::string_view data);

// The pairs of a binary DXF (data starts with the sentinel), 999 comments left out; a binary
// file has no lines, so every pair's line is 0. Throws DxfError naming file and the offset where
// the data ends inside a pair.
std::vector<GroupPair> ReadBinaryPairs(std::string_view data, std::string_view file);

}  // namespace sulkor::host
