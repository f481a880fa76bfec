// Every kind of groove, in millimetres and in inch, with and without the offset finishing pass,
// a dwell and every program option, is run through the whole operation, posted for LinuxCNC and read by
// LinuxCNC's own interpreter (rs274, batch mode, a lathe INI written here): the canonical moves
// it reports must be the tool path shifted to the point the program drives, point by point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "contour/segment_build.h"
#include "groove/groove_state.h"
#include "host/memory/scene.h"
#include "post/nc_post.h"
#include "sulkor/groove.h"
#include "testing/process.h"
#include "testing/scenes.h"

namespace sulkor {
namespace {

using testing::AllFrames;
using testing::GrooveFrame;

constexpr double kTolerance = 1e-4;  // drawing units

// One canonical command: its name, its numeric arguments, and a word such as CANON_UNITS_MM.
struct Canon {
  std::string name;
  std::vector<double> args;
  std::string word;
};

struct Rs274Run {
  int status;
  std::string errors;
  std::vector<Canon> canon;
};

// Runs the program through rs274 in batch mode with a lathe INI and a tool table holding the
// tools with no offsets, in a folder of its own; a home of the run's own keeps the interpreter's
// shared tool table ($HOME/.tool.mmap) apart from runs in parallel. Reads the canonical commands,
// lines "   12 N..... NAME(arguments)".
Rs274Run RunRs274(const std::string& program, const std::vector<int32_t>& tools, NcUnits units) {
  testing::ScratchDir dir("rs274");
  std::ofstream(dir / "lathe.ini") << "[RS274NGC]\nPARAMETER_FILE = sulkor.var\n"
                                      "RS274NGC_STARTUP_CODE = G18 G8 G90 G94\n[TRAJ]\n"
                                      "COORDINATES = X Z\nLINEAR_UNITS = "
                                   << (units == NcUnits::Inch ? "inch" : "mm")
                                   << "\nANGULAR_UNITS = degree\n[DISPLAY]\nLATHE = 1\n";
  std::ofstream table(dir / "tool.tbl");
  for (const int32_t t : tools) table << "T" << t << " P" << t << " X0 Z0 D0 Q8 ;grooving tool\n";
  table.close();
  std::ofstream(dir / "program.ngc") << program;
  const testing::ProgramResult run = testing::RunIn(
      dir.Path(), {"/bin/sh", "-c", "exec rs274 -g -i lathe.ini -t tool.tbl program.ngc canon.txt </dev/null"},
      {"HOME=" + dir.Path().string()});
  Rs274Run result{run.status, run.out + run.err, {}};
  if (run.status == 127) result.errors += "LinuxCNC's interpreter rs274 (Debian package linuxcnc-uspace) is needed\n";
  std::vector<Canon>& out = result.canon;
  std::istringstream in(testing::ReadText(dir / "canon.txt"));
  for (std::string line; std::getline(in, line);) {
    const size_t n = line.find("N....."), open = line.find('('), close = line.rfind(')');
    if (n == std::string::npos || open == std::string::npos || close == std::string::npos || open < n + 6) continue;
    Canon c;
    std::istringstream(line.substr(n + 6, open - n - 6)) >> c.name;
    if (c.name.empty()) continue;
    std::string args = line.substr(open + 1, close - open - 1);
    std::replace(args.begin(), args.end(), ',', ' ');
    std::istringstream words(c.name == "COMMENT" ? "" : args);
    for (std::string w; words >> w;) {
      char* end = nullptr;
      const double v = std::strtod(w.c_str(), &end);
      if (end != w.c_str() && *end == '\0') c.args.push_back(v); else c.word = w;
    }
    out.push_back(std::move(c));
  }
  return result;
}

// A groove 10 wide and 5 deep with bottom corners rounded 1.5 in the frame's coordinates scaled
// by k, cut with tool 2 (3 wide, corner 0.4 mm); an arc of the (a, d) frame turns clockwise.
PostInput SceneInput(const GrooveFrame& f, bool inch, double finish) {
  const double k = inch ? 1.0 / 25.4 : 1.0, h = 5.0, depth = 5.0, rc = 1.5;
  const auto x = [&](double a, double d) { return k * f.X(a, d); };
  const auto y = [&](double a, double d) { return k * f.Y(a, d); };
  const int16_t dir = f.Turn();
  const Contour profile = MakeContour({
      MakeLine(x(-h, -2), y(-h, -2), x(-h, depth - rc), y(-h, depth - rc)),
      MakeArc(x(-h, depth - rc), y(-h, depth - rc), x(-h + rc, depth), y(-h + rc, depth),
              x(-h + rc, depth - rc), y(-h + rc, depth - rc), dir),
      MakeLine(x(-h + rc, depth), y(-h + rc, depth), x(h - rc, depth), y(h - rc, depth)),
      MakeArc(x(h - rc, depth), y(h - rc, depth), x(h, depth - rc), y(h, depth - rc),
              x(h - rc, depth - rc), y(h - rc, depth - rc), dir),
      MakeLine(x(h, depth - rc), y(h, depth - rc), x(h, -2), y(h, -2))});
  std::vector<double> blank = f.blank;
  for (double& v : blank) v *= k;
  host::SceneTool tool;
  tool.number = 2;
  host::GrooveScene scene = host::BuildGrooveScene(MakePolygon(blank), profile, tool, inch ? "in" : "mm");
  Groove g(scene.host.environment);
  const std::pair<const char*, Variant> parameters[] = {
      {"CAM_TurningTrajectoryType", Variant(f.TrajectoryType())}, {"CAM_TurningDirection", Variant(f.Direction())},
      {"CAM_TurningStartPointX", Variant(k * f.startX)}, {"CAM_TurningStartPointZ", Variant(k * f.startZ)},
      {"CAM_TurningDepthOnPass", Variant(k * 2.0)}, {"CAM_TurningFinishThickness", Variant(k * finish)},
      {"Feed", Variant(inch ? 4.5 : 115.0)}, {"CAM_TurningFinishFeed", Variant(inch ? 2.5 : 60.0)},
      {"Speed", Variant(1300.0)}, {"CAM_TurningFinishSpeed", Variant(1800.0)}, {"ToolNumber", Variant(2)}};
  for (const auto& [name, value] : parameters) g.SetParameter(name, value);
  Handle<BlockSet> bs = g.CreateBlockSet(Handle<GraphicSet>(scene.contourSet));
  EXPECT_TRUE(bs && g.DoGroove(bs)) << f.name;
  for (const auto& m : scene.host.messages->Messages()) ADD_FAILURE() << f.name << ": " << m.prompt;
  return PostInputFromOperation(StateOf(g));
}

// Walks the canonical commands beside the moves the program writes: the traverse to the start
// point, then one traverse, feed or arc per move, each ending (an arc centred) where the move
// does within kTolerance, arcs turning the move's way through its mid point, feeds at the feed
// and speed of the move's phase, a dwell exactly after each plunge bottom when asked for; with a
// home position, the traverses before the start and after the last move. Returns the deviation.
void Compare(const std::string& name, const PostInput& in, const PostOptions& options,
             const std::vector<Canon>& canon, double& worst) {
  const std::vector<Segment> moves = ProgramMoves(in, options.reference);
  const Point3 shift = ReferenceShift(in, options.reference);
  const Point3 start{in.start.x + shift.x, in.start.y + shift.y, 0.0};
  const bool home = options.home != HomeKind::None;
  const bool rates = !in.feedPerRevolution && options.surfaceSpeed == 0.0;
  double feedRate = -1.0, spindle = -1.0, x = 0.0, y = 0.0;
  std::string units, plane;
  size_t next = 0;  // 0: the traverse to the start, i + 1: move i
  int homeMoves = 0;
  bool dwellDue = false, ended = false;
  const auto deviation = [&](double z, double r, const Point3& p) {
    worst = std::max({worst, std::fabs(z - p.x), std::fabs(r - p.y)});
    return std::max(std::fabs(z - p.x), std::fabs(r - p.y));
  };
  for (const Canon& c : canon) {
    ended = ended || c.name == "PROGRAM_END";
    if (c.name == "SET_FEED_RATE") feedRate = c.args.at(0);
    if (c.name == "SET_SPINDLE_SPEED") spindle = c.args.at(1);
    if (c.name == "USE_LENGTH_UNITS") units = c.word;
    if (c.name == "SELECT_PLANE") plane = c.word;
    if (c.name == "DWELL") {
      EXPECT_TRUE(dwellDue) << name << ": a dwell after motion " << next;
      EXPECT_NEAR(c.args.at(0), options.plungeDwell, 1e-9) << name;
      dwellDue = false;
    }
    const bool arc = c.name == "ARC_FEED";
    if (c.name != "STRAIGHT_TRAVERSE" && c.name != "STRAIGHT_FEED" && !arc) continue;
    EXPECT_FALSE(dwellDue) << name << ": no dwell before motion " << next;
    // X is reported as a radius (the program's G7 diameters halved), Z along the axis; in the
    // XZ plane an arc's first axis is Z.
    const double cz = arc ? c.args.at(0) : c.args.at(2), cr = arc ? c.args.at(1) : c.args.at(0);
    const bool traverse = c.name == "STRAIGHT_TRAVERSE";
    if (home && traverse && ((next == 0 && std::max(std::fabs(cz - start.x), std::fabs(cr - start.y)) > kTolerance) ||
                             next == moves.size() + 1)) {
      ++homeMoves;
      continue;
    }
    ASSERT_LE(next, moves.size()) << name << ": more motions than moves";
    EXPECT_EQ(plane, "CANON_PLANE_XZ") << name;
    EXPECT_EQ(units, in.units == NcUnits::Inch ? "CANON_UNITS_INCHES" : "CANON_UNITS_MM") << name;
    const std::string at = name + ", move " + std::to_string(next);
    if (next == 0 || (moves[next - 1].MoveType == kMovePositioning && !moves[next - 1].IsArc())) {
      ASSERT_TRUE(traverse) << at;
      EXPECT_LE(deviation(cz, cr, next == 0 ? start : moves[next - 1].EndPt), kTolerance) << at;
    } else {
      const Segment& m = moves[next - 1];
      const bool finishing = m.Phase == kPhaseFinishing;
      if (rates) {
        EXPECT_EQ(feedRate, finishing ? in.finishFeed : in.roughFeed) << at;
        EXPECT_EQ(spindle, std::round(finishing ? in.finishSpeed : in.roughSpeed)) << at;
      }
      ASSERT_EQ(arc, m.IsArc()) << at;
      ASSERT_TRUE(arc || c.name == "STRAIGHT_FEED") << at;
      EXPECT_LE(deviation(cz, cr, m.EndPt), kTolerance) << at;
      if (arc) {
        EXPECT_LE(deviation(c.args.at(2), c.args.at(3), m.Center), kTolerance) << at;
        EXPECT_EQ(c.args.at(4), m.Direction) << at << ": the arc turns the other way";
        // The interpreter's arc from where it stands passes through the move's mid point.
        const double ox = c.args.at(2), oy = c.args.at(3), radius = std::hypot(x - ox, y - oy);
        EXPECT_LE(std::fabs(std::hypot(m.MidPt.x - ox, m.MidPt.y - oy) - radius), kTolerance) << at;
        const auto turned = [&](double px, double py) {
          const double d = std::atan2(py - oy, px - ox) - std::atan2(y - oy, x - ox);
          return std::fmod((c.args.at(4) > 0 ? d : -d) + 4.0 * std::numbers::pi, 2.0 * std::numbers::pi);
        };
        EXPECT_LT(turned(m.MidPt.x, m.MidPt.y), turned(cz, cr)) << at << ": mid point off the arc";
      }
    }
    dwellDue = next > 0 && options.plungeDwell > 0.0 && EndsPlunge(moves, next - 1);
    ++next;
    x = cz;
    y = cr;
  }
  EXPECT_FALSE(dwellDue) << name << ": no dwell after the last move";
  EXPECT_EQ(next, moves.size() + 1) << name << ": fewer motions than moves";
  EXPECT_GE(homeMoves, home ? 2 : 0) << name << ": no home move before and after";
  EXPECT_TRUE(ended) << name << ": the program did not reach its end";
}

struct Program {
  std::string name;
  PostInput in;
  PostOptions options;
};

TEST(Rs274Test, EveryProgramRunsInLinuxCncAsComputed) {
  std::vector<Program> programs;
  PostOptions dwell;
  dwell.plungeDwell = 0.5;
  // The option sets: the insert's tips and its centre driven, G96 with its spindle limit, feed
  // per revolution, coolant, the home position before the tool call and at the end, left hand.
  const struct {
    InsertReference reference;
    double css;
    bool perRev;
    Coolant coolant;
    HomeKind home;
    bool leftHand;
    std::vector<std::string> blocks;  // the program holds these lines
  } optionSets[] = {
      {InsertReference::TipLow, 0.0, false, Coolant::Flood, HomeKind::MachineReference, false,
       {"G18 G21 G7 G90 G94 G40 G49", "G28", "G97 S1300 M3", "M8", "M9"}},
      {InsertReference::TipHigh, 180.0, false, Coolant::Mist, HomeKind::Position, true,
       {"G96 D2500 S180 M4", "M7", "G0 X200", "G0 Z150"}},
      {InsertReference::Centre, 0.0, true, Coolant::Off, HomeKind::None, false,
       {"G18 G21 G7 G90 G95 G40 G49"}},
  };
  for (const GrooveFrame& f : AllFrames()) {
    for (const bool inch : {false, true}) {
      for (const double finish : {0.0, 0.5}) {
        const std::string name = std::string(f.name) + (inch ? " inch" : " mm") + (finish > 0 ? " offset pass" : "");
        const PostInput in = SceneInput(f, inch, finish);
        // The rounded corners make arcs, in the offset pass too; every plunge has one bottom,
        // on as many lines across the groove as the roughing cuts lie on.
        EXPECT_GE(std::count_if(in.moves.begin(), in.moves.end(), [](const Segment& m) { return m.IsArc(); }),
                  finish > 0.0 ? 4 : 2) << name;
        std::vector<double> lines;
        int bottoms = 0;
        for (size_t i = 0; i < in.moves.size(); ++i) {
          bottoms += EndsPlunge(in.moves, i);
          const double across = f.CrossIsX() ? in.moves[i].StartPt.x : in.moves[i].StartPt.y;
          if (in.moves[i].Phase == kPhaseRoughing &&
              std::none_of(lines.begin(), lines.end(), [&](double l) { return std::fabs(l - across) < 1e-9; })) {
            lines.push_back(across);
          }
        }
        EXPECT_EQ(bottoms, static_cast<int>(lines.size())) << name;
        programs.push_back({name, in, {}});
        if (!inch && finish > 0.0) programs.push_back({name + " dwell", in, dwell});
        if (inch || finish == 0.0) continue;
        for (const auto& o : optionSets) {
          Program p{name + " option set " + std::to_string(&o - optionSets), in, {}};
          p.in.leftHand = o.leftHand;
          p.in.feedPerRevolution = o.perRev;
          if (o.perRev) p.in.roughFeed = p.in.finishFeed = 0.05;
          p.options.reference = o.reference;
          p.options.surfaceSpeed = o.css;
          p.options.maxRpm = 2500.0;
          p.options.coolant = o.coolant;
          p.options.home = o.home;
          p.options.homePosition = {150.0, 100.0, 0.0};
          const std::string text = PostProcess(p.in, p.options);
          for (const std::string& block : o.blocks) {
            EXPECT_NE(text.find("\n" + block + "\n"), std::string::npos) << p.name << ": " << block;
          }
          programs.push_back(p);
        }
      }
    }
  }
  ASSERT_EQ(programs.size(), 20u + 12u);
  double worst = 0.0;
  for (const Program& p : programs) {
    ASSERT_GT(p.in.moves.size(), 10u) << p.name;
    const std::string program = PostProcess(p.in, p.options);
    const Rs274Run run = RunRs274(program, {p.in.toolNumber}, p.in.units);
    ASSERT_EQ(run.status, 0) << p.name << ": rs274 failed:\n" << run.errors << "\n" << program;
    int bottoms = 0, dwells = 0;
    for (size_t i = 0; i < p.in.moves.size(); ++i) bottoms += EndsPlunge(p.in.moves, i);
    for (const Canon& c : run.canon) dwells += c.name == "DWELL";
    EXPECT_GT(bottoms, 0) << p.name;
    EXPECT_EQ(dwells, p.options.plungeDwell > 0.0 ? bottoms : 0) << p.name;
    Compare(p.name, p.in, p.options, run.canon, worst);
  }
  std::cout << "[ rs274    ] " << programs.size() << " programs, largest deviation " << worst << "\n";
}

// The four kinds of work in one program, each with its own tool: the interpreter reads it
// through, changing tools in order.
TEST(Rs274Test, SeveralOperationsRunAsOneProgram) {
  std::vector<PostInput> operations;
  std::vector<int32_t> tools;
  for (const GrooveFrame& f : AllFrames()) {
    operations.push_back(SceneInput(f, false, 0.5));
    tools.push_back(operations.back().toolNumber = static_cast<int32_t>(operations.size()));
  }
  const Rs274Run run = RunRs274(PostProcess(operations, PostOptions{}), tools, NcUnits::Millimetre);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(std::count_if(run.canon.begin(), run.canon.end(), [](const Canon& c) { return c.name == "CHANGE_TOOL"; }),
            4);
}

}  // namespace
}  // namespace sulkor
