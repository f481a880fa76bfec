// Every kind of groove (drawn here, and the example drawings read as the command line reads
// them), in millimetres and in inch, with and without the offset finishing pass, is run through
// the whole operation, posted for LinuxCNC and read by LinuxCNC's own G-code interpreter (rs274,
// batch mode, a lathe INI written here): the canonical moves it reports must be the tool path,
// point by point.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "contour/segment_build.h"
#include "operation/operation_state.h"
#include "host/dxf/dxf_file.h"
#include "host/memory/memory_graphic_set.h"
#include "host/dxf/part_from_drawing.h"
#include "host/memory/scene.h"
#include "post/nc_post.h"
#include "sulkor/groove.h"
#include "toolpath/groove_path.h"
#include "testing/test_path_scenes.h"
#include "groove/groove_state.h"

namespace sulkor {
namespace {

namespace fs = std::filesystem;
using path_scenes::AllFrames;
using path_scenes::PathFrame;

constexpr double kTolerance = 1e-4;  // drawing units

// ---- The interpreter ----------------------------------------------------------------------

std::optional<fs::path> FindRs274() {
  std::vector<fs::path> dirs;
  if (const char* path = std::getenv("PATH")) {
    std::stringstream in(path);
    for (std::string dir; std::getline(in, dir, ':');) {
      if (!dir.empty()) dirs.emplace_back(dir);
    }
  }
  dirs.emplace_back("/usr/bin");
  for (const fs::path& dir : dirs) {
    std::error_code ec;
    const fs::path candidate = dir / "rs274";
    if (fs::is_regular_file(candidate, ec)) return candidate;
  }
  return std::nullopt;
}

// A directory of its own for one run, removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "sulkor_rs274_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct Rs274Run {
  int status = -1;
  std::string canon;   // the canonical commands
  std::string errors;  // what it wrote on standard error
};

// Runs the program through rs274 in batch mode (-g) with a lathe INI (-i) and a tool table (-t)
// holding the tool with no offsets, in a directory of its own; the canonical commands go to a
// file.
Rs274Run RunRs274(const fs::path& rs274, const std::string& program,
                  const std::vector<int32_t>& tools, NcUnits units) {
  TempDir dir;
  WriteFile(dir.Path() / "lathe.ini",
            std::string("[RS274NGC]\n"
                        "PARAMETER_FILE = sulkor.var\n"
                        "RS274NGC_STARTUP_CODE = G18 G8 G90 G94\n"
                        "[TRAJ]\n"
                        "COORDINATES = X Z\n"
                        "LINEAR_UNITS = ") +
                (units == NcUnits::Inch ? "inch" : "mm") +
                "\n"
                "ANGULAR_UNITS = degree\n"
                "[DISPLAY]\n"
                "LATHE = 1\n");
  std::string table;
  for (const int32_t tool : tools) {
    table += "T" + std::to_string(tool) + " P" + std::to_string(tool) + " X0 Z0 D0 Q8 ;grooving tool\n";
  }
  WriteFile(dir.Path() / "tool.tbl", table);
  WriteFile(dir.Path() / "program.ngc", program);
  // The interpreter shares its tool table through a file $HOME/.tool.mmap: a home of the run's
  // own keeps runs in parallel (ctest -j) from reading each other's tools.
  const std::string quoted = "'" + dir.Path().string() + "'";
  const std::string command = "cd " + quoted + " && HOME=" + quoted + " '" + rs274.string() +
                              "' -g -i lathe.ini -t tool.tbl program.ngc canon.txt"
                              " </dev/null >stdout.txt 2>stderr.txt";
  const int raw = std::system(command.c_str());
  Rs274Run run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.canon = ReadFile(dir.Path() / "canon.txt");
  run.errors = ReadFile(dir.Path() / "stderr.txt");
  return run;
}

// One canonical command: its name and its numeric arguments (words such as CANON_UNITS_MM are
// kept in `word`).
struct Canon {
  std::string name;
  std::vector<double> args;
  std::string word;
};

// A line "   12 N..... NAME(arguments)"; other lines are passed over.
std::vector<Canon> ParseCanon(const std::string& text) {
  std::vector<Canon> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const size_t n = line.find("N.....");
    const size_t open = line.find('(');
    const size_t close = line.rfind(')');
    if (n == std::string::npos || open == std::string::npos || close == std::string::npos ||
        close < open || open < n + 6) {
      continue;
    }
    std::istringstream nameWords(line.substr(n + 6, open - n - 6));
    Canon c;
    nameWords >> c.name;
    if (c.name.empty()) continue;
    if (c.name != "COMMENT") {
      std::string args = line.substr(open + 1, close - open - 1);
      std::replace(args.begin(), args.end(), ',', ' ');
      std::istringstream words(args);
      for (std::string w; words >> w;) {
        char* end = nullptr;
        const double v = std::strtod(w.c_str(), &end);
        if (end != w.c_str() && *end == '\0') {
          c.args.push_back(v);
        } else {
          c.word = w;
        }
      }
    }
    out.push_back(std::move(c));
  }
  return out;
}

// ---- The operations -----------------------------------------------------------------------

struct GrooveSetup {
  const PathFrame* frame;
  bool inch;
  double finish;  // the finish thickness in millimetres: 0 has no offset pass
};

std::string Name(const GrooveSetup& s) {
  return std::string(s.frame->name) + (s.inch ? " inch" : " mm") +
         (s.finish > 1e-4 ? " with offset pass" : " without offset pass");
}

// A groove 10 wide and 5 deep with bottom corners rounded 1.5, in the frame's coordinates scaled
// by `k`: its finishing passes have arcs. An arc of the (a, d) frame turns clockwise there; the
// frame maps to the drawing with a determinant of plunge (turning) or -plunge (faces).
Contour RoundedGroove(const PathFrame& f, double k) {
  const double h = 5.0, depth = 5.0, rc = 1.5;
  const auto x = [&](double a, double d) { return k * f.X(a, d); };
  const auto y = [&](double a, double d) { return k * f.Y(a, d); };
  const int16_t dir = static_cast<int16_t>(-(f.alongIsX ? f.plunge : -f.plunge));
  return MakeContour({
      MakeLine(x(-h, -2), y(-h, -2), x(-h, depth - rc), y(-h, depth - rc)),
      MakeArc(x(-h, depth - rc), y(-h, depth - rc), x(-h + rc, depth), y(-h + rc, depth),
              x(-h + rc, depth - rc), y(-h + rc, depth - rc), dir),
      MakeLine(x(-h + rc, depth), y(-h + rc, depth), x(h - rc, depth), y(h - rc, depth)),
      MakeArc(x(h - rc, depth), y(h - rc, depth), x(h, depth - rc), y(h, depth - rc),
              x(h - rc, depth - rc), y(h - rc, depth - rc), dir),
      MakeLine(x(h, depth - rc), y(h, depth - rc), x(h, -2), y(h, -2)),
  });
}

struct Operation {
  host::GrooveScene scene;
  std::unique_ptr<Groove> groove;
  bool ran = false;
  std::vector<std::string> messages;
};

constexpr int32_t kToolNumber = 2;

std::unique_ptr<Operation> RunOperation(const GrooveSetup& s) {
  const PathFrame& f = *s.frame;
  const double k = s.inch ? 1.0 / 25.4 : 1.0;
  std::vector<double> blank = f.blank;
  for (double& v : blank) v *= k;
  host::SceneTool tool;  // 3 wide, corner 0.4, in millimetres: an inch drawing converts it
  tool.number = kToolNumber;
  auto op = std::make_unique<Operation>();
  op->scene = host::BuildGrooveScene(MakePolygon(blank), RoundedGroove(f, k), tool,
                                     s.inch ? "in" : "mm");
  op->groove = std::make_unique<Groove>(op->scene.host.environment);
  Groove& g = *op->groove;
  g.SetParameter("CAM_TurningTrajectoryType", Variant(f.trajectoryType));
  g.SetParameter("CAM_TurningDirection", Variant(f.direction));
  g.SetParameter("CAM_TurningStartPointX", Variant(k * f.startX));
  g.SetParameter("CAM_TurningStartPointZ", Variant(k * f.startZ));
  g.SetParameter("CAM_TurningDepthOnPass", Variant(k * 2.0));
  g.SetParameter("CAM_TurningFinishThickness", Variant(k * s.finish));
  g.SetParameter("Feed", Variant(s.inch ? 4.5 : 115.0));
  g.SetParameter("CAM_TurningFinishFeed", Variant(s.inch ? 2.5 : 60.0));
  g.SetParameter("Speed", Variant(1300.0));
  g.SetParameter("CAM_TurningFinishSpeed", Variant(1800.0));
  g.SetParameter("ToolNumber", Variant(kToolNumber));
  Handle<BlockSet> bs = g.CreateBlockSet(Handle<GraphicSet>(op->scene.contourSet));
  op->ran = bs && g.DoGroove(bs);
  for (const auto& m : op->scene.host.messages->Messages()) op->messages.push_back(m.prompt);
  return op;
}

// ---- The comparison -----------------------------------------------------------------------

struct Comparison {
  int motions = 0;  // canonical moves compared
  int arcs = 0;
  int dwells = 0;
  int homeMoves = 0;
  double worst = 0.0;  // largest deviation of an end point or a centre, drawing units
};

// Walks the canonical commands beside the moves: the traverse to the start point, then one
// traverse, feed or arc per move, each ending (and an arc centred) where the move does, arcs
// turning the move's way, every feed at the feed and spindle speed of the move's phase, and a
// dwell exactly after each plunge bottom when one is asked for.
// The moves are those the program writes (shifted to the insert's point the options name, the
// shortest left out); with a home position, the traverses before the start point and after the
// last move are the home moves. Feeds and speeds are checked in feed per minute at a speed in
// revolutions per minute.
void Compare(const std::string& name, const PostInput& in, const PostOptions& options,
             const std::vector<Canon>& canon, Comparison& out) {
  const double dwell = options.plungeDwell;
  const std::vector<Segment> moves = ProgramMoves(in, options.reference);
  const Point3 shift = ReferenceShift(in, options.reference);
  const Point3 start{in.start.x + shift.x, in.start.y + shift.y, 0.0};
  const bool home = options.home != HomeKind::None;
  const bool rates = !in.feedPerRevolution && options.surfaceSpeed == 0.0;
  double feedRate = -1.0, spindle = -1.0;
  double x = 0.0, y = 0.0;  // where the interpreter stands (Z, radius)
  std::string units, plane;
  size_t next = 0;  // 0: the traverse to the start, i + 1: move i
  bool dwellDue = false;
  const auto deviation = [&](double z, double r, const Point3& p) {
    const double d = std::max(std::fabs(z - p.x), std::fabs(r - p.y));
    out.worst = std::max(out.worst, d);
    return d;
  };
  for (const Canon& c : canon) {
    if (c.name == "SET_FEED_RATE") {
      feedRate = c.args.at(0);
    } else if (c.name == "SET_SPINDLE_SPEED") {
      spindle = c.args.at(1);
    } else if (c.name == "USE_LENGTH_UNITS") {
      units = c.word;
    } else if (c.name == "SELECT_PLANE") {
      plane = c.word;
    } else if (c.name == "DWELL") {
      EXPECT_TRUE(dwellDue) << name << ": a dwell after motion " << next;
      EXPECT_NEAR(c.args.at(0), dwell, 1e-9) << name;
      dwellDue = false;
      ++out.dwells;
    } else if (c.name == "STRAIGHT_TRAVERSE" || c.name == "STRAIGHT_FEED" ||
               c.name == "ARC_FEED") {
      EXPECT_FALSE(dwellDue) << name << ": no dwell before motion " << next;
      const bool atStart = c.name == "STRAIGHT_TRAVERSE" &&
                           std::max(std::fabs(c.args.at(2) - start.x),
                                    std::fabs(c.args.at(0) - start.y)) <= kTolerance;
      if (home && c.name == "STRAIGHT_TRAVERSE" &&
          ((next == 0 && !atStart) || next == moves.size() + 1)) {
        ++out.homeMoves;
        continue;
      }
      ASSERT_LE(next, moves.size()) << name << ": more motions than moves";
      EXPECT_EQ(plane, "CANON_PLANE_XZ") << name;
      EXPECT_EQ(units, in.units == NcUnits::Inch ? "CANON_UNITS_INCHES" : "CANON_UNITS_MM")
          << name;
      ++out.motions;
      if (next == 0) {
        ASSERT_EQ(c.name, "STRAIGHT_TRAVERSE") << name;
        // X is reported as a radius (the program's G7 diameters halved), Z along the axis.
        EXPECT_LE(deviation(c.args.at(2), c.args.at(0), start), kTolerance) << name;
        ++next;
        x = c.args.at(2);
        y = c.args.at(0);
        continue;
      }
      const size_t i = next - 1;
      const Segment& m = moves[i];
      const std::string at = name + ", move " + std::to_string(i);
      if (m.MoveType == kMovePositioning && !m.IsArc()) {
        ASSERT_EQ(c.name, "STRAIGHT_TRAVERSE") << at;
        EXPECT_LE(deviation(c.args.at(2), c.args.at(0), m.EndPt), kTolerance) << at;
      } else {
        const bool finishing = m.Phase == kPhaseFinishing;
        if (rates) {
          EXPECT_EQ(feedRate, finishing ? in.finishFeed : in.roughFeed) << at;
          EXPECT_EQ(spindle, std::round(finishing ? in.finishSpeed : in.roughSpeed)) << at;
        }
        if (m.IsArc()) {
          ASSERT_EQ(c.name, "ARC_FEED") << at;
          // In the XZ plane the first axis is Z, the second X (a radius).
          EXPECT_LE(deviation(c.args.at(0), c.args.at(1), m.EndPt), kTolerance) << at;
          EXPECT_LE(deviation(c.args.at(2), c.args.at(3), m.Center), kTolerance) << at;
          EXPECT_EQ(c.args.at(4), m.Direction) << at << ": the arc turns the other way";
          // The interpreter's arc, from where it stands, passes through the move's mid point.
          const Point3 centre{c.args.at(2), c.args.at(3), 0.0};
          const double radius = std::hypot(x - centre.x, y - centre.y);
          EXPECT_LE(std::fabs(std::hypot(m.MidPt.x - centre.x, m.MidPt.y - centre.y) - radius),
                    kTolerance)
              << at;
          const auto turned = [&](double px, double py) {
            const double a0 = std::atan2(y - centre.y, x - centre.x);
            const double a = std::atan2(py - centre.y, px - centre.x);
            const double full = 2.0 * std::numbers::pi;
            return std::fmod((c.args.at(4) > 0 ? a - a0 : a0 - a) + 2.0 * full, full);
          };
          EXPECT_LT(turned(m.MidPt.x, m.MidPt.y), turned(c.args.at(0), c.args.at(1)))
              << at << ": the mid point lies off the interpreter's arc";
          ++out.arcs;
        } else {
          ASSERT_EQ(c.name, "STRAIGHT_FEED") << at;
          EXPECT_LE(deviation(c.args.at(2), c.args.at(0), m.EndPt), kTolerance) << at;
        }
      }
      dwellDue = dwell > 0.0 && EndsPlunge(moves, i);
      ++next;
      x = c.name == "ARC_FEED" ? c.args.at(0) : c.args.at(2);
      y = c.name == "ARC_FEED" ? c.args.at(1) : c.args.at(0);
    }
  }
  EXPECT_FALSE(dwellDue) << name << ": no dwell after the last move";
  EXPECT_EQ(next, moves.size() + 1) << name << ": fewer motions than moves";
  if (home) {
    EXPECT_GE(out.homeMoves, 2) << name << ": no home move before and after";
  }
  ASSERT_FALSE(canon.empty()) << name;
  EXPECT_TRUE(std::any_of(canon.begin(), canon.end(),
                          [](const Canon& c) { return c.name == "PROGRAM_END"; }))
      << name << ": the program did not reach its end";
}

constexpr char kRs274Missing[] =
    "rs274, LinuxCNC's G-code interpreter, is not installed (Debian package linuxcnc-uspace); "
    "the posted programs cannot be checked without it";

// Posts the operation for LinuxCNC, without a dwell and (when `alsoDwell`) with one, runs each
// program through rs274 and compares its canonical moves with the tool path; adds to `total`.
void CheckInLinuxCnc(const fs::path& rs274, const std::string& name, const PostInput& in,
                     bool alsoDwell, Comparison& total, int& programs) {
  ASSERT_GT(in.moves.size(), 10u) << name;
  for (const double dwell : alsoDwell ? std::vector<double>{0.0, 0.5} : std::vector<double>{0.0}) {
    const std::string run = name + (dwell > 0 ? ", dwell" : "");
    PostOptions options;
    options.plungeDwell = dwell;
    const std::string program = PostProcess(in, options);
    const Rs274Run result = RunRs274(rs274, program, {in.toolNumber}, in.units);
    ASSERT_EQ(result.status, 0) << run << ": rs274 failed:\n" << result.errors << "\n" << program;
    Comparison c;
    Compare(run, in, options, ParseCanon(result.canon), c);
    int bottoms = 0;
    for (size_t i = 0; i < in.moves.size(); ++i) bottoms += EndsPlunge(in.moves, i);
    EXPECT_GT(bottoms, 0) << run;
    EXPECT_EQ(c.dwells, dwell > 0.0 ? bottoms : 0) << run;
    total.motions += c.motions;
    total.arcs += c.arcs;
    total.dwells += c.dwells;
    total.worst = std::max(total.worst, c.worst);
    ++programs;
  }
}

void Report(const char* what, int programs, const Comparison& total) {
  std::cout << "[ rs274    ] " << what << ": " << programs << " programs, " << total.motions
            << " canonical moves (" << total.arcs << " arcs, " << total.dwells
            << " dwells), largest deviation " << total.worst << "\n";
}

TEST(Rs274Test, EveryGrooveRunsInLinuxCncAsComputed) {
  const std::optional<fs::path> rs274 = FindRs274();
  ASSERT_TRUE(rs274.has_value()) << kRs274Missing;

  Comparison total;
  int programs = 0;
  for (const PathFrame& f : AllFrames()) {
    for (const bool inch : {false, true}) {
      for (const double finish : {0.0, 0.5}) {
        const GrooveSetup setup{&f, inch, finish};
        const std::string name = Name(setup);
        const std::unique_ptr<Operation> op = RunOperation(setup);
        ASSERT_TRUE(op->ran) << name;
        for (const std::string& m : op->messages) ADD_FAILURE() << name << ": " << m;
        const PostInput in = PostInputFromOperation(StateOf(*op->groove));
        ASSERT_EQ(in.units, inch ? NcUnits::Inch : NcUnits::Millimetre) << name;
        ASSERT_EQ(in.toolNumber, kToolNumber) << name;
        // The rounded corners make arcs, in the offset pass too.
        const auto arcs = std::count_if(in.moves.begin(), in.moves.end(),
                                        [](const Segment& m) { return m.IsArc(); });
        EXPECT_GE(arcs, finish > 0.0 ? 4 : 2) << name;
        // Every plunge has one bottom: the roughing cuts lie on as many lines across the
        // groove as there are plunge bottoms.
        std::vector<double> lines;
        int bottoms = 0;
        for (size_t i = 0; i < in.moves.size(); ++i) {
          const Segment& m = in.moves[i];
          bottoms += EndsPlunge(in.moves, i);
          if (m.Phase != kPhaseRoughing) continue;
          const double across = f.alongIsX ? m.StartPt.x : m.StartPt.y;
          if (std::none_of(lines.begin(), lines.end(),
                           [&](double l) { return std::fabs(l - across) < 1e-9; })) {
            lines.push_back(across);
          }
        }
        EXPECT_EQ(bottoms, static_cast<int>(lines.size())) << name;
        // Once per kind of work the program also dwells at every plunge bottom.
        const Comparison before = total;
        CheckInLinuxCnc(*rs274, name, in, !inch && finish > 0.0, total, programs);
        EXPECT_EQ(total.arcs - before.arcs, arcs * (!inch && finish > 0.0 ? 2 : 1)) << name;
      }
    }
  }
  EXPECT_EQ(programs, 20);
  EXPECT_LE(total.worst, kTolerance);
  Report("scenes", programs, total);
}

// The four kinds of work in one program, each with its own tool: the interpreter changes tools
// in order and runs every operation's moves, each from its own start point.
TEST(Rs274Test, SeveralOperationsRunAsOneProgram) {
  const std::optional<fs::path> rs274 = FindRs274();
  ASSERT_TRUE(rs274.has_value()) << kRs274Missing;
  std::vector<PostInput> operations;
  std::vector<int32_t> tools;
  for (const PathFrame& f : AllFrames()) {
    const std::unique_ptr<Operation> op = RunOperation(GrooveSetup{&f, false, 0.5});
    ASSERT_TRUE(op->ran) << f.name;
    operations.push_back(PostInputFromOperation(StateOf(*op->groove)));
    operations.back().toolNumber = static_cast<int32_t>(operations.size());
    tools.push_back(operations.back().toolNumber);
  }
  const std::string program = PostProcess(operations, PostOptions{});
  const Rs274Run run = RunRs274(*rs274, program, tools, NcUnits::Millimetre);
  ASSERT_EQ(run.status, 0) << run.errors << "\n" << program;

  // The motions between one tool change and the next are that operation's: the rapid to its
  // start point and one motion a move, the last ending where its path ends.
  std::vector<std::vector<Canon>> motions;
  for (const Canon& c : ParseCanon(run.canon)) {
    if (c.name == "CHANGE_TOOL") motions.emplace_back();
    const bool motion = c.name == "STRAIGHT_TRAVERSE" || c.name == "STRAIGHT_FEED" ||
                        c.name == "ARC_FEED";
    if (motion && !motions.empty()) motions.back().push_back(c);
  }
  ASSERT_EQ(motions.size(), operations.size());
  for (size_t k = 0; k < operations.size(); ++k) {
    const PostInput& in = operations[k];
    const std::vector<Segment> moves = ProgramMoves(in, InsertReference::Centre);
    ASSERT_EQ(motions[k].size(), moves.size() + 1) << AllFrames()[k].name;
    const Canon& first = motions[k].front();  // STRAIGHT_TRAVERSE(x, y, z, ...)
    EXPECT_NEAR(first.args.at(0), in.start.y, kTolerance) << AllFrames()[k].name;
    EXPECT_NEAR(first.args.at(2), in.start.x, kTolerance) << AllFrames()[k].name;
    const Canon& last = motions[k].back();
    const Point3& end = moves.back().EndPt;
    const bool arc = last.name == "ARC_FEED";
    EXPECT_NEAR(arc ? last.args.at(1) : last.args.at(0), end.y, kTolerance);
    EXPECT_NEAR(arc ? last.args.at(0) : last.args.at(2), end.x, kTolerance);
  }
}

// The example drawings, run as the command line runs them: read from DXF, the part set up from
// the drawing, the tool put in the tool table, the parameters set by name, then DoGroove.
TEST(Rs274Test, ExampleDrawingsRunInLinuxCncAsComputed) {
  const std::optional<fs::path> rs274 = FindRs274();
  ASSERT_TRUE(rs274.has_value()) << kRs274Missing;
  struct Example {
    const char* file;
    const char* type;
    const char* direction;
    double startX, startZ;  // the start point, X a diameter
    double width, corner;   // the tool, in drawing units
    double finish;          // the offset pass's finish thickness
    bool inch;
  };
  const Example examples[] = {
      {"outside_groove.dxf", "Turn", "External", 60.0, 90.0, 3.0, 0.2, 0.5, false},
      {"outside_groove_inch.dxf", "Turn", "External", 2.4, 4.4, 0.118, 0.008, 0.02, true},
      {"bore_groove.dxf", "Turn", "Internal", 10.0, 65.0, 3.0, 0.2, 0.5, false},
      {"face_groove.dxf", "Face", "Internal", 20.0, 60.0, 3.0, 0.2, 0.5, false},
      {"back_face_groove.dxf", "Face", "External", 100.0, -10.0, 3.0, 0.2, 0.5, false},
  };
  Comparison total;
  int programs = 0;
  for (const Example& e : examples) {
    for (const bool offsetPass : {false, true}) {
      const std::string name = std::string(e.file) + (offsetPass ? " with" : " without") +
                               " offset pass";
      host::MemoryHost host = host::BuildMemoryHost();
      host::ImportDxfFile(std::string(SULKOR_SOURCE_DIR) + "/examples/" + e.file, *host.Drawing());
      const host::DrawingPart part = host::SetUpPartFromDrawing(host, e.file);
      host::SceneTool tool;
      tool.number = 4;
      tool.width = e.width;
      tool.cornerRadius = e.corner;
      tool.measure = e.inch ? "in" : "mm";
      host::AddTool(*host.store, tool);
      Groove groove(host.environment);
      groove.SetParameter("CAM_TurningTrajectoryType", Variant(e.type));
      groove.SetParameter("CAM_TurningDirection", Variant(e.direction));
      groove.SetParameter("CAM_TurningStartPointX", Variant(e.startX));
      groove.SetParameter("CAM_TurningStartPointZ", Variant(e.startZ));
      groove.SetParameter("CAM_TurningDepthOnPass", Variant(e.inch ? 0.08 : 2.0));
      groove.SetParameter("CAM_TurningFinishThickness", Variant(offsetPass ? e.finish : 0.0));
      groove.SetParameter("Feed", Variant(e.inch ? 4.5 : 115.0));
      groove.SetParameter("CAM_TurningFinishFeed", Variant(e.inch ? 2.5 : 60.0));
      groove.SetParameter("Speed", Variant(1300.0));
      groove.SetParameter("CAM_TurningFinishSpeed", Variant(1800.0));
      groove.SetParameter("ToolNumber", Variant(tool.number));
      auto selection = std::make_shared<host::MemoryGraphicSet>();
      selection->Add(part.workContour);
      const Handle<BlockSet> op = groove.CreateBlockSet(Handle<GraphicSet>(selection));
      ASSERT_TRUE(op) << name;
      ASSERT_TRUE(groove.DoGroove(op)) << name;
      for (const auto& m : host.messages->Messages()) ADD_FAILURE() << name << ": " << m.prompt;
      const PostInput in = PostInputFromOperation(StateOf(groove));
      ASSERT_EQ(in.units, e.inch ? NcUnits::Inch : NcUnits::Millimetre) << name;
      ASSERT_EQ(in.toolNumber, 4) << name;
      CheckInLinuxCnc(*rs274, name, in, offsetPass, total, programs);
    }
  }
  EXPECT_EQ(programs, 15);
  EXPECT_LE(total.worst, kTolerance);
  Report("examples", programs, total);
}

// Every program option through the interpreter: the insert's tips and its centre driven, G96
// with its spindle limit, feed per revolution, coolant, the home position before the tool call
// and at the end, a left-hand tool; the motions follow the path shifted to the point driven.
TEST(Rs274Test, ProgramOptionsRunInLinuxCncOnTheShiftedPath) {
  const std::optional<fs::path> rs274 = FindRs274();
  ASSERT_TRUE(rs274.has_value()) << kRs274Missing;
  struct Case {
    InsertReference reference;
    double css;
    bool perRev;
    Coolant coolant;
    HomeKind home;
    bool leftHand;
    std::vector<std::string> blocks;  // the program holds these lines
  } cases[] = {
      {InsertReference::TipLow, 0.0, false, Coolant::Flood, HomeKind::MachineReference, false,
       {"G18 G21 G7 G90 G94 G40 G49", "G28", "G97 S1300 M3", "M8", "M9"}},
      {InsertReference::TipHigh, 180.0, false, Coolant::Mist, HomeKind::Position, true,
       {"G96 D2500 S180 M4", "M7", "G0 X200", "G0 Z150"}},
      {InsertReference::Centre, 0.0, true, Coolant::Off, HomeKind::None, false,
       {"G18 G21 G7 G90 G95 G40 G49"}},
  };
  Comparison total;
  int programs = 0;
  for (const PathFrame& f : AllFrames()) {
    const std::unique_ptr<Operation> op = RunOperation(GrooveSetup{&f, false, 0.5});
    ASSERT_TRUE(op->ran) << f.name;
    for (const Case& c : cases) {
      PostInput in = PostInputFromOperation(StateOf(*op->groove));
      in.leftHand = c.leftHand;
      in.feedPerRevolution = c.perRev;
      if (c.perRev) in.roughFeed = in.finishFeed = 0.05;
      PostOptions options;
      options.reference = c.reference;
      options.surfaceSpeed = c.css;
      options.maxRpm = 2500.0;
      options.coolant = c.coolant;
      options.home = c.home;
      options.homePosition = {150.0, 100.0, 0.0};
      const std::string name = std::string(f.name) + " option set " + std::to_string(&c - cases);
      const std::string program = PostProcess(in, options);
      for (const std::string& block : c.blocks) {
        EXPECT_NE(program.find("\n" + block + "\n"), std::string::npos) << name << ": " << block;
      }
      const Rs274Run result = RunRs274(*rs274, program, {in.toolNumber}, in.units);
      ASSERT_EQ(result.status, 0) << name << ":\n" << result.errors << "\n" << program;
      Comparison one;
      Compare(name, in, options, ParseCanon(result.canon), one);
      total.motions += one.motions;
      total.worst = std::max(total.worst, one.worst);
      ++programs;
    }
  }
  EXPECT_EQ(programs, 12);
  EXPECT_LE(total.worst, kTolerance);
  Report("program options", programs, total);
}

// The interpreter's own reading of the two facts the post relies on: in G7 a diameter X and a
// radius I, and G3 turning counterclockwise in the drawing (Z to the right, X upwards).
TEST(Rs274Test, DiameterModeAndArcSense) {
  const std::optional<fs::path> rs274 = FindRs274();
  ASSERT_TRUE(rs274.has_value()) << kRs274Missing;
  PostInput in;
  in.start = {0.0, 5.0, 0.0};
  in.roughFeed = 100.0;
  in.roughSpeed = 1000.0;
  in.finishFeed = 50.0;
  in.finishSpeed = 1000.0;
  Segment ccw = MakeArc(0.0, 5.0, -2.0, 7.0, -2.0, 5.0, 1);
  ccw.MoveType = kMoveCutting;
  ccw.Phase = kPhaseFinishing;
  Segment cw = MakeArc(-2.0, 7.0, -4.0, 9.0, -2.0, 9.0, -1);
  cw.MoveType = kMoveCutting;
  cw.Phase = kPhaseFinishing;
  in.moves = {ccw, cw};
  const std::string program = PostProcess(in, {});
  EXPECT_NE(program.find("G3 X14 Z-2 I0 K-2 F50\n"), std::string::npos) << program;
  EXPECT_NE(program.find("G2 X18 Z-4 I2 K0\n"), std::string::npos) << program;
  const Rs274Run run = RunRs274(*rs274, program, {1}, NcUnits::Millimetre);
  ASSERT_EQ(run.status, 0) << run.errors;
  std::vector<Canon> arcs;
  for (const Canon& c : ParseCanon(run.canon)) {
    if (c.name == "ARC_FEED") arcs.push_back(c);
  }
  ASSERT_EQ(arcs.size(), 2u);
  EXPECT_EQ(arcs[0].args, (std::vector<double>{-2, 7, -2, 5, 1, 0, 0, 0, 0}));
  EXPECT_EQ(arcs[1].args, (std::vector<double>{-4, 9, -2, 9, -1, 0, 0, 0, 0}));

  // A doubled I is a different centre, which the interpreter refuses.
  std::string doubled = program;
  doubled.replace(doubled.find("I2 K0"), 5, "I4 K0");
  const Rs274Run refused = RunRs274(*rs274, doubled, {1}, NcUnits::Millimetre);
  EXPECT_NE(refused.status, 0);
  EXPECT_NE(refused.errors.find("Radius to end of arc differs from radius to start"),
            std::string::npos)
      << refused.errors;
}

}  // namespace
}  // namespace sulkor
