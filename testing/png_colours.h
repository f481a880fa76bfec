// Counting a picture's pixels by colour, to check what a preview or ezdxf's rendering shows.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <map>
#include <string>

namespace sulkor::testing {

// Pixels of a PNG file near each of the preview's colours: "red", "yellow", "green", "blue",
// "orange".
inline std::map<std::string, int> CountColours(const std::string& png) {
  std::map<std::string, int> counts;
  cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    for (int y = 0; y < cairo_image_surface_get_height(image); ++y) {
      for (int x = 0; x < cairo_image_surface_get_width(image); ++x) {
        const uint32_t p = reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(image))[x];
        const int r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
        counts["red"] += r > 200 && g < 60 && b < 60;
        counts["yellow"] += r > 200 && g > 200 && b < 60;
        counts["green"] += r < 60 && g > 200 && b < 60;
        counts["blue"] += r < 60 && g < 60 && b > 200;
        counts["orange"] += r > 200 && g > 100 && g < 180 && b < 60;
      }
    }
  }
  cairo_surface_destroy(image);
  return counts;
}

}  // namespace sulkor::testing
