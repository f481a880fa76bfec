// Counting a picture's pixels by colour, to check what a preview shows.
#pragma once

#include <map>
#include <string>

namespace sulkor::testing {

// Pixels of a PNG file near each of the preview's colours, by name: "red", "yellow", "green",
// "blue", "orange".
std::map<std::string, int> CountColours(const std::string& png);

}  // namespace sulkor::testing
