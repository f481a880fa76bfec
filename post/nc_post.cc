#include "post/nc_post.h"

#include <fmt/format.h>

#include <cctype>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "toolpath/groove_path.h"

namespace sulkor {
namespace {

// The words and number formats of a dialect.
struct DialectWords {
  std::string_view rapid, line, clockwise, counterclockwise;
  std::string_view spindleOn, spindleOff, dwell;
  int decimalsMillimetre, decimalsInch;
  bool keepPoint;  // "20." rather than "20": a Fanuc reads a number without a point in
                   // least input increments
};

const DialectWords& WordsOf(Dialect dialect) {
  static const DialectWords kLinuxCnc{"G0", "G1", "G2", "G3", "M3", "M5", "G4", 4, 5, false};
  static const DialectWords kFanuc{"G00", "G01", "G02", "G03", "M03", "M05", "G04", 4, 5, true};
  return dialect == Dialect::Fanuc ? kFanuc : kLinuxCnc;
}

// A number in `decimals` places, trailing zeros dropped, never "-0".
std::string Number(double value, int decimals, bool keepPoint) {
  std::string s = fmt::format("{:.{}f}", value, decimals);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
  }
  if (s == "-0." || s == "-0") s.erase(0, 1);
  if (!keepPoint && s.back() == '.') s.pop_back();
  return s;
}

bool IsCutting(const Segment& move) { return move.MoveType != kMovePositioning; }
// A rapid runs straight to its end: an arc, even a positioning one, runs at a feed.
bool RunsAtFeed(const Segment& move) { return IsCutting(move) || move.IsArc(); }
bool IsFinishing(const Segment& move) { return move.Phase == kPhaseFinishing; }

std::string_view PhaseName(bool finishing) { return finishing ? "finishing" : "roughing"; }

double FeedOf(const PostInput& in, const Segment& move) {
  const bool finishing = IsFinishing(move);
  const double feed = finishing ? in.finishFeed : in.roughFeed;
  if (!(feed > 0.0) || !std::isfinite(feed)) {
    throw PostError(fmt::format("the {} feed must be more than zero", PhaseName(finishing)));
  }
  return feed;
}

// The spindle speed in whole revolutions per minute.
long SpeedOf(const PostInput& in, bool finishing) {
  const double speed = finishing ? in.finishSpeed : in.roughSpeed;
  if (!std::isfinite(speed) || !(speed < 1e9) || std::lround(speed) < 1) {
    throw PostError(fmt::format("the {} speed must be at least 1 revolution per minute",
                                PhaseName(finishing)));
  }
  return std::lround(speed);
}

constexpr double kShortestMoveMillimetres = 1e-4;

Point3 Shifted(const Point3& p, const Point3& d) { return {p.x + d.x, p.y + d.y, p.z}; }

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// One program of one or more operations: the header once, then for every operation its tool
// call, spindle start, the move to its start point and its moves, then the end of the program.
class ProgramWriter {
 public:
  ProgramWriter(const std::vector<PostInput>& operations, const PostOptions& options)
      : operations_(operations),
        in_(operations.front()),
        options_(options),
        w_(WordsOf(options.dialect)),
        decimals_(in_.units == NcUnits::Inch ? w_.decimalsInch : w_.decimalsMillimetre),
        fanuc_(options.dialect == Dialect::Fanuc) {}

  std::string Write() {
    for (const PostInput& operation : operations_) {
      if (operation.units != in_.units) {
        throw PostError("the operations of one program must be in the same units");
      }
      if (operation.feedPerRevolution != in_.feedPerRevolution) {
        throw PostError("the operations of one program must have their feeds in the same mode");
      }
      Check(operation);
    }
    Header();
    for (size_t k = 0; k < operations_.size(); ++k) {
      const PostInput& operation = operations_[k];
      if (k > 0) {
        if (options_.coolant != Coolant::Off) Block(fanuc_ ? "M09" : "M9");
        Block(std::string(w_.spindleOff));
      }
      Home();
      Operation(operation);
      const std::vector<Segment> moves = ProgramMoves(operation, options_.reference);
      for (size_t i = 0; i < moves.size(); ++i) {
        MoveTo(operation, moves[i]);
        if (options_.plungeDwell > 0.0 && EndsPlunge(moves, i)) Dwell();
      }
    }
    End();
    return std::move(text_);
  }

 private:
  void Check(const PostInput& in) const {
    if (in.toolNumber < 1) {
      throw PostError(fmt::format("tool number {} cannot be called: tools are numbered from 1",
                                  in.toolNumber));
    }
    if (fanuc_ && in.toolNumber > 99) {
      throw PostError(fmt::format(
          "tool number {} cannot be called in the fanuc dialect: T takes 1 to 99", in.toolNumber));
    }
    if (!(options_.plungeDwell >= 0.0) || !std::isfinite(options_.plungeDwell)) {
      throw PostError("the dwell at the bottom of a plunge must be zero or more seconds");
    }
    if (fanuc_ && (options_.programNumber < 1 || options_.programNumber > 9999)) {
      throw PostError(
          fmt::format("program number {} is outside 1 to 9999", options_.programNumber));
    }
    if (options_.surfaceSpeed != 0.0 &&
        (!(options_.surfaceSpeed > 0.0) || !std::isfinite(options_.surfaceSpeed) ||
         !(options_.maxRpm >= 1.0) || !(options_.maxRpm < 1e9))) {
      throw PostError("constant surface speed needs a surface speed above zero and a maximum "
                      "spindle speed of at least 1 revolution per minute");
    }
  }

  bool Css() const { return options_.surfaceSpeed > 0.0; }

  // What the program drives and how the tool offset is set, in the header's comments.
  void ReferenceComment(const PostInput& in) {
    const bool face = in.kind == WorkKind::FrontFace || in.kind == WorkKind::BackFace;
    const std::string cross = face ? "X" : "Z";
    const std::string plunge = face ? "Z" : "X";
    const std::string r = N(in.cornerRadius);
    std::string text;
    switch (options_.reference) {
      case InsertReference::Centre:
        text = fmt::format(
            "drives the centre of the insert's corner radius r {} on its -{} side: set the tool "
            "offset to that centre, r inside the tip along {} and {}",
            r, cross, plunge, cross);
        break;
      case InsertReference::TipLow:
      case InsertReference::TipHigh: {
        const std::string side = options_.reference == InsertReference::TipLow ? "-" : "+";
        text = fmt::format(
            "drives the insert's tip on its {}{} side: set the tool offset by touching {} with "
            "the cutting edge and {} with the {}{} flank, the insert {} wide",
            side, cross, plunge, cross, side, cross, N(in.toolWidth));
        break;
      }
    }
    Block(fanuc_ ? "(" + Upper(text) + ")" : "(T" + std::to_string(in.toolNumber) + " " + text + ")");
  }

  std::string N(double v) const { return Number(v, decimals_, w_.keepPoint); }

  void Block(const std::string& block) {
    text_ += block;
    text_ += '\n';
  }

  std::string Point(const Point3& p) const {
    return fmt::format("X{} Z{}", N(2.0 * p.y), N(p.x));
  }

  // The program's start and its modal set-up; the comment names the tools in their order.
  void Header() {
    const bool inch = in_.units == NcUnits::Inch;
    const std::string_view side = options_.toolPost == ToolPost::Front ? "front" : "rear";
    const std::string_view units = inch ? "G20" : "G21";
    const bool several = operations_.size() > 1;
    std::string tools;
    for (const PostInput& operation : operations_) {
      tools += fanuc_ ? fmt::format(" T{:02d}", operation.toolNumber)
                      : fmt::format("{}{}", tools.empty() ? " " : ", ", operation.toolNumber);
    }
    if (fanuc_) {
      Block("%");
      Block(fmt::format("O{:04d} (SULKOR GROOVE{}{} {} TOOL POST {})", options_.programNumber,
                        several ? "S" : "", tools, side == "front" ? "FRONT" : "REAR",
                        inch ? "INCH" : "MM"));
      for (const PostInput& operation : operations_) ReferenceComment(operation);
      Block(fmt::format("G18 {} G40 {}", units, in_.feedPerRevolution ? "G99" : "G98"));
    } else {
      Block(fmt::format("(Sulkor groove{}: tool{}{}, {} tool post, {})", several ? "s" : "",
                        several ? "s" : "", tools, side, inch ? "inch" : "mm"));
      for (const PostInput& operation : operations_) ReferenceComment(operation);
      Block(fmt::format("G18 {} G7 G90 {} G40 G49", units, in_.feedPerRevolution ? "G95" : "G94"));
    }
  }

  // The move to the home or tool-change position: X first, clear of the part, then Z.
  void Home() {
    switch (options_.home) {
      case HomeKind::None: return;
      case HomeKind::MachineReference:
        if (fanuc_) {
          Block("G28 U0.");
          Block("G28 W0.");
        } else {
          Block("G28");
        }
        return;
      case HomeKind::Position:
        Block(fmt::format("{} X{}", w_.rapid, N(2.0 * options_.homePosition.y)));
        Block(fmt::format("{} Z{}", w_.rapid, N(options_.homePosition.x)));
        return;
    }
  }

  // An operation's tool call, its spindle start at the speed of its first feed move and the
  // rapid to its start point.
  void Operation(const PostInput& in) {
    bool firstFinishing = false;
    for (const Segment& m : in.moves) {
      if (RunsAtFeed(m)) {
        firstFinishing = IsFinishing(m);
        break;
      }
    }
    speed_ = SpeedOf(in, firstFinishing);
    hasFeed_ = false;
    if (fanuc_) {
      Block(fmt::format("T{:02d}{:02d}", in.toolNumber, in.toolNumber));
    } else {
      Block(fmt::format("T{} M6 G43", in.toolNumber));
    }
    const std::string_view direction =
        in.leftHand ? (fanuc_ ? "M04" : "M4") : w_.spindleOn;
    if (Css()) {
      const long limit = std::lround(options_.maxRpm);
      const std::string vc = Number(options_.surfaceSpeed, 1, w_.keepPoint);
      if (fanuc_) {
        Block(fmt::format("G50 S{}", limit));
        Block(fmt::format("G96 S{} {}", vc, direction));
      } else {
        Block(fmt::format("G96 D{} S{} {}", limit, vc, direction));
      }
    } else {
      Block(fmt::format("G97 S{} {}", speed_, direction));
    }
    if (options_.coolant == Coolant::Flood) Block(fanuc_ ? "M08" : "M8");
    if (options_.coolant == Coolant::Mist) Block(fanuc_ ? "M07" : "M7");
    const Point3 start = Shifted(in.start, ReferenceShift(in, options_.reference));
    Block(fmt::format("{} {}", w_.rapid, Point(start)));
    at_ = start;
  }

  void MoveTo(const PostInput& in, const Segment& m) {
    if (!RunsAtFeed(m)) {
      Block(fmt::format("{} {}", w_.rapid, Point(m.EndPt)));
      at_ = m.EndPt;
      return;
    }
    const long speed = SpeedOf(in, IsFinishing(m));
    if (!Css() && speed != speed_) {
      Block(fmt::format("S{}", speed));
      speed_ = speed;
    }
    const double feed = FeedOf(in, m);
    std::string f;
    if (!hasFeed_ || feed != feed_) {
      f = " F" + N(feed);
      feed_ = feed;
      hasFeed_ = true;
    }
    const std::string end = Point(m.EndPt);
    // An arc that prints as ending where it starts would be a full circle to the control.
    if (m.IsArc() && end != Point(at_)) {
      const std::string_view word = m.Direction == 1 ? w_.counterclockwise : w_.clockwise;
      Block(fmt::format("{} {} I{} K{}{}", word, end, N(m.Center.y - at_.y), N(m.Center.x - at_.x),
                        f));
    } else {
      Block(fmt::format("{} {}{}", w_.line, end, f));
    }
    at_ = m.EndPt;
  }

  void Dwell() {
    if (fanuc_) {
      Block(fmt::format("{} P{}", w_.dwell, std::lround(options_.plungeDwell * 1000.0)));
    } else {
      Block(fmt::format("{} P{}", w_.dwell, Number(options_.plungeDwell, 3, false)));
    }
  }

  void End() {
    if (options_.coolant != Coolant::Off) Block(fanuc_ ? "M09" : "M9");
    Home();
    Block(std::string(w_.spindleOff));
    if (fanuc_) {
      Block("M30");
      Block("%");
    } else {
      Block("M2");
    }
  }

  const std::vector<PostInput>& operations_;
  const PostInput& in_;  // the first operation: its units are the program's
  const PostOptions& options_;
  const DialectWords& w_;
  int decimals_;
  bool fanuc_;
  std::string text_;
  Point3 at_;
  long speed_ = 0;
  double feed_ = 0.0;
  bool hasFeed_ = false;
};

}  // namespace

PostInput PostInputFromOperation(const OperationState& state) {
  PostInput in;
  in.moves = state.toolPath.Segs;
  in.roughFeed = state.params.Feed;
  in.roughSpeed = state.params.Speed;
  in.finishFeed = state.params.FinishFeed;
  in.finishSpeed = state.params.FinishSpeed;
  in.units = state.unitsSystem == 1 ? NcUnits::Inch : NcUnits::Millimetre;
  in.toolNumber = state.params.ToolNumber;
  in.start = {state.params.StartPointZ, state.params.StartPointX / 2.0, 0.0};
  in.toolWidth = state.tool.Width;
  in.cornerRadius = state.tool.GeomCornerRadius;
  in.kind = KindOfWork(state.params.TrajectoryType, state.directionSign);
  in.leftHand = !state.tool.Hand.empty() && (state.tool.Hand[0] == 'L' || state.tool.Hand[0] == 'l');
  return in;
}

Point3 ReferenceShift(const PostInput& input, InsertReference reference) {
  // (u, v): along the cross axis from the reference, and against the plunge sense.
  const double r = input.cornerRadius;
  double u = 0.0, v = 0.0;
  if (reference == InsertReference::TipLow) {
    u = -r;
    v = -r;
  } else if (reference == InsertReference::TipHigh) {
    u = input.toolWidth - r;
    v = -r;
  }
  switch (input.kind) {
    case WorkKind::OutsideDiameter: return {u, v, 0.0};
    case WorkKind::Bore: return {u, -v, 0.0};
    case WorkKind::FrontFace: return {v, u, 0.0};
    case WorkKind::BackFace: return {-v, u, 0.0};
  }
  return {};
}

std::vector<Segment> ProgramMoves(const PostInput& input, InsertReference reference) {
  const Point3 d = ReferenceShift(input, reference);
  const double shortest =
      input.units == NcUnits::Inch ? kShortestMoveMillimetres / 25.4 : kShortestMoveMillimetres;
  std::vector<Segment> moves;
  Point3 at = Shifted(input.start, d);
  for (const Segment& m : input.moves) {
    if (MoveLength(m) < shortest) continue;
    Segment s = m;
    s.StartPt = at;
    s.EndPt = Shifted(m.EndPt, d);
    s.MidPt = Shifted(m.MidPt, d);
    s.Center = Shifted(m.Center, d);
    at = s.EndPt;
    moves.push_back(s);
  }
  return moves;
}

Dialect DialectFromName(std::string_view name) {
  if (name == kDialectLinuxCnc) return Dialect::LinuxCnc;
  if (name == kDialectFanuc) return Dialect::Fanuc;
  throw PostError(fmt::format("unknown post dialect \"{}\": use \"{}\" or \"{}\"", name,
                              kDialectLinuxCnc, kDialectFanuc));
}

std::string_view DialectName(Dialect dialect) {
  return dialect == Dialect::Fanuc ? kDialectFanuc : kDialectLinuxCnc;
}

bool EndsPlunge(const std::vector<Segment>& moves, size_t index) {
  if (index >= moves.size()) return false;
  const Segment& cut = moves[index];
  if (!IsCutting(cut) || cut.Phase != kPhaseRoughing) return false;
  if (index + 2 >= moves.size()) return true;
  const Segment& back = moves[index + 1];
  const Segment& next = moves[index + 2];
  if (IsCutting(back) || !IsCutting(next) || next.Phase != kPhaseRoughing) return true;
  // The next peck goes on along the same line in the same sense.
  const double dx = cut.EndPt.x - cut.StartPt.x;
  const double dy = cut.EndPt.y - cut.StartPt.y;
  const double length = std::hypot(dx, dy);
  if (length < kEps) return true;
  const double ox = next.StartPt.x - cut.StartPt.x;
  const double oy = next.StartPt.y - cut.StartPt.y;
  const double across = std::fabs(dx * oy - dy * ox) / length;
  const double nx = next.EndPt.x - next.StartPt.x;
  const double ny = next.EndPt.y - next.StartPt.y;
  return !(across < kEps && dx * nx + dy * ny > 0.0);
}

double MoveLength(const Segment& move) {
  const double chord = std::hypot(move.EndPt.x - move.StartPt.x, move.EndPt.y - move.StartPt.y);
  if (!move.IsArc()) return chord;
  if (chord < kCircleEps) return 0.0;
  const double radius =
      std::hypot(move.StartPt.x - move.Center.x, move.StartPt.y - move.Center.y);
  const double a0 = std::atan2(move.StartPt.y - move.Center.y, move.StartPt.x - move.Center.x);
  const double a1 = std::atan2(move.EndPt.y - move.Center.y, move.EndPt.x - move.Center.x);
  const double turn = 2.0 * std::numbers::pi;
  double sweep = move.Direction == 1 ? a1 - a0 : a0 - a1;
  sweep = std::fmod(sweep, turn);
  if (sweep < 0.0) sweep += turn;
  return radius * sweep;
}

CycleTime EstimateCycleTime(const PostInput& input, double rapidRate, double plungeDwell) {
  if (!(rapidRate > 0.0) || !std::isfinite(rapidRate)) {
    throw PostError("the rapid rate must be more than zero");
  }
  if (!(plungeDwell >= 0.0) || !std::isfinite(plungeDwell)) {
    throw PostError("the dwell at the bottom of a plunge must be zero or more seconds");
  }
  CycleTime t;
  for (size_t i = 0; i < input.moves.size(); ++i) {
    const Segment& m = input.moves[i];
    const double length = MoveLength(m);
    if (RunsAtFeed(m)) {
      t.cuttingLength += length;
      // A feed per revolution runs at the phase's spindle speed.
      const double perMinute = input.feedPerRevolution
                                   ? FeedOf(input, m) * static_cast<double>(SpeedOf(input, IsFinishing(m)))
                                   : FeedOf(input, m);
      t.cuttingMinutes += length / perMinute;
    } else {
      t.rapidLength += length;
    }
    if (plungeDwell > 0.0 && EndsPlunge(input.moves, i)) t.dwellMinutes += plungeDwell / 60.0;
  }
  t.rapidMinutes = t.rapidLength / rapidRate;
  t.minutes = t.cuttingMinutes + t.rapidMinutes + t.dwellMinutes;
  return t;
}

std::string PostProcess(const PostInput& input, const PostOptions& options) {
  return ProgramWriter({input}, options).Write();
}

std::string PostProcess(const std::vector<PostInput>& operations, const PostOptions& options) {
  if (operations.empty()) throw PostError("a program needs at least one operation");
  return ProgramWriter(operations, options).Write();
}

}  // namespace sulkor
