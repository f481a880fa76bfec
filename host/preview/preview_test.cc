// Pictures of a grooved drawing checked by their pixels: the moves in their
// colours, the removed material hatched green, background elsewhere, the scale bar, the inserts
// turned for each kind of work; the layout, the formats and the failures.
#include "host/preview/preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <unistd.h>
#include <vector>

#include "contour/segment_build.h"
#include "host/memory/memory_host.h"
#include "host/memory/scene.h"
#include "host/preview/preview_scene.h"
#include "sulkor/groove.h"
#include "testing/png_colours.h"

namespace sulkor::host {
namespace {

namespace fs = std::filesystem;
constexpr uint32_t kBackground = 0x22262a;  // the default background as 0xRRGGBB

using testing::Picture;

bool Greenish(uint32_t c) {
  const int r = (c >> 16) & 0xff, g = (c >> 8) & 0xff, b = c & 0xff;
  return g > r + 80 && g > b + 80;
}

double Distance(Point2 p, const std::vector<Point2>& line) {
  double d = std::numeric_limits<double>::infinity();
  for (size_t i = 1; i < line.size(); ++i) {
    const Point2 a = line[i - 1], b = line[i];
    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / len2, 0.0, 1.0) : 0.0;
    d = std::min(d, std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy));
  }
  return d;
}

bool Inside(Point2 p, const std::vector<Point2>& closed) {
  bool in = false;
  for (size_t i = 1; i < closed.size(); ++i) {
    const Point2 a = closed[i - 1], b = closed[i];
    if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y)) in = !in;
  }
  return in;
}

fs::path TestDir() {
  const fs::path dir = fs::temp_directory_path() / ("sulkor_preview_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

// A 10 wide, 5 deep groove with rounded corners in a bar of radius 20 and length 50, grooved.
class GroovePreview : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const Contour groove = MakeContour(
        {MakeLine(20, 25, 20, 17), MakeArc(20, 17, 22, 15, 22, 17, 1), MakeLine(22, 15, 28, 15),
         MakeArc(28, 15, 30, 17, 28, 17, 1), MakeLine(30, 17, 30, 25)});
    scene_ = new GrooveScene(BuildGrooveScene(MakePolygon({0, 0, 50, 0, 50, 20, 0, 20}), groove, SceneTool{}));
    ASSERT_TRUE(Groove(scene_->host.environment).DoGroove(Handle<BlockSet>(scene_->blockSet)));
  }
  static void TearDownTestSuite() {
    delete scene_;
    fs::remove_all(TestDir());
  }
  static Drawing& TheDrawing() { return *scene_->host.Drawing(); }
  static GrooveScene* scene_;
};
GrooveScene* GroovePreview::scene_ = nullptr;

TEST_F(GroovePreview, PngShowsThePathTheHatchTheBackgroundAndTheScaleBar) {
  const std::string path = (TestDir() / "groove.png").string();
  RenderPreview(TheDrawing(), path, {});
  const PreviewLayout layout = LayoutPreview(TheDrawing(), {});
  const Picture picture(path);
  ASSERT_TRUE(picture.Ok());
  ASSERT_EQ(picture.Width(), 1200);
  ASSERT_EQ(picture.Height(), layout.height);
  const PreviewTransform& t = layout.transform;
  std::vector<std::vector<Point2>> moves, outlines, closed;
  std::vector<uint32_t> moveColors;
  for (const PreviewShape& s : CollectPreviewScene(TheDrawing()).shapes) {
    std::vector<Point2> points;
    for (const Point2& p : ShapePoints(s, M_PI / 90.0)) points.push_back(t.ToPicture(p));
    if (s.closed) points.push_back(points.front());
    if (s.role == "Trajectory") {
      const auto c = static_cast<uint32_t>(s.penColor.value());
      moveColors.push_back(((c & 0xffu) << 16) | (c & 0xff00u) | ((c >> 16) & 0xffu));
      moves.push_back(points);
      continue;
    }
    if (s.closed) closed.push_back(points);
    outlines.push_back(points);
  }
  ASSERT_GT(moves.size(), 10u);
  // Every point of a move that no later move covers shows the move's colour.
  int checked = 0, misses = 0;
  for (size_t m = 0; m < moves.size(); ++m) {
    for (size_t i = 1; i < moves[m].size(); ++i) {
      const Point2 a = moves[m][i - 1], b = moves[m][i];
      const int n = std::max(1, static_cast<int>(std::hypot(b.x - a.x, b.y - a.y) / 3.0));
      for (int k = 0; k < n; ++k) {
        const Point2 p{a.x + (b.x - a.x) * k / n, a.y + (b.y - a.y) * k / n};
        if (std::any_of(moves.begin() + static_cast<long>(m) + 1, moves.end(),
                        [&](const auto& later) { return Distance(p, later) < 5.0; })) {
          continue;
        }
        const bool shown = picture.Near(p, [&](uint32_t c) { return c == moveColors[m]; });
        misses += !shown;
        checked += shown;
      }
    }
  }
  EXPECT_EQ(misses, 0);
  EXPECT_GT(checked, 100);
  // Away from every line, the axis and the closed shapes, every third pixel is the bare
  // background (the hatch is InsertsAndStockColours').
  const double axisRow = t.ToPicture({0.0, 0.0}).y;
  int outside = 0;
  for (int y = 0; y < layout.areaHeight; y += 3) {
    for (int x = 0; x < layout.width; x += 3) {
      const Point2 p{x + 0.5, y + 0.5};
      const auto near = [&](const auto& shape) { return Distance(p, shape) < 5.0; };
      if (std::fabs(p.y - axisRow) < 3.0 || std::any_of(moves.begin(), moves.end(), near) ||
          std::any_of(outlines.begin(), outlines.end(), near) ||
          std::any_of(closed.begin(), closed.end(), [&](const auto& c) { return Inside(p, c); })) {
        continue;
      }
      ++outside;
      ASSERT_EQ(picture.At(x, y), kBackground) << x << ", " << y;
    }
  }
  EXPECT_GT(outside, 10000);
  // The scale bar: 10 mm at the left of the footer's first row, background after it.
  EXPECT_EQ(layout.scaleBarLength, 10.0);
  const int row = layout.areaHeight + 20;
  const uint32_t bar = picture.At(12, row);
  EXPECT_NE(bar, kBackground);
  for (int x = 11; x < static_cast<int>(10.0 + 10.0 * t.scale) - 1; ++x) ASSERT_EQ(picture.At(x, row), bar) << x;
  EXPECT_EQ(picture.At(static_cast<int>(10.0 + 10.0 * t.scale) + 4, row), kBackground);
}

// The insert where the caller puts it, turned for each kind of work: its cutting edge r beyond
// the reference against v, in orange, nothing beyond the edge; the stock in its colours.
TEST_F(GroovePreview, InsertsAndStockColours) {
  const struct {
    const char* kind;
    Point2 reference, u, v;
  } cases[] = {{"outside diameter", {5, 10}, {1, 0}, {0, 1}}, {"bore", {12, 10}, {1, 0}, {0, -1}},
               {"front face", {40, 3}, {0, 1}, {1, 0}}, {"back face", {45, 12}, {0, 1}, {-1, 0}}};
  PreviewOptions options;
  for (const auto& c : cases) options.inserts.push_back({c.reference, c.u, c.v, 3.0, 0.4, 4.0});
  const std::string path = (TestDir() / "inserts.png").string();
  RenderPreview(TheDrawing(), path, options);
  const PreviewLayout layout = LayoutPreview(TheDrawing(), options);
  EXPECT_EQ(layout.legend.back(), "insert");
  const Picture picture(path);
  ASSERT_TRUE(picture.Ok());
  const auto orange = [](uint32_t c) {
    const int r = (c >> 16) & 0xff, g = (c >> 8) & 0xff, b = c & 0xff;
    return r > 200 && r - b > 120 && g > 90 && g < 185;
  };
  for (const auto& c : cases) {
    const auto at = [&](double du, double dv) {
      return layout.transform.ToPicture(
          {c.reference.x + du * c.u.x + dv * c.v.x, c.reference.y + du * c.u.y + dv * c.v.y});
    };
    EXPECT_TRUE(picture.Near(at(1.1, -0.4), orange)) << c.kind << ": the cutting edge";
    EXPECT_TRUE(picture.Near(at(-0.4, 2.0), orange)) << c.kind << ": the low flank";
    EXPECT_TRUE(picture.Near(at(2.6, 2.0), orange)) << c.kind << ": the high flank";
    EXPECT_FALSE(picture.Near(at(1.1, -1.4), orange)) << c.kind << ": beyond the edge";
  }
  const auto pixel = [&](double x, double y) {
    const Point2 q = layout.transform.ToPicture({x, y});
    return picture.At(static_cast<int>(q.x), static_cast<int>(q.y));
  };
  const uint32_t remaining = pixel(30.0, 8.0);  // tinted grey
  const int r = (remaining >> 16) & 0xff, g = (remaining >> 8) & 0xff, b = remaining & 0xff;
  EXPECT_TRUE(r > 60 && std::abs(r - g) < 20 && std::abs(g - b) < 30) << std::hex << remaining;
  EXPECT_TRUE(picture.Near(layout.transform.ToPicture({30.0, 0.0}),
                           [](uint32_t c) { return (c & 0xff) > ((c >> 16) & 0xff) + 60; }))
      << "the stock before the cut, outlined blue";
  int green = 0;
  for (double x = 21.0; x < 29.0; x += 0.05) green += Greenish(pixel(x, 17.5));
  EXPECT_GT(green, 0) << "the removed material";
}

// The drawing fills the area with a margin on the limiting side, centred on the other; the
// legend names what is drawn in the order of stacking.
TEST_F(GroovePreview, LayoutAndLegend) {
  const PreviewScene scene = CollectPreviewScene(TheDrawing());
  for (const auto& [width, height] : {std::pair{600, 0}, {2000, 300}}) {
    PreviewOptions options;
    options.width = width;
    options.height = height;
    const PreviewLayout l = LayoutPreview(TheDrawing(), options);
    const Point2 lo = l.transform.ToPicture(scene.lo), hi = l.transform.ToPicture(scene.hi);
    EXPECT_EQ(l.areaHeight, height != 0 ? height : l.areaHeight);
    EXPECT_NEAR(lo.x + hi.x, width, 1e-6);
    EXPECT_NEAR(lo.y + hi.y, l.areaHeight, 1e-6);
    const double margin = std::max(0.06 * width, std::min(24.0, width / 8.0));
    EXPECT_TRUE(std::fabs(lo.x - margin) < 1e-6 || std::fabs(hi.y - margin) < 1e-6) << width;
  }
  const std::vector<std::string> builtIn = {"Blank", "stock before the cut", "removed material",
                                            "finished profile", "tool path (yellow)", "tool path (red)"};
  const struct {
    std::vector<PreviewLabel> labels;
    bool legend;
    std::vector<std::string> texts;
  } cases[] = {
      {{}, true, builtIn},
      {{{"", 65535, "positioning"}, {"Trajectory", 255, "cutting"}, {"Blank", -1, "stock"}}, true,
       {"stock", "stock before the cut", "removed material", "finished profile", "positioning", "cutting"}},
      {{}, false, {}},
  };
  for (const auto& c : cases) {
    PreviewOptions options;
    options.labels = c.labels;
    options.legend = c.legend;
    EXPECT_EQ(LayoutPreview(TheDrawing(), options).legend, c.texts);
  }
}

// Each format written whole with its page size; SVG and PDF at a standard scale that puts the
// part 40 to 400 mm across the page.
TEST_F(GroovePreview, FormatsAndPaperScales) {
  const struct {
    const char* name, *signature, *trailer, *size;
  } formats[] = {{"groove.svg", "<svg", "</svg>", "width=\"148.166667mm\""},
                 {"groove.pdf", "%PDF", "%%EOF", "/MediaBox [ 0 0 420 "},
                 {"GROOVE.PNG", "\x89PNG", "IEND", "IHDR"}};
  for (const auto& c : formats) {
    const fs::path path = TestDir() / c.name;
    RenderPreview(TheDrawing(), path.string(), {});
    std::ifstream in(path, std::ios::binary);
    const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_LT(data.find(c.signature), 100u) << c.name;
    EXPECT_NE(data.find(c.trailer, data.size() - 20), std::string::npos) << c.name;
    EXPECT_NE(data.find(c.size), std::string::npos) << c.name;
    EXPECT_FALSE(fs::exists(path.string() + ".tmp"));
  }
  const std::pair<double, const char*> scales[] = {{10, "5:1"}, {30, "2:1"}, {40, "1:1"},
                                                   {400, "1:1"}, {401, "1:2"}, {2500, "1:10"}};
  for (const auto& [across, scale] : scales) {
    PreviewOptions options;
    options.paperScale = true;
    options.view = {{0.0, 0.0}, {across, 10.0}};
    const PreviewLayout layout = LayoutPreview(TheDrawing(), options);
    EXPECT_EQ(layout.paperScale, scale) << across;
    const double ratio = std::string(scale).ends_with(":1") ? std::stod(scale) : 1.0 / std::stod(scale + 2);
    EXPECT_NEAR(layout.transform.scale, 72.0 / 25.4 * ratio, 1e-9) << across;
  }
}

// Failures name the file, leave no file behind and an older file of that name as it was.
TEST_F(GroovePreview, FailuresWriteNothing) {
  const fs::path dir = TestDir();
  auto emptyHost = BuildMemoryHost();
  auto pointHost = BuildMemoryHost();
  AddContourPolyline(*pointHost.Drawing()->TopGraphics(), MakeContour({MakeLine(3, 4, 3, 4)}), "dot");
  const auto size = [](int w, int h) {
    PreviewOptions o;
    o.width = w;
    o.height = h;
    return o;
  };
  const std::string p = (dir / "p").string(), old = (dir / "old.png").string();
  const struct {
    Drawing* drawing;
    std::string path;
    PreviewOptions options;
    std::string message;
  } cases[] = {
      {&TheDrawing(), p + ".bmp", {}, p + ".bmp: unknown preview type \".bmp\"; use .png, .svg or .pdf"},
      {&TheDrawing(), p, {}, p + ": no preview type; use .png, .svg or .pdf"},
      {&TheDrawing(), (dir / "no" / "p.png").string(), {}, (dir / "no" / "p.png").string() + ": cannot be written"},
      {emptyHost.Drawing().get(), old, {}, old + ": the drawing holds nothing to draw"},
      {pointHost.Drawing().get(), old, {}, old + ": the drawing's graphics lie in a single point"},
      {&TheDrawing(), old, size(15, 0), old + ": the preview size must lie between 16 and 10000"},
      {&TheDrawing(), old, size(10001, 0), old + ": the preview size must lie between 16 and 10000"},
      {&TheDrawing(), old, size(800, -1), old + ": the preview size must lie between 16 and 10000"},
  };
  for (const auto& c : cases) {
    std::ofstream(old) << "old";
    try {
      RenderPreview(*c.drawing, c.path, c.options);
      ADD_FAILURE() << c.message;
    } catch (const PreviewError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
    EXPECT_EQ(fs::file_size(old), 3u) << c.message;
    EXPECT_FALSE(fs::exists(c.path + ".tmp"));
    EXPECT_FALSE(fs::exists(p + ".bmp"));
    EXPECT_FALSE(fs::exists(p));
  }
  EXPECT_FALSE(RenderPreviewData(TheDrawing(), PreviewFormat::Png, size(16, 16)).empty());
  EXPECT_EQ(LayoutPreview(TheDrawing(), size(10000, 10000)).width, 10000);
}

TEST(Preview, ScaleBarFormatAndUnit) {
  const std::pair<double, double> bars[] = {
      {4.0, 1.0},   {3.999, 0.5},    {8.0, 2.0},  {7.999, 1.0}, {20.0, 5.0},    {19.999, 2.0},
      {0.4, 0.1},   {0.399, 0.05},   {59.1, 10.0}, {2e6, 5e5},  {0.0004, 1e-4}, {0.02, 0.005}};
  for (const auto& [width, length] : bars) EXPECT_DOUBLE_EQ(ScaleBarLength(width), length) << width;
  for (const double bad : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    EXPECT_THROW(ScaleBarLength(bad), PreviewError) << bad;
  }
  const std::pair<const char*, PreviewFormat> formats[] = {
      {"dir.svg/A.PNG", PreviewFormat::Png}, {"c.Pdf", PreviewFormat::Pdf}, {"x.pdf.svg", PreviewFormat::Svg}};
  for (const auto& [path, format] : formats) EXPECT_EQ(PreviewFormatFor(path), format) << path;
  for (const char* bad : {"a.jpg", "a.png.bak", "png", "dir.png/", ".png"}) {
    EXPECT_THROW(PreviewFormatFor(bad), PreviewError) << bad;
  }
  // A drawing of one straight line in inches: no height, the width alone sets the scale.
  auto memory = BuildMemoryHost();
  memory.Drawing()->SetProperty("LinearUnitName", Variant("in"));
  AddContourPolyline(*memory.Drawing()->TopGraphics(), MakeContour({MakeLine(0, 1, 3, 1)}), "edge");
  const PreviewLayout l = LayoutPreview(*memory.Drawing(), {});
  EXPECT_EQ(l.unit, "in");
  EXPECT_EQ(l.scaleBarLength, 0.5);
}

}  // namespace
}  // namespace sulkor::host
