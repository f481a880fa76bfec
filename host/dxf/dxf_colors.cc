#include "host/dxf/dxf_colors.h"

#include <array>
#include <cmath>

namespace sulkor::host {
namespace {

// Indices 10 .. 249 run through 24 hues in steps of 15 degrees; each hue has five shades
// (full, 65%, 50%, 30%, 15% brightness), each in full and half saturation. 250 .. 255 are greys.
std::array<Rgb, 256> BuildPalette() {
  std::array<Rgb, 256> p{};
  p[1] = {255, 0, 0};
  p[2] = {255, 255, 0};
  p[3] = {0, 255, 0};
  p[4] = {0, 255, 255};
  p[5] = {0, 0, 255};
  p[6] = {255, 0, 255};
  p[7] = {255, 255, 255};
  p[8] = {128, 128, 128};
  p[9] = {192, 192, 192};
  constexpr std::array<double, 5> kShade = {1.0, 0.65, 0.5, 0.3, 0.15};
  for (int i = 10; i < 250; ++i) {
    const double hue = (i / 10 - 1) * 15.0;
    const int step = i % 10;
    const double value = 255.0 * kShade[static_cast<size_t>(step / 2)];
    const bool half = (step % 2) == 1;
    auto channel = [&](double offset) {
      double h = std::fmod(hue + offset, 360.0);
      // Full at distance <= 60 from the channel's hue, ramping to nothing at 120.
      const double d = std::fabs(h > 180.0 ? 360.0 - h : h);
      double level = d <= 60.0 ? 1.0 : (d >= 120.0 ? 0.0 : (120.0 - d) / 60.0);
      if (half) level = 0.5 + 0.5 * level;
      return static_cast<int>(std::lround(value * level));
    };
    p[static_cast<size_t>(i)] = {channel(0.0), channel(-120.0 + 360.0), channel(-240.0 + 360.0)};
  }
  constexpr std::array<int, 6> kGrey = {51, 91, 132, 173, 214, 255};
  for (int i = 0; i < 6; ++i) {
    const int v = kGrey[static_cast<size_t>(i)];
    p[static_cast<size_t>(250 + i)] = {v, v, v};
  }
  return p;
}

const std::array<Rgb, 256>& Palette() {
  static const std::array<Rgb, 256> palette = BuildPalette();
  return palette;
}

}  // namespace

Rgb AciColor(int index) {
  if (index < 1 || index > 255) return {255, 255, 255};
  return Palette()[static_cast<size_t>(index)];
}

int NearestAci(Rgb color) {
  // A grey stays grey: the dark hues lie nearer to black than the darkest grey does.
  const bool grey = color.r == color.g && color.g == color.b;
  int best = 1;
  long bestDistance = -1;
  for (int i = 1; i < 256; ++i) {
    const Rgb c = Palette()[static_cast<size_t>(i)];
    if (grey && !(c.r == c.g && c.g == c.b)) continue;
    const long dr = c.r - color.r, dg = c.g - color.g, db = c.b - color.b;
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

Rgb FromDrawingColor(int32_t color) {
  return {color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF};
}
int32_t ToDrawingColor(Rgb color) { return color.r + 256 * color.g + 65536 * color.b; }
Rgb FromTrueColor(int32_t color) {
  return {(color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF};
}
int32_t ToTrueColor(Rgb color) { return (color.r << 16) | (color.g << 8) | color.b; }

}  // namespace sulkor::host
