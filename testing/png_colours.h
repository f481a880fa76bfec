// A PNG file's pixels read with cairo, to check what a preview or ezdxf's rendering shows.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace sulkor::testing {

class Picture {
 public:
  explicit Picture(const std::string& path)
      : surface_(cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy) {}
  bool Ok() const { return cairo_surface_status(surface_.get()) == CAIRO_STATUS_SUCCESS; }
  int Width() const { return cairo_image_surface_get_width(surface_.get()); }
  int Height() const { return cairo_image_surface_get_height(surface_.get()); }
  uint32_t At(int x, int y) const {  // 0xRRGGBB
    uint32_t pixel;
    std::memcpy(&pixel, cairo_image_surface_get_data(surface_.get()) +
                            static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_.get()) + 4 * x,
                sizeof pixel);
    return pixel & 0xffffffu;
  }
  template <class Point, class Match>
  bool Near(Point p, Match match) const {  // within one pixel of p
    for (int y = static_cast<int>(p.y) - 1; y <= static_cast<int>(p.y) + 1; ++y) {
      for (int x = static_cast<int>(p.x) - 1; x <= static_cast<int>(p.x) + 1; ++x) {
        if (x >= 0 && y >= 0 && x < Width() && y < Height() && match(At(x, y))) return true;
      }
    }
    return false;
  }

 private:
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface_;
};

// Pixels near each of the preview's colours: "red", "yellow", "green", "blue", "orange".
inline std::map<std::string, int> CountColours(const std::string& png) {
  std::map<std::string, int> counts;
  const Picture picture(png);
  for (int y = 0; picture.Ok() && y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const uint32_t p = picture.At(x, y);
      const int r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
      counts["red"] += r > 200 && g < 60 && b < 60;
      counts["yellow"] += r > 200 && g > 200 && b < 60;
      counts["green"] += r < 60 && g > 200 && b < 60;
      counts["blue"] += r < 60 && g < 60 && b > 200;
      counts["orange"] += r > 200 && g > 100 && g < 180 && b < 60;
    }
  }
  return counts;
}

}  // namespace sulkor::testing
