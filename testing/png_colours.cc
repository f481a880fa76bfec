#include "testing/png_colours.h"

#include <cairo.h>

#include <cstdint>

namespace sulkor::testing {

std::map<std::string, int> CountColours(const std::string& png) {
  std::map<std::string, int> counts;
  cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(image);
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const auto* p = reinterpret_cast<const uint32_t*>(data + y * stride) + x;
        const int r = (*p >> 16) & 0xff, g = (*p >> 8) & 0xff, b = *p & 0xff;
        if (r > 200 && g < 60 && b < 60) ++counts["red"];
        if (r > 200 && g > 200 && b < 60) ++counts["yellow"];
        if (r < 60 && g > 200 && b < 60) ++counts["green"];
        if (r < 60 && g < 60 && b > 200) ++counts["blue"];
        if (r > 200 && g > 100 && g < 180 && b < 60) ++counts["orange"];
      }
    }
  }
  cairo_surface_destroy(image);
  return counts;
}

}  // namespace sulkor::testing
