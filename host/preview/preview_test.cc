// Pictures of a drawing checked by their pixels: a groove run through the public Groove interface,
// rendered to PNG and read back with cairo. Where the tool path runs its move colours show, the
// removed material is hatched green, the rest of the drawing area is background, and the footer
// holds a scale bar of the announced length.
#include "host/preview/preview.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "contour/segment_build.h"
#include "host/memory/memory_host.h"
#include "host/memory/scene.h"
#include "host/preview/preview_scene.h"
#include "sulkor/groove.h"

namespace sulkor {
namespace {

namespace fs = std::filesystem;
using host::Point2;

constexpr uint32_t kBackground = 0x22262a;  // PreviewOptions' default background as 0xRRGGBB

uint32_t ToRgb(int32_t drawingColor) {
  const auto c = static_cast<uint32_t>(drawingColor);
  return ((c & 0xffu) << 16) | (c & 0xff00u) | ((c >> 16) & 0xffu);
}

class Picture {
 public:
  explicit Picture(const std::string& path)
      : surface_(cairo_image_surface_create_from_png(path.c_str()), cairo_surface_destroy) {}
  bool Ok() const { return cairo_surface_status(surface_.get()) == CAIRO_STATUS_SUCCESS; }
  int Width() const { return cairo_image_surface_get_width(surface_.get()); }
  int Height() const { return cairo_image_surface_get_height(surface_.get()); }
  // 0xRRGGBB of a pixel.
  uint32_t At(int x, int y) const {
    const unsigned char* row = cairo_image_surface_get_data(surface_.get()) +
                               static_cast<std::ptrdiff_t>(y) *
                                   cairo_image_surface_get_stride(surface_.get());
    uint32_t pixel;
    std::memcpy(&pixel, row + 4 * x, sizeof pixel);
    return pixel & 0xffffffu;
  }
  // Whether the colour is at a pixel within one pixel of the point.
  bool Near(Point2 p, uint32_t color) const {
    return NearMatch(p, [color](uint32_t c) { return c == color; });
  }
  template <class Match>
  bool NearMatch(Point2 p, Match match) const {
    const int x0 = static_cast<int>(std::floor(p.x));
    const int y0 = static_cast<int>(std::floor(p.y));
    for (int y = y0 - 1; y <= y0 + 1; ++y) {
      for (int x = x0 - 1; x <= x0 + 1; ++x) {
        if (x >= 0 && y >= 0 && x < Width() && y < Height() && match(At(x, y))) return true;
      }
    }
    return false;
  }

 private:
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface_;
};

bool Greenish(uint32_t c) {
  const int r = (c >> 16) & 0xff, g = (c >> 8) & 0xff, b = c & 0xff;
  return g > r + 80 && g > b + 80;
}

double SegmentDistance(Point2 p, Point2 a, Point2 b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

// Points of a shape in picture coordinates, every arc in steps of 2 degrees.
std::vector<Point2> PicturePoints(const host::PreviewShape& s, const host::PreviewTransform& t) {
  std::vector<Point2> out;
  for (const Point2& p : host::ShapePoints(s, 2.0 * 3.14159265358979 / 180.0)) {
    out.push_back(t.ToPicture(p));
  }
  if (s.closed) out.push_back(out.front());
  return out;
}

double DistanceToOutline(Point2 p, const std::vector<Point2>& outline) {
  double d = std::numeric_limits<double>::infinity();
  for (size_t i = 1; i < outline.size(); ++i) {
    d = std::min(d, SegmentDistance(p, outline[i - 1], outline[i]));
  }
  return d;
}

bool Inside(Point2 p, const std::vector<Point2>& closed) {
  bool in = false;
  for (size_t i = 1; i < closed.size(); ++i) {
    const Point2 a = closed[i - 1], b = closed[i];
    if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y)) {
      in = !in;
    }
  }
  return in;
}

// Points along an outline every `step` picture units.
std::vector<Point2> Along(const std::vector<Point2>& outline, double step) {
  std::vector<Point2> out;
  for (size_t i = 1; i < outline.size(); ++i) {
    const Point2 a = outline[i - 1], b = outline[i];
    const int n = std::max(1, static_cast<int>(std::hypot(b.x - a.x, b.y - a.y) / step));
    for (int k = 0; k < n; ++k) out.push_back({a.x + (b.x - a.x) * k / n, a.y + (b.y - a.y) * k / n});
  }
  return out;
}

Contour RoundedGroove(double x0) {
  return MakeContour({MakeLine(x0, 25, x0, 20), MakeLine(x0, 20, x0, 17),
                      MakeArc(x0, 17, x0 + 2, 15, x0 + 2, 17, 1), MakeLine(x0 + 2, 15, x0 + 8, 15),
                      MakeArc(x0 + 8, 15, x0 + 10, 17, x0 + 8, 17, 1),
                      MakeLine(x0 + 10, 17, x0 + 10, 25)});
}

fs::path TestDir() {
  const fs::path dir = fs::temp_directory_path() / ("sulkor_preview_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A 10 wide, 5 deep groove with rounded corners in a bar of radius 20 and length 50, grooved.
class GroovePreview : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scene_ = new host::GrooveScene(host::BuildGrooveScene(
        MakePolygon({0, 0, 50, 0, 50, 20, 0, 20}), RoundedGroove(20), host::SceneTool{}));
    Groove groove(scene_->host.environment);
    ASSERT_TRUE(groove.DoGroove(Handle<BlockSet>(scene_->blockSet)));
    ASSERT_TRUE(scene_->host.messages->Messages().empty());
  }
  static void TearDownTestSuite() {
    delete scene_;
    scene_ = nullptr;
    fs::remove_all(TestDir());
  }
  static Drawing& TheDrawing() { return *scene_->host.Drawing(); }

  static host::GrooveScene* scene_;
};

host::GrooveScene* GroovePreview::scene_ = nullptr;

TEST_F(GroovePreview, PngShowsThePathTheHatchTheBackgroundAndTheScaleBar) {
  const std::string path = (TestDir() / "groove.png").string();
  const host::PreviewOptions options;
  host::RenderPreview(TheDrawing(), path, options);
  const host::PreviewLayout layout = host::LayoutPreview(TheDrawing(), options);
  const Picture picture(path);
  ASSERT_TRUE(picture.Ok());
  ASSERT_EQ(picture.Width(), layout.width);
  ASSERT_EQ(picture.Height(), layout.height);
  EXPECT_EQ(layout.width, 1200);
  EXPECT_GT(layout.height, layout.areaHeight);
  EXPECT_EQ(layout.unit, "mm");
  const host::PreviewTransform& t = layout.transform;

  const host::PreviewScene scene = host::CollectPreviewScene(TheDrawing());
  std::vector<std::vector<Point2>> moves;
  std::vector<uint32_t> moveColors;
  std::vector<Point2> removed;
  std::vector<std::vector<Point2>> outlines;  // every shape that is not a move
  std::vector<std::vector<Point2>> closed;
  for (const host::PreviewShape& s : scene.shapes) {
    std::vector<Point2> points = PicturePoints(s, t);
    if (s.role == "Trajectory") {
      moves.push_back(points);
      moveColors.push_back(ToRgb(s.penColor.value()));
      continue;
    }
    if (s.role == "RemovedMaterial") removed = points;
    if (s.closed) closed.push_back(points);
    outlines.push_back(std::move(points));
  }
  ASSERT_GT(moves.size(), 10u);
  ASSERT_FALSE(removed.empty());

  // The move colours where the path runs: every point of a move that no later move covers
  // (a move's casing reaches 3 units from its middle) shows the move's colour.
  int checked[2] = {0, 0};
  int misses = 0;
  std::string firstMiss;
  for (size_t m = 0; m < moves.size(); ++m) {
    for (const Point2& p : Along(moves[m], 3.0)) {
      bool covered = false;
      for (size_t later = m + 1; later < moves.size() && !covered; ++later) {
        covered = DistanceToOutline(p, moves[later]) < 5.0;
      }
      if (covered) continue;
      if (!picture.Near(p, moveColors[m])) {
        if (misses++ == 0) firstMiss = "move " + std::to_string(m) + " at " +
                                       std::to_string(p.x) + ", " + std::to_string(p.y);
        continue;
      }
      ++checked[moveColors[m] == ToRgb(65535) ? 0 : 1];
    }
  }
  EXPECT_EQ(misses, 0) << "first: " << firstMiss;
  EXPECT_GT(checked[0], 50);  // yellow positioning moves
  EXPECT_GT(checked[1], 50);  // red cutting moves

  // Inside the removed material, away from its outline and the moves: the hatch's green on a
  // tint, never the bare background.
  int inside = 0;
  int green = 0;
  for (int y = 0; y < layout.areaHeight; y += 1) {
    for (int x = 0; x < layout.width; x += 1) {
      const Point2 p{x + 0.5, y + 0.5};
      if (!Inside(p, removed) || DistanceToOutline(p, removed) < 3.0) continue;
      const bool nearMove = std::any_of(moves.begin(), moves.end(), [&](const auto& move) {
        return DistanceToOutline(p, move) < 5.0;
      });
      if (nearMove) continue;
      ++inside;
      green += Greenish(picture.At(x, y));
      EXPECT_NE(picture.At(x, y), kBackground) << x << ", " << y;
    }
  }
  EXPECT_GT(inside, 1000);
  EXPECT_GT(green, inside / 20) << green << " green of " << inside;

  // Outside every closed shape and away from every line and from the centre line: background.
  const double axisRow = t.ToPicture({0.0, 0.0}).y;
  int outside = 0;
  for (int y = 0; y < layout.areaHeight; y += 3) {
    for (int x = 0; x < layout.width; x += 3) {
      const Point2 p{x + 0.5, y + 0.5};
      if (std::fabs(p.y - axisRow) < 3.0) continue;
      if (std::any_of(closed.begin(), closed.end(), [&](const auto& c) { return Inside(p, c); })) {
        continue;
      }
      auto near = [&](const auto& shape) { return DistanceToOutline(p, shape) < 5.0; };
      if (std::any_of(moves.begin(), moves.end(), near) ||
          std::any_of(outlines.begin(), outlines.end(), near)) {
        continue;
      }
      ++outside;
      ASSERT_EQ(picture.At(x, y), kBackground) << x << ", " << y;
    }
  }
  EXPECT_GT(outside, 10000);

  // The scale bar: 10 mm under a picture about 59 mm wide, a bar of that many pixels at the left
  // of the footer's first row, background just after it.
  EXPECT_EQ(layout.scaleBarLength, 10.0);
  const int row = layout.areaHeight + 20;
  const double barEnd = 10.0 + 10.0 * t.scale;
  const uint32_t bar = picture.At(12, row);
  EXPECT_NE(bar, kBackground);
  for (int x = 11; x < static_cast<int>(barEnd) - 1; ++x) {
    ASSERT_EQ(picture.At(x, row), bar) << x;
  }
  EXPECT_EQ(picture.At(static_cast<int>(barEnd) + 4, row), kBackground);
  EXPECT_EQ(picture.At(5, row), kBackground);
}

// The drawing's box fills the area with a margin on the limiting side, centred on the other.
TEST_F(GroovePreview, LayoutFitsTheDrawingWithAMargin) {
  const struct {
    int width;
    int height;
  } cases[] = {{1200, 0}, {600, 0}, {800, 800}, {2000, 300}};
  const host::PreviewScene scene = host::CollectPreviewScene(TheDrawing());
  for (const auto& c : cases) {
    host::PreviewOptions options;
    options.width = c.width;
    options.height = c.height;
    const host::PreviewLayout l = host::LayoutPreview(TheDrawing(), options);
    const Point2 lo = l.transform.ToPicture(scene.lo);  // bottom left
    const Point2 hi = l.transform.ToPicture(scene.hi);  // top right
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    if (c.height != 0) {
      EXPECT_EQ(l.areaHeight, c.height);
    }
    EXPECT_GT(lo.x, 0.04 * c.width);
    EXPECT_LT(hi.x, 0.96 * c.width);
    EXPECT_GT(hi.y, 0.0);
    EXPECT_LT(lo.y, l.areaHeight);
    EXPECT_NEAR(lo.x + hi.x, c.width, 1e-6);  // centred
    EXPECT_NEAR(lo.y + hi.y, l.areaHeight, 1e-6);
    // One side is at the margin: the drawing is as large as the area lets it be.
    const double margin = std::max(0.06 * c.width, std::min(24.0, c.width / 8.0));
    EXPECT_TRUE(std::fabs(lo.x - margin) < 1e-6 || std::fabs(hi.y - margin) < 1e-6);
    const Point2 back = l.transform.ToDrawing(l.transform.ToPicture({12.5, -3.25}));
    EXPECT_NEAR(back.x, 12.5, 1e-9);
    EXPECT_NEAR(back.y, -3.25, 1e-9);
    EXPECT_EQ(l.scaleBarLength, host::ScaleBarLength(c.width / l.transform.scale));
  }
}

TEST_F(GroovePreview, LegendNamesWhatIsDrawnInTheOrderOfStacking) {
  const struct {
    std::vector<host::PreviewLabel> labels;
    bool legend;
    std::vector<std::string> texts;
  } cases[] = {
      {{},
       true,
       {"Blank", "stock before the cut", "removed material", "finished profile",
        "tool path (yellow)", "tool path (red)"}},
      {{{"", 65535, "positioning"}, {"Trajectory", 255, "cutting"}, {"Blank", -1, "stock"}},
       true,
       {"stock", "stock before the cut", "removed material", "finished profile", "positioning",
        "cutting"}},
      {{{"", 65535, "positioning"}},
       true,
       {"Blank", "stock before the cut", "removed material", "finished profile", "positioning",
        "tool path (red)"}},
      {{}, false, {}},
  };
  for (const auto& c : cases) {
    host::PreviewOptions options;
    options.labels = c.labels;
    options.legend = c.legend;
    EXPECT_EQ(host::LayoutPreview(TheDrawing(), options).legend, c.texts);
  }
}

TEST_F(GroovePreview, EachFormatIsWrittenWhole) {
  const struct {
    const char* name;
    const char* signature;
    const char* trailer;  // within the last 20 bytes
    const char* size;     // the page size as the format states it
  } cases[] = {// 1:1 on paper: 50 mm across, on a page of the footer's least width, 420 points.
               {"groove.svg", "<svg", "</svg>", "width=\"148.166667mm\""},
               {"groove.pdf", "%PDF", "%%EOF", "/MediaBox [ 0 0 420 "},
               {"GROOVE.PNG", "\x89PNG", "IEND", "IHDR"}};
  for (const auto& c : cases) {
    const fs::path path = TestDir() / c.name;
    host::RenderPreview(TheDrawing(), path.string(), {});
    const std::string data = ReadFile(path);
    SCOPED_TRACE(c.name);
    EXPECT_GT(data.size(), 1000u);
    const size_t at = data.find(c.signature);
    EXPECT_NE(at, std::string::npos);
    EXPECT_LT(at, 100u);
    EXPECT_NE(data.find(c.trailer, data.size() - 20), std::string::npos);
    EXPECT_NE(data.find(c.size), std::string::npos);
    EXPECT_FALSE(fs::exists(path.string() + ".tmp"));
  }
}

// SVG and PDF at a standard scale that puts the part 40 to 400 mm across the page.
TEST_F(GroovePreview, PaperScaleIsStandardAndStated) {
  const struct {
    double across;  // drawing units shown
    const char* scale;
  } cases[] = {{10, "5:1"}, {30, "2:1"}, {40, "1:1"}, {400, "1:1"}, {401, "1:2"},
               {2500, "1:10"}};
  for (const auto& c : cases) {
    host::PreviewOptions options;
    options.paperScale = true;
    options.view = {{0.0, 0.0}, {c.across, 10.0}};
    const host::PreviewLayout layout = host::LayoutPreview(TheDrawing(), options);
    EXPECT_EQ(layout.paperScale, c.scale) << c.across;
    const double ratio = std::string(c.scale).ends_with(":1") ? std::stod(c.scale)
                                                               : 1.0 / std::stod(c.scale + 2);
    EXPECT_NEAR(layout.transform.scale, 72.0 / 25.4 * ratio, 1e-9) << c.across;
  }
}

// The insert where the caller puts it, turned for each kind of work: its cutting edge r beyond
// the reference against v, in orange, and nothing of it beyond the edge; the stock in its
// colours around them.
TEST_F(GroovePreview, InsertsAreDrawnWhereAndHowTheToolStands) {
  struct Case {
    const char* kind;
    Point2 reference, u, v;
  } cases[] = {
      {"outside diameter", {5, 10}, {1, 0}, {0, 1}},
      {"bore", {12, 10}, {1, 0}, {0, -1}},
      {"front face", {40, 3}, {0, 1}, {1, 0}},
      {"back face", {45, 12}, {0, 1}, {-1, 0}},
  };
  host::PreviewOptions options;
  for (const Case& c : cases) options.inserts.push_back({c.reference, c.u, c.v, 3.0, 0.4, 4.0});
  const std::string path = (TestDir() / "inserts.png").string();
  host::RenderPreview(TheDrawing(), path, options);
  const host::PreviewLayout layout = host::LayoutPreview(TheDrawing(), options);
  EXPECT_EQ(layout.legend.back(), "insert");
  const Picture picture(path);
  ASSERT_TRUE(picture.Ok());
  const auto orange = [](uint32_t c) {
    const int r = (c >> 16) & 0xff, g = (c >> 8) & 0xff, b = c & 0xff;
    return r > 200 && r - b > 120 && g > 90 && g < 185;
  };
  for (const Case& c : cases) {
    const auto at = [&](double du, double dv) {
      return layout.transform.ToPicture({c.reference.x + du * c.u.x + dv * c.v.x,
                                         c.reference.y + du * c.u.y + dv * c.v.y});
    };
    EXPECT_TRUE(picture.NearMatch(at(1.1, -0.4), orange)) << c.kind << ": the cutting edge";
    EXPECT_TRUE(picture.NearMatch(at(-0.4, 2.0), orange)) << c.kind << ": the low flank";
    EXPECT_TRUE(picture.NearMatch(at(2.6, 2.0), orange)) << c.kind << ": the high flank";
    EXPECT_FALSE(picture.NearMatch(at(1.1, -1.4), orange)) << c.kind << ": beyond the edge";
  }
  // The stock: what remains tinted grey, the stock before the cut outlined blue, the removed
  // material hatched green.
  const auto pixel = [&](double x, double y) {
    const Point2 q = layout.transform.ToPicture({x, y});
    return picture.At(static_cast<int>(q.x), static_cast<int>(q.y));
  };
  const uint32_t remaining = pixel(30.0, 8.0);
  const int r = (remaining >> 16) & 0xff, g = (remaining >> 8) & 0xff, b = remaining & 0xff;
  EXPECT_NE(remaining, kBackground);
  EXPECT_TRUE(r > 60 && std::abs(r - g) < 20 && std::abs(g - b) < 30) << std::hex << remaining;
  EXPECT_TRUE(picture.NearMatch(layout.transform.ToPicture({30.0, 0.0}), [](uint32_t c) {
    return (c & 0xff) > ((c >> 16) & 0xff) + 60;
  })) << "the stock before the cut";
  int green = 0;
  for (double x = 21.0; x < 29.0; x += 0.05) green += Greenish(pixel(x, 17.5));
  EXPECT_GT(green, 0) << "the removed material";
}

// Failures leave no file behind, and an older file of that name as it was.
TEST_F(GroovePreview, FailuresNameTheFileAndWriteNothing) {
  const fs::path dir = TestDir();
  const std::string unwritable = (dir / "missing" / "p.png").string();
  auto emptyHost = host::BuildMemoryHost();
  Drawing& empty = *emptyHost.Drawing();
  auto pointHost = host::BuildMemoryHost();
  Drawing& point = *pointHost.Drawing();
  host::AddContourPolyline(*point.TopGraphics(), MakeContour({MakeLine(3, 4, 3, 4)}), "dot");

  const struct {
    Drawing* drawing;
    std::string path;
    std::string message;
  } cases[] = {
      {&TheDrawing(), (dir / "p.bmp").string(),
       (dir / "p.bmp").string() + ": unknown preview type \".bmp\"; use .png, .svg or .pdf"},
      {&TheDrawing(), (dir / "p").string(),
       (dir / "p").string() + ": no preview type; use .png, .svg or .pdf"},
      {&TheDrawing(), unwritable, unwritable + ": cannot be written"},
      {&empty, (dir / "old.png").string(),
       (dir / "old.png").string() + ": the drawing holds nothing to draw"},
      {&point, (dir / "old.svg").string(),
       (dir / "old.svg").string() + ": the drawing's graphics lie in a single point"},
  };
  for (const auto& c : cases) {
    std::ofstream(dir / "old.png") << "old";
    std::ofstream(dir / "old.svg") << "old";
    SCOPED_TRACE(c.path);
    try {
      host::RenderPreview(*c.drawing, c.path, {});
      ADD_FAILURE() << "no error";
    } catch (const host::PreviewError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
    EXPECT_FALSE(fs::exists(c.path + ".tmp"));
    EXPECT_EQ(ReadFile(dir / "old.png"), "old");
    EXPECT_EQ(ReadFile(dir / "old.svg"), "old");
    EXPECT_FALSE(fs::exists(dir / "p.bmp"));
    EXPECT_FALSE(fs::exists(dir / "p"));
  }
}

TEST_F(GroovePreview, SizesFrom16To10000) {
  const struct {
    int width;
    int height;
    bool ok;
  } cases[] = {{16, 16, true},       {10000, 0, true},  {10000, 10000, true}, {15, 0, false},
               {10001, 0, false},    {800, 15, false},  {800, 10001, false},  {800, -1, false}};
  for (const auto& c : cases) {
    host::PreviewOptions options;
    options.width = c.width;
    options.height = c.height;
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    if (c.ok) {
      const host::PreviewLayout l = host::LayoutPreview(TheDrawing(), options);
      EXPECT_EQ(l.width, c.width);
      EXPECT_LE(l.areaHeight, 10000);
      continue;
    }
    try {
      host::LayoutPreview(TheDrawing(), options);
      ADD_FAILURE() << "no error";
    } catch (const host::PreviewError& e) {
      EXPECT_STREQ(e.what(), "the preview size must lie between 16 and 10000");
    }
  }
  host::PreviewOptions smallest;
  smallest.width = 16;
  smallest.height = 16;
  EXPECT_FALSE(host::RenderPreviewData(TheDrawing(), host::PreviewFormat::Png, smallest).empty());
}

TEST(ScaleBarLength, RoundLengthAtMostAQuarterOfTheWidth) {
  const struct {
    double width;
    double length;
  } cases[] = {
      {4.0, 1.0},      {3.999, 0.5},   {8.0, 2.0},     {7.999, 1.0},  {20.0, 5.0},
      {19.999, 2.0},   {40.0, 10.0},   {39.999, 5.0},  {0.4, 0.1},    {0.399, 0.05},
      {59.1, 10.0},    {1200.0, 200.0}, {2e6, 5e5},     {0.0004, 1e-4}, {0.02, 0.005},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(host::ScaleBarLength(c.width), c.length) << c.width;
  }
  for (const double bad : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
    try {
      host::ScaleBarLength(bad);
      ADD_FAILURE() << bad;
    } catch (const host::PreviewError& e) {
      EXPECT_STREQ(e.what(), "the scale bar needs a positive drawing width");
    }
  }
}

TEST(PreviewFormatFor, TheExtensionInAnyCase) {
  const struct {
    const char* path;
    host::PreviewFormat format;
  } cases[] = {{"a.png", host::PreviewFormat::Png},  {"dir.svg/A.PNG", host::PreviewFormat::Png},
               {"b.svg", host::PreviewFormat::Svg},  {"c.Pdf", host::PreviewFormat::Pdf},
               {"x.pdf.svg", host::PreviewFormat::Svg}};
  for (const auto& c : cases) EXPECT_EQ(host::PreviewFormatFor(c.path), c.format) << c.path;
  for (const char* bad : {"a.jpg", "a.png.bak", "png", "dir.png/", ".png"}) {
    EXPECT_THROW(host::PreviewFormatFor(bad), host::PreviewError) << bad;
  }
}

// A drawing of one straight line has no height: the width alone sets the scale, and the line
// shows in its colour; a drawing in inches names its unit.
TEST(Preview, FlatDrawingInInches) {
  auto memory = host::BuildMemoryHost();
  Drawing& drawing = *memory.Drawing();
  drawing.SetProperty("LinearUnitName", Variant("in"));
  Handle<Graphic> line = host::AddContourPolyline(*drawing.TopGraphics(),
                                                  MakeContour({MakeLine(0, 1, 3, 1)}), "edge");
  line->SetProperty("PenColor", Variant(int32_t{0x00ff00}));
  const std::string data = host::RenderPreviewData(drawing, host::PreviewFormat::Png, {});
  const fs::path path = fs::temp_directory_path() / ("sulkor_flat_" + std::to_string(::getpid()) + ".png");
  std::ofstream(path, std::ios::binary) << data;
  const host::PreviewLayout l = host::LayoutPreview(drawing, {});
  EXPECT_EQ(l.unit, "in");
  EXPECT_EQ(l.scaleBarLength, 0.5);  // a picture 3.4 in wide
  const Picture picture(path.string());
  ASSERT_TRUE(picture.Ok());
  for (const double x : {0.2, 1.5, 2.8}) {
    // An outline 1.5 wide covers no pixel row whole: its pixels are green, not exactly.
    EXPECT_TRUE(picture.NearMatch(l.transform.ToPicture({x, 1.0}), Greenish)) << x;
  }
  EXPECT_EQ(picture.At(static_cast<int>(l.transform.ToPicture({1.5, 1.0}).x),
                       static_cast<int>(l.transform.ToPicture({1.5, 1.0}).y) - 20),
            kBackground);
  fs::remove(path);
}

}  // namespace
}  // namespace sulkor
