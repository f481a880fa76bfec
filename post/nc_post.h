// The NC post-processor: turns an operation's tool path into a lathe program, in the LinuxCNC
// dialect or a Fanuc-style lathe dialect, and estimates the program's cycle time.
//
// Coordinates. The drawing holds a lathe profile in its x-y plane: x runs along the spindle axis
// (the machine's Z) and y is the distance from the axis (the machine's X as a radius). Both
// dialects program X as a diameter (LinuxCNC in G7 diameter mode; a Fanuc lathe always) and Z
// as it stands; arc centres are given incrementally from the arc's start, I along X as a radius
// (neither LinuxCNC's G7 nor a Fanuc lathe doubles I) and K along Z.
//
// Arc sense. G2 and G3 are clockwise and counterclockwise seen from the machine's +Y axis, and
// +Y = Z x X on every lathe. A drawing with Z to the right and X (the radius) upwards is the view
// from +Y, whichever side of the spindle the tool post sits on: on a rear tool post +X points
// away from the operator and +Y up, on a front tool post +X points towards the operator and +Y
// down. So a counterclockwise arc of the drawing is G3 for both; only what the operator sees from
// above differs (on a front tool post G2 looks counterclockwise). The tool-post side is therefore
// recorded in the program's header for the reader and changes no motion word.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "contour/records.h"
#include "operation/operation_state.h"
#include "operation/work_kind.h"
#include "sulkor/error.h"

namespace sulkor {

// A post input or option that no program can be written for: an unknown dialect name, a tool
// number the dialect cannot call, a cutting move without a feed, a rapid rate of zero.
class PostError : public Error {
 public:
  using Error::Error;
};

enum class NcUnits : uint8_t { Millimetre, Inch };

// What the post needs of an operation, and nothing of the host: the moves of its tool path in
// drawing units (x along the axis, y the radius; each with its Kind, Center, Direction, MoveType
// and Phase), feeds per minute and spindle speeds in revolutions per minute for roughing and
// finishing, the units, the tool number and the start point (x along the axis, y the radius).
struct PostInput {
  std::vector<Segment> moves;
  // The feeds are per minute, or per revolution when this is set (G95 / G99).
  bool feedPerRevolution = false;
  double roughFeed = 0.0;
  double roughSpeed = 0.0;
  double finishFeed = 0.0;
  double finishSpeed = 0.0;
  NcUnits units = NcUnits::Millimetre;
  int32_t toolNumber = 1;
  Point3 start;
  // The insert, in drawing units, and the kind of work, which place the insert's tips relative
  // to the path's reference point (toolpath/machining_check.h); a left-hand tool turns the
  // spindle M4.
  double toolWidth = 0.0;
  double cornerRadius = 0.0;
  WorkKind kind = WorkKind::OutsideDiameter;
  bool leftHand = false;
};

// The post input of an operation whose tool path has been computed: its moves, Feed and Speed
// for roughing, CAM_TurningFinishFeed and CAM_TurningFinishSpeed for finishing, the units of its
// last run (the data store's CAM_UnitsSystem: 1 inch, else millimetres; the tool and the feeds
// follow the same setting), the tool number and the start point (StartPointX is a diameter).
PostInput PostInputFromOperation(const OperationState& state);

enum class Dialect : uint8_t { LinuxCnc, Fanuc };

inline constexpr std::string_view kDialectLinuxCnc = "linuxcnc";
inline constexpr std::string_view kDialectFanuc = "fanuc";

// The dialect of an exact, lower-case name ("linuxcnc" or "fanuc"); any other name is a
// PostError that names it and the two known ones.
Dialect DialectFromName(std::string_view name);
std::string_view DialectName(Dialect dialect);

// The side of the spindle the tool works from. Rear: the tool behind the spindle axis, +X away
// from the operator (slant-bed turning centres, the common CNC lathe). Front: the tool between
// the operator and the axis, +X towards the operator (most lathes converted to CNC).
enum class ToolPost : uint8_t { Rear, Front };

// The point of the insert the program drives. The path is computed for the centre of the corner
// radius on the low side of the cross axis (Z for a diameter groove, X for a face groove); the
// usual touch-off points are the insert's tips: the sharp corner its cutting edge makes with its
// low or its high flank, r (and w - r) away from that centre.
enum class InsertReference : uint8_t { Centre, TipLow, TipHigh };

enum class Coolant : uint8_t { Off, Flood, Mist };

// Where the tool goes before its tool call and at the end of the program: nowhere, the machine's
// reference (LinuxCNC G28, Fanuc G28 U0 W0), or a position of the part's coordinates.
enum class HomeKind : uint8_t { None, MachineReference, Position };

struct PostOptions {
  Dialect dialect = Dialect::LinuxCnc;
  ToolPost toolPost = ToolPost::Rear;

  // A dwell at the bottom of every plunge, in seconds; 0 writes none, so the program runs the
  // path exactly as computed.
  double plungeDwell = 0.0;
  int32_t programNumber = 1;  // the Fanuc program number (O0001); LinuxCNC has none
  InsertReference reference = InsertReference::Centre;
  // Constant surface speed (G96) in m/min (mm programs) or ft/min (inch programs) with the
  // spindle limited to maxRpm; 0 programs the spindle in revolutions per minute (G97).
  double surfaceSpeed = 0.0;
  double maxRpm = 0.0;
  Coolant coolant = Coolant::Off;
  HomeKind home = HomeKind::None;
  Point3 homePosition;  // x along the axis, y the radius
};

// The lathe program of the input, one block a line ending in '\n':
//   LinuxCNC: a header comment and one per tool saying which point of the insert the program
//             drives and how to set the tool offset; G18 G21|G20 G7 G90 G94|G95 G40 G49; the
//             home move; T<n> M6 G43; G97 S<rpm> M3|M4 or G96 D<max rpm> S<surface speed>
//             M3|M4; M8|M7; G0 to the start point; the moves; M9; the home move; M5; M2.
//   Fanuc:    %; O<nnnn> with a header comment and the insert's comments; G18 G21|G20 G40
//             G98|G99; the home move; T<nn><nn>; G97 S<rpm> M03|M04 or G50 S<max rpm> and
//             G96 S<surface speed> M03|M04; M08|M07; G00 to the start point; the moves; M09;
//             the home move; M05; M30; %. (No G90: in a Fanuc lathe's G-code system A, G90 is
//             the turning cycle; X and Z are absolute by their address.)
// The path is shifted to the insert's point that the options name (ReferenceShift), moves
// shorter than 1e-4 mm are left out (ProgramMoves); M4 turns the spindle for a left-hand tool.
// Positioning lines are rapids (G0/G00), cutting lines G1/G01 and arcs G2/G3 (G02/G03) with I
// and K; a positioning arc, which a rapid cannot follow, is written as an arc at the roughing
// feed. A move marked finishing runs at the finishing feed and speed, every other move that
// runs at a feed at the roughing ones; F is written when the feed changes and S on a block of its
// own when the speed changes. An arc whose end prints at its start point is written as a line,
// never as the full circle a control would make of it. Numbers carry as many decimals as the
// control resolves (LinuxCNC 4 in millimetres, 5 in inch; Fanuc 3 and 4) with trailing zeros
// dropped; Fanuc numbers keep their decimal point. Throws PostError for a tool number the
// dialect cannot call (below 1; above 99 for Fanuc), a cutting move with a feed that is not
// above zero, a negative or non-finite dwell, or a program number outside 1..9999.
std::string PostProcess(const PostInput& input, const PostOptions& options);

// The offset from the path's reference point to the point the options drive, in drawing
// coordinates.
Point3 ReferenceShift(const PostInput& input, InsertReference reference);

// The moves as the program writes them: shifted to the reference and with every move shorter
// than 1e-4 mm left out (the next one starts where it ended).
std::vector<Segment> ProgramMoves(const PostInput& input, InsertReference reference);

// One program of several operations in their order, as above: the set-up once, then for every
// operation its tool call, spindle start, rapid to its start point and moves (the spindle
// stopped before each tool change after the first), then the end. Throws PostError as above,
// for no operation at all, and for operations in different units.
std::string PostProcess(const std::vector<PostInput>& operations, const PostOptions& options);

// Whether move `index` of the input ends at the bottom of a plunge: a roughing cut that is not
// followed, after one positioning back-off, by another roughing cut along the same line. The
// dwell is written after these moves.
bool EndsPlunge(const std::vector<Segment>& moves, size_t index);

// The length of one move: a line's chord, an arc's radius times its sweep in its direction.
double MoveLength(const Segment& move);

struct CycleTime {
  double cuttingLength = 0.0;  // drawing units, at the feeds (cutting moves and any arc)
  double rapidLength = 0.0;    // drawing units, at the rapid rate
  double cuttingMinutes = 0.0;
  double rapidMinutes = 0.0;
  double dwellMinutes = 0.0;
  double minutes = 0.0;  // the sum of the three
};

// The time the program takes: every feed move's length over its phase's feed, the rapids
// (from the start point on; the move to the start point is not known) over `rapidRate` in drawing
// units per minute, and `plungeDwell` seconds at the bottom of every plunge. Throws PostError for
// a rapid rate or a feed that is not above zero.
CycleTime EstimateCycleTime(const PostInput& input, double rapidRate, double plungeDwell = 0.0);

}  // namespace sulkor
