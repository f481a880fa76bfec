#include "host/preview/preview.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <optional>
#include <utility>

#include <fmt/format.h>

#include "host/preview/preview_scene.h"
#include "sulkor/graphic_names.h"

#if defined(__SANITIZE_ADDRESS__)
// Text goes through cairo's toy font API, which asks fontconfig for a font once per process:
// fontconfig's parsed configuration and the pattern that cairo caches for the font stay until the
// process ends, and the leak checker counts them as lost. They do not grow with the number of
// pictures; a program that paints previews is otherwise checked for leaks as usual.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
// The suppression is known; its count on standard error would only disturb a program's output.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

namespace sulkor::host {
namespace {

// The brush that fills a closed graphic solid.
constexpr std::string_view kSolidBrush = "SOLID";

struct BuiltInLabel {
  std::string_view name;
  std::string_view text;
};
constexpr BuiltInLabel kBuiltInLabels[] = {
    {kTrajectoryName, "tool path"},
    {kWorkContourName, "finished profile"},
    {kRemovedMaterialName, "removed material"},
    {kLastPartBlankName, "stock before the cut"},
};

// Sizes in picture units (pixels of a PNG, points of SVG and PDF).
constexpr double kOutlineWidth = 1.5;
constexpr double kProfileWidth = 2.5;
constexpr double kPathWidth = 2.0;
constexpr double kCasingWidth = 2.0;  // around each move, in the background's colour
constexpr double kHatchWidth = 1.0;
constexpr double kHatchMinSpacing = 6.0;
constexpr double kHatchMaxSpacing = 14.0;
// ANSI36 in the inch pattern file: 45-degree lines 0.125 apart, a dash of 2.5 spacings, a gap,
// a dot, a gap of half a spacing each, every line shifted by 1.75 spacings along itself.
constexpr double kAnsi36Spacing = 0.125;
constexpr double kFontSize = 13.0;
constexpr double kFooterPadding = 10.0;
constexpr double kRowHeight = 20.0;
constexpr double kSwatchWidth = 26.0;
constexpr double kEntryGap = 18.0;
constexpr int kMinSize = 16;
constexpr int kMaxSize = 10000;  // 400 megabytes of pixels at most
constexpr double kMaterialAlpha = 0.5;
constexpr double kInsertAlpha = 0.3;
constexpr double kPaperMargin = 24.0;      // points
constexpr double kPaperMinWidth = 420.0;   // points: room for the footer
constexpr double kPaperMinAcross = 40.0;   // millimetres a drawing spans on paper at least
constexpr double kPaperMaxAcross = 400.0;  // and at most
const double kRapidDashes[] = {6.0, 4.0};
constexpr double kTintAlpha = 0.14;

struct Rgb {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

Rgb FromDrawingColor(int32_t c) {
  return {(c & 0xff) / 255.0, ((c >> 8) & 0xff) / 255.0, ((c >> 16) & 0xff) / 255.0};
}

double Luminance(const Rgb& c) {
  auto lin = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
  return 0.2126 * lin(c.r) + 0.7152 * lin(c.g) + 0.0722 * lin(c.b);
}

double Contrast(const Rgb& a, const Rgb& b) {
  const double la = Luminance(a);
  const double lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool IsDark(const Rgb& c) { return Luminance(c) < 0.18; }

// The colour moved toward white (on a dark background) or black until it stands out: pure blue
// on a dark slate becomes a light blue. Colours that stand out already stay exactly as they are.
Rgb Legible(Rgb c, const Rgb& background) {
  const Rgb toward = IsDark(background) ? Rgb{1, 1, 1} : Rgb{0, 0, 0};
  for (int step = 0; step < 10 && Contrast(c, background) < 3.0; ++step) {
    c = {c.r + (toward.r - c.r) * 0.2, c.g + (toward.g - c.g) * 0.2, c.b + (toward.b - c.b) * 0.2};
  }
  return c;
}

// The colour of a graphic with no pen colour: the background's opposite, as CAD programs draw
// their "white".
Rgb DefaultPen(const Rgb& background) {
  return IsDark(background) ? Rgb{0.86, 0.87, 0.88} : Rgb{0.15, 0.15, 0.15};
}

Rgb TextColor(const Rgb& background) {
  return IsDark(background) ? Rgb{0.85, 0.87, 0.89} : Rgb{0.1, 0.1, 0.1};
}

Rgb MaterialColor(const Rgb& background) {
  return IsDark(background) ? Rgb{0.42, 0.46, 0.5} : Rgb{0.78, 0.8, 0.82};
}

// The inserts: an orange that stands apart from the move colours and the material.
Rgb InsertColor() { return {1.0, 0.55, 0.0}; }

std::string ColorName(int32_t c) {
  struct Named {
    int32_t color;
    const char* name;
  };
  static constexpr Named kNames[] = {{0x0000ff, "red"},    {0x00ffff, "yellow"},
                                     {0x00ff00, "green"},  {0xffff00, "cyan"},
                                     {0xff0000, "blue"},   {0xff00ff, "magenta"},
                                     {0xffffff, "white"},  {0x000000, "black"}};
  for (const Named& n : kNames) {
    if (n.color == c) return n.name;
  }
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
  return text;
}

enum class Layer : uint8_t { Outline, Hatched, Profile, Path };

Layer LayerOf(const PreviewShape& s) {
  if (s.role == kTrajectoryName) return Layer::Path;
  if (s.role == kWorkContourName) return Layer::Profile;
  if (s.closed && !s.brush.empty()) return Layer::Hatched;
  return Layer::Outline;
}

bool IsMaterial(const PreviewShape& s) {
  return s.closed && s.brush.empty() && LayerOf(s) == Layer::Outline;
}

enum class Swatch : uint8_t { Line, Hatch, Material };

struct LegendEntry {
  std::string text;
  Rgb color;
  Swatch swatch = Swatch::Line;
  double width = kOutlineWidth;
  double textWidth = 0.0;
};

// The legend: one entry per name and colour, in the order of stacking (the tool path last).
std::vector<LegendEntry> MakeLegend(const PreviewScene& scene, const PreviewOptions& options,
                                    const Rgb& background) {
  struct Key {
    Layer layer;
    std::string role;
    std::optional<int32_t> color;
    const PreviewShape* shape;
  };
  std::vector<Key> keys;
  for (const PreviewShape& s : scene.shapes) {
    const bool seen = std::any_of(keys.begin(), keys.end(), [&](const Key& k) {
      return k.role == s.role && k.color == s.penColor;
    });
    if (!seen) keys.push_back({LayerOf(s), s.role, s.penColor, &s});
  }
  std::stable_sort(keys.begin(), keys.end(),
                   [](const Key& a, const Key& b) { return a.layer < b.layer; });
  std::vector<LegendEntry> entries;
  for (const Key& k : keys) {
    const int32_t color = k.color.value_or(-1);
    std::string text;
    for (const PreviewLabel& l : options.labels) {
      if ((l.name.empty() || l.name == k.role) && (l.color == -1 || l.color == color)) {
        text = l.text;
        break;
      }
    }
    const bool own = !text.empty();
    if (text.empty()) {
      for (const BuiltInLabel& b : kBuiltInLabels) {
        if (b.name == k.role) text = b.text;
      }
    }
    if (text.empty()) text = k.role.empty() ? "unnamed" : k.role;
    // A name drawn in several colours tells them apart by colour.
    const bool several = std::count_if(keys.begin(), keys.end(), [&](const Key& o) {
                           return o.role == k.role;
                         }) > 1;
    if (several && !own && k.color) text += " (" + ColorName(*k.color) + ")";
    LegendEntry e;
    e.text = text;
    e.color = k.color ? Legible(FromDrawingColor(*k.color), background) : DefaultPen(background);
    e.swatch = k.layer == Layer::Hatched ? Swatch::Hatch
               : IsMaterial(*k.shape)    ? Swatch::Material
                                         : Swatch::Line;
    e.width = k.layer == Layer::Path      ? kPathWidth
              : k.layer == Layer::Profile ? kProfileWidth
                                          : kOutlineWidth;
    if (std::none_of(entries.begin(), entries.end(), [&](const LegendEntry& o) {
          return o.text == e.text && o.color == e.color;
        })) {
      entries.push_back(std::move(e));
    }
  }
  if (!options.inserts.empty()) entries.push_back({"insert", InsertColor(), Swatch::Line, kOutlineWidth});
  return entries;
}

using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

void SetFont(cairo_t* cr) {
  cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, kFontSize);
}

double TextWidth(cairo_t* cr, const std::string& text) {
  cairo_text_extents_t e;
  cairo_text_extents(cr, text.c_str(), &e);
  return e.x_advance;
}

std::string LengthText(double length, const std::string& unit) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", length);
  return std::string(text) + " " + unit;
}

// The scale bar's text, with the scale on paper where there is one.
std::string ScaleText(const PreviewLayout& l) {
  std::string text = LengthText(l.scaleBarLength, l.unit);
  if (!l.paperScale.empty()) text += "   scale " + l.paperScale;
  return text;
}

// Rows of the legend after the scale bar: entries flow left to right and wrap.
int LegendRows(const std::vector<LegendEntry>& entries, double start, double width) {
  int rows = entries.empty() ? 0 : 1;
  double x = start;
  for (const LegendEntry& e : entries) {
    const double w = kSwatchWidth + 6.0 + e.textWidth;
    if (x > start && x + w > width - kFooterPadding) {
      ++rows;
      x = start;
    }
    x += w + kEntryGap;
  }
  return rows;
}

struct Plan {
  std::vector<PreviewInsert> inserts;
  int32_t dashedColor = -1;
  PreviewScene scene;
  PreviewLayout layout;
  std::vector<LegendEntry> legend;
  double legendStart = 0.0;  // x of the legend in the footer
  Rgb background;
};

Plan MakePlan(Drawing& drawing, const PreviewOptions& options) {
  if (options.width < kMinSize || options.width > kMaxSize ||
      (options.height != 0 && (options.height < kMinSize || options.height > kMaxSize))) {
    throw PreviewError("the preview size must lie between 16 and 10000");
  }
  Plan plan;
  plan.inserts = options.inserts;
  plan.dashedColor = options.dashedColor;
  plan.scene = CollectPreviewScene(drawing);
  if (plan.scene.shapes.empty()) throw PreviewError("the drawing holds nothing to draw");
  const double bw = plan.scene.hi.x - plan.scene.lo.x;
  const double bh = plan.scene.hi.y - plan.scene.lo.y;
  if (!(bw > 1e-9) && !(bh > 1e-9)) {
    throw PreviewError("the drawing's graphics lie in a single point");
  }
  plan.background = FromDrawingColor(options.background);
  PreviewLayout& l = plan.layout;
  l.unit = plan.scene.unit;
  Point2 lo = plan.scene.lo, hi = plan.scene.hi;
  if (options.view) {
    lo = options.view->first;
    hi = options.view->second;
    if (!(hi.x - lo.x > 1e-9) || !(hi.y - lo.y > 1e-9)) {
      throw PreviewError("the view to show is empty");
    }
  }
  const double vw = hi.x - lo.x, vh = hi.y - lo.y;
  double w = options.width;
  double scale = 0.0;
  if (options.paperScale) {
    // Points per drawing unit at 1:1, and a standard ratio that puts the drawing 40 to 400 mm
    // across.
    const bool inch = l.unit == "in";
    const double across = (vw > 1e-9 ? vw : vh) * (inch ? 25.4 : 1.0);
    double ratio = 1.0;  // paper length per drawing length
    for (const double r : {2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0, 1000.0}) {
      if (across * ratio <= kPaperMaxAcross) break;
      ratio = 1.0 / r;
    }
    for (const double r : {2.0, 5.0, 10.0, 20.0, 50.0, 100.0}) {
      if (across * ratio >= kPaperMinAcross || across * r > kPaperMaxAcross) break;
      ratio = r;
    }
    l.paperScale = ratio >= 1.0 ? fmt::format("{}:1", std::lround(ratio))
                                : fmt::format("1:{}", std::lround(1.0 / ratio));
    scale = (inch ? 72.0 : 72.0 / 25.4) * ratio;
    w = std::clamp(std::max(kPaperMinWidth, vw * scale + 2.0 * kPaperMargin), double{kMinSize},
                   double{kMaxSize});
    l.areaHeight = static_cast<int>(std::lround(std::clamp(
        vh * scale + 2.0 * kPaperMargin, 4.0 * kPaperMargin, double{kMaxSize})));
  } else {
    const double margin = std::max(0.06 * w, std::min(24.0, w / 8.0));
    const double availableWidth = w - 2.0 * margin;
    if (options.height != 0) {
      l.areaHeight = options.height;
    } else {
      // The drawing's proportions, kept within a flat strip and a tall page.
      const double fitted = vw > 1e-9 ? vh * availableWidth / vw + 2.0 * margin : 1.5 * w;
      l.areaHeight = static_cast<int>(
          std::lround(std::clamp(fitted, std::min(w, 200.0), std::min(1.5 * w, double{kMaxSize}))));
    }
    const double availableHeight = std::max(1.0, l.areaHeight - 2.0 * margin);
    scale = vw > 1e-9 ? availableWidth / vw : availableHeight / vh;
    if (vh > 1e-9) scale = std::min(scale, availableHeight / vh);
  }
  l.width = static_cast<int>(std::lround(w));
  l.transform.scale = scale;
  const Point2 middle{(lo.x + hi.x) / 2.0, (lo.y + hi.y) / 2.0};
  l.transform.originX = w / 2.0 - scale * middle.x;
  l.transform.originY = l.areaHeight / 2.0 + scale * middle.y;
  l.scaleBarLength = ScaleBarLength(w / scale);

  // The footer: the scale bar and its text, then the legend, measured with the picture's font.
  Surface probe(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1), cairo_surface_destroy);
  Context cr(cairo_create(probe.get()), cairo_destroy);
  SetFont(cr.get());
  if (options.legend) plan.legend = MakeLegend(plan.scene, options, plan.background);
  for (LegendEntry& e : plan.legend) {
    e.textWidth = TextWidth(cr.get(), e.text);
    l.legend.push_back(e.text);
  }
  plan.legendStart = kFooterPadding + l.scaleBarLength * scale + 8.0 +
                     TextWidth(cr.get(), ScaleText(l)) + 2.0 * kEntryGap;
  const int rows = std::max(1, LegendRows(plan.legend, plan.legendStart, w));
  l.height = l.areaHeight + static_cast<int>(std::lround(2.0 * kFooterPadding + rows * kRowHeight));
  return plan;
}

void SetColor(cairo_t* cr, const Rgb& c, double alpha = 1.0) {
  cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void AddPath(cairo_t* cr, const PreviewShape& s, const PreviewTransform& t) {
  cairo_new_sub_path(cr);
  Point2 from = s.start;
  const Point2 p0 = t.ToPicture(from);
  cairo_move_to(cr, p0.x, p0.y);
  for (const PreviewPiece& p : s.pieces) {
    if (p.arc) {
      // The picture's y runs downward: a counterclockwise arc of the drawing runs toward smaller
      // angles in the picture.
      const Point2 c = t.ToPicture(p.center);
      const double a0 = -std::atan2(from.y - p.center.y, from.x - p.center.x);
      const double r = p.radius * t.scale;
      if (p.sweep > 0.0) {
        cairo_arc_negative(cr, c.x, c.y, r, a0, a0 - p.sweep);
      } else {
        cairo_arc(cr, c.x, c.y, r, a0, a0 - p.sweep);
      }
    } else {
      const Point2 q = t.ToPicture(p.end);
      cairo_line_to(cr, q.x, q.y);
    }
    from = p.end;
  }
  if (s.closed) cairo_close_path(cr);
}

// 45-degree dash-dot lines over the current clip, spaced `spacing` apart, as ANSI36 draws them.
void Hatch(cairo_t* cr, double spacing) {
  double x0, y0, x1, y1;
  cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
  const double dashes[] = {2.5 * spacing, 0.5 * spacing - 0.5, 1.0, 0.5 * spacing - 0.5};
  const double period = 3.5 * spacing;
  // Lines x + y = c run up and to the right in the picture; c steps by the spacing times sqrt 2.
  const double step = spacing * std::numbers::sqrt2;
  const double first = std::floor((x0 + y0) / step);
  for (double k = first; k * step <= x1 + y1; k += 1.0) {
    const double c = k * step;
    const Point2 a{c - y1, y1};
    const Point2 b{c - y0, y0};
    // The pattern is anchored on the picture: the distance along the line from the line x = y,
    // and the shift of 1.75 spacings from one line to the next.
    const double along = (a.x - a.y) / std::numbers::sqrt2;
    double offset = std::fmod(along + k * 1.75 * spacing, period);
    if (offset < 0.0) offset += period;
    cairo_set_dash(cr, dashes, 4, offset);
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
    cairo_stroke(cr);
  }
  cairo_set_dash(cr, nullptr, 0, 0.0);
}

Rgb PenOf(const PreviewShape& s, const Rgb& background) {
  return s.penColor ? Legible(FromDrawingColor(*s.penColor), background) : DefaultPen(background);
}

void PaintShapes(cairo_t* cr, const Plan& plan) {
  const PreviewTransform& t = plan.layout.transform;
  const Rgb& bg = plan.background;
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  // The material: every closed outline without a brush, tinted.
  for (const PreviewShape& s : plan.scene.shapes) {
    if (!IsMaterial(s)) continue;
    AddPath(cr, s, t);
    SetColor(cr, MaterialColor(bg), kMaterialAlpha);
    cairo_fill(cr);
  }
  const auto dashed = [&](const PreviewShape& s) {
    return LayerOf(s) == Layer::Path && plan.dashedColor >= 0 && s.penColor == plan.dashedColor;
  };
  // The positioning moves, dashed, below the cutting moves.
  for (const PreviewShape& s : plan.scene.shapes) {
    if (!dashed(s)) continue;
    AddPath(cr, s, t);
    SetColor(cr, PenOf(s, bg));
    cairo_set_line_width(cr, kOutlineWidth);
    cairo_set_dash(cr, kRapidDashes, 2, 0.0);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0.0);
  }
  for (const Layer layer : {Layer::Outline, Layer::Hatched, Layer::Profile, Layer::Path}) {
    for (const PreviewShape& s : plan.scene.shapes) {
      if (LayerOf(s) != layer || dashed(s)) continue;
      const Rgb pen = PenOf(s, bg);
      if (layer == Layer::Hatched) {
        cairo_save(cr);
        AddPath(cr, s, t);
        cairo_clip_preserve(cr);
        if (s.brush == kSolidBrush) {
          SetColor(cr, pen);
          cairo_fill(cr);
        } else {
          SetColor(cr, pen, kTintAlpha);
          cairo_fill(cr);
          SetColor(cr, pen);
          cairo_set_line_width(cr, kHatchWidth);
          cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
          const double scale = s.brushScale > 0.0 ? s.brushScale : 1.0;
          Hatch(cr, std::clamp(kAnsi36Spacing * scale * t.scale, kHatchMinSpacing,
                               kHatchMaxSpacing));
        }
        cairo_restore(cr);
      }
      AddPath(cr, s, t);
      if (layer == Layer::Path) {
        // A casing in the background's colour keeps each move clear of what lies below it.
        SetColor(cr, bg);
        cairo_set_line_width(cr, kPathWidth + 2.0 * kCasingWidth);
        cairo_stroke_preserve(cr);
      }
      SetColor(cr, pen);
      cairo_set_line_width(cr, layer == Layer::Path      ? kPathWidth
                               : layer == Layer::Profile ? kProfileWidth
                                                         : kOutlineWidth);
      cairo_stroke(cr);
    }
  }
}

// The outline of an insert: its corner arcs as chords of 10 degrees.
std::vector<Point2> InsertOutline(const PreviewInsert& in) {
  const double r = in.cornerRadius, s = in.width - 2.0 * r, L = in.bodyLength;
  std::vector<Point2> uv = {{-r, L}};
  const auto corner = [&](double cu, double from) {
    for (int k = 0; k <= 9; ++k) {
      const double a = (from + 10.0 * k) * std::numbers::pi / 180.0;
      uv.push_back({cu + r * std::cos(a), r * std::sin(a)});
    }
  };
  corner(0.0, 180.0);
  corner(s, 270.0);
  uv.push_back({s + r, L});
  std::vector<Point2> points;
  for (const Point2& p : uv) {
    points.push_back({in.reference.x + p.x * in.u.x + p.y * in.v.x,
                      in.reference.y + p.x * in.u.y + p.y * in.v.y});
  }
  return points;
}

void PaintInserts(cairo_t* cr, const Plan& plan) {
  const PreviewTransform& t = plan.layout.transform;
  for (const PreviewInsert& in : plan.inserts) {
    const std::vector<Point2> points = InsertOutline(in);
    cairo_new_path(cr);
    for (const Point2& p : points) {
      const Point2 q = t.ToPicture(p);
      cairo_line_to(cr, q.x, q.y);
    }
    cairo_close_path(cr);
    SetColor(cr, InsertColor(), kInsertAlpha);
    cairo_fill_preserve(cr);
    SetColor(cr, InsertColor());
    cairo_set_line_width(cr, kOutlineWidth);
    cairo_stroke(cr);
  }
}

// The lathe axis, y = 0, as a dash-dot centre line across the drawing area when it is in view.
void PaintCentreLine(cairo_t* cr, const Plan& plan) {
  const double y = plan.layout.transform.ToPicture({0.0, 0.0}).y;
  if (y < 0.0 || y > plan.layout.areaHeight) return;
  const double dashes[] = {18.0, 4.0, 3.0, 4.0};
  cairo_set_dash(cr, dashes, 4, 0.0);
  SetColor(cr, TextColor(plan.background), 0.45);
  cairo_set_line_width(cr, 1.0);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  cairo_move_to(cr, 0.0, y);
  cairo_line_to(cr, plan.layout.width, y);
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0.0);
}

void PaintSwatch(cairo_t* cr, const LegendEntry& e, double x, double y, const Rgb& bg) {
  // y is the row's middle.
  if (e.swatch == Swatch::Line) {
    SetColor(cr, e.color);
    cairo_set_line_width(cr, e.width);
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + kSwatchWidth, y);
    cairo_stroke(cr);
    return;
  }
  cairo_save(cr);
  cairo_rectangle(cr, x, y - 6.0, kSwatchWidth, 12.0);
  if (e.swatch == Swatch::Material) {
    SetColor(cr, MaterialColor(bg), kMaterialAlpha);
    cairo_fill_preserve(cr);
  } else {
    cairo_clip_preserve(cr);
    SetColor(cr, e.color);
    cairo_set_line_width(cr, kHatchWidth);
    Hatch(cr, kHatchMinSpacing);
  }
  SetColor(cr, e.color);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  cairo_restore(cr);
}

void PaintFooter(cairo_t* cr, const Plan& plan) {
  const PreviewLayout& l = plan.layout;
  const Rgb text = TextColor(plan.background);
  SetColor(cr, text, 0.3);
  cairo_set_line_width(cr, 1.0);
  cairo_move_to(cr, 0.0, l.areaHeight + 0.5);
  cairo_line_to(cr, l.width, l.areaHeight + 0.5);
  cairo_stroke(cr);
  SetFont(cr);

  // The scale bar: a bar with end ticks, its length and unit beside it.
  const double rowMiddle = l.areaHeight + kFooterPadding + kRowHeight / 2.0;
  const double x0 = kFooterPadding;
  const double x1 = x0 + l.scaleBarLength * l.transform.scale;
  SetColor(cr, text);
  cairo_rectangle(cr, x0, rowMiddle - 2.0, x1 - x0, 4.0);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1.5);
  for (const double x : {x0, x1}) {
    cairo_move_to(cr, x, rowMiddle - 7.0);
    cairo_line_to(cr, x, rowMiddle + 7.0);
  }
  cairo_stroke(cr);
  const double baseline = kFontSize * 0.36;
  cairo_move_to(cr, x1 + 8.0, rowMiddle + baseline);
  cairo_show_text(cr, ScaleText(l).c_str());

  double x = plan.legendStart;
  double y = rowMiddle;
  for (const LegendEntry& e : plan.legend) {
    const double w = kSwatchWidth + 6.0 + e.textWidth;
    if (x > plan.legendStart && x + w > l.width - kFooterPadding) {
      x = plan.legendStart;
      y += kRowHeight;
    }
    PaintSwatch(cr, e, x, y, plan.background);
    SetColor(cr, text);
    cairo_move_to(cr, x + kSwatchWidth + 6.0, y + baseline);
    cairo_show_text(cr, e.text.c_str());
    x += w + kEntryGap;
  }
}

void Paint(cairo_t* cr, const Plan& plan, const PreviewOptions& options) {
  SetColor(cr, plan.background);
  cairo_paint(cr);
  cairo_save(cr);
  cairo_rectangle(cr, 0.0, 0.0, plan.layout.width, plan.layout.areaHeight);
  cairo_clip(cr);
  if (options.centreLine) PaintCentreLine(cr, plan);
  PaintShapes(cr, plan);
  PaintInserts(cr, plan);
  cairo_restore(cr);
  PaintFooter(cr, plan);
}

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

void Check(cairo_status_t status) {
  if (status != CAIRO_STATUS_SUCCESS) {
    throw PreviewError(std::string("the picture cannot be drawn: ") +
                       cairo_status_to_string(status));
  }
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

PreviewFormat PreviewFormatFor(std::string_view path) {
  const std::filesystem::path p{std::string(path)};
  const std::string extension = Lower(p.extension().string());
  if (extension == ".png") return PreviewFormat::Png;
  if (extension == ".svg") return PreviewFormat::Svg;
  if (extension == ".pdf") return PreviewFormat::Pdf;
  if (extension.empty()) {
    throw PreviewError(std::string(path) + ": no preview type; use .png, .svg or .pdf");
  }
  throw PreviewError(std::string(path) + ": unknown preview type \"" + p.extension().string() +
                     "\"; use .png, .svg or .pdf");
}

PreviewLayout LayoutPreview(Drawing& drawing, const PreviewOptions& options) {
  return MakePlan(drawing, options).layout;
}

std::string RenderPreviewData(Drawing& drawing, PreviewFormat format,
                              const PreviewOptions& given) {
  PreviewOptions options = given;
  options.paperScale = format != PreviewFormat::Png;
  const Plan plan = MakePlan(drawing, options);
  // SVG in millimetres: the page's numbers are millimetres, the painting in points scaled down.
  const double toPage = format == PreviewFormat::Svg ? 25.4 / 72.0 : 1.0;
  const double w = plan.layout.width * toPage;
  const double h = plan.layout.height * toPage;
  std::string data;
  Surface surface(nullptr, cairo_surface_destroy);
  switch (format) {
    case PreviewFormat::Png:
      surface.reset(cairo_image_surface_create(CAIRO_FORMAT_RGB24, plan.layout.width,
                                               plan.layout.height));
      break;
    case PreviewFormat::Svg:
      surface.reset(cairo_svg_surface_create_for_stream(Append, &data, w, h));
      cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_MM);
      break;
    case PreviewFormat::Pdf:
      surface.reset(cairo_pdf_surface_create_for_stream(Append, &data, w, h));
      break;
  }
  Check(cairo_surface_status(surface.get()));
  {
    Context cr(cairo_create(surface.get()), cairo_destroy);
    cairo_scale(cr.get(), toPage, toPage);
    Paint(cr.get(), plan, options);
    Check(cairo_status(cr.get()));
  }
  if (format == PreviewFormat::Png) {
    cairo_surface_flush(surface.get());
    Check(cairo_surface_write_to_png_stream(surface.get(), Append, &data));
  } else {
    cairo_surface_finish(surface.get());
    Check(cairo_surface_status(surface.get()));
  }
  return data;
}

void RenderPreview(Drawing& drawing, const std::string& path, const PreviewOptions& options) {
  const PreviewFormat format = PreviewFormatFor(path);
  std::string data;
  try {
    data = RenderPreviewData(drawing, format, options);
  } catch (const Error& e) {
    throw PreviewError(path + ": " + e.what());
  }
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << data;
    out.flush();
    if (!out) {
      std::remove(temporary.c_str());
      throw PreviewError(path + ": cannot be written");
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    std::remove(temporary.c_str());
    throw PreviewError(path + ": cannot be written: " + ec.message());
  }
}

}  // namespace sulkor::host
