// The plain value interface: a groove request in, a result out, with no host objects in sight.
//
// Geometry is given and returned as chains of lines and arcs in drawing units, in the lathe's
// drawing plane: x runs along the axis of rotation (the machine's Z), y is the radius (the
// machine's X as a radius).
//
// RunGroove runs the very same engine as the Groove object: it builds the part, the tool and the
// operation in the built-in memory host, exactly as the `sulkor groove` command does for a
// drawing, and calls DoGroove; the result is what DoGroove computed, move for move.
//
// Thread safety: every call builds its own host and shares nothing with any other call, so
// independent requests may run at the same time on as many threads as wanted. A GrooveResult is a
// value; the functions below only read it and may be called on one result from several threads.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sulkor {

// A point of the drawing plane: x along the axis, y the radius.
struct Point {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const Point&, const Point&) = default;
};

enum class ElementKind : uint8_t { Line, Arc };

// One line or arc of a chain, in its direction of travel. An arc runs around `center`,
// counterclockwise for direction 1 and clockwise for -1; a line ignores both.
struct Element {
  ElementKind kind = ElementKind::Line;
  Point start;
  Point end;
  Point center;
  int direction = 1;

  static Element Line(Point from, Point to) { return {ElementKind::Line, from, to, {}, 1}; }
  static Element Arc(Point from, Point to, Point around, int turning) {
    return {ElementKind::Arc, from, to, around, turning};
  }
  friend bool operator==(const Element&, const Element&) = default;
};

// Elements in order, each starting where the one before ends; closed when the last ends where
// the first starts.
using Chain = std::vector<Element>;

// An open chain of lines through the points; a closed one when the last point repeats the first.
Chain Polyline(const std::vector<Point>& points);

enum class Units : uint8_t { Millimetre, Inch };

// The four kinds of work.
enum class GrooveKind : uint8_t { OutsideDiameter, Bore, FrontFace, BackFace };

// "outside diameter", "bore", "front face", "back face".
std::string_view GrooveKindName(GrooveKind kind);

// The grooving insert, its sizes in the request's units: width w and the radius r of its two
// corners. `number` is its place in the tool table and the T word of the program.
struct GroovingTool {
  double width = 3.0;
  double cornerRadius = 0.2;
  int32_t number = 1;
};

// The cutting data. Every value left empty takes the operation's default for the units (feeds
// in drawing units per minute, speeds in revolutions per minute).
struct CuttingData {
  std::optional<double> feed;             // roughing
  std::optional<double> speed;
  std::optional<double> depthPerPass;     // the depth of one peck
  std::optional<double> finishAllowance;  // left by the roughing for the finishing pass
  std::optional<double> finishFeed;
  std::optional<double> finishSpeed;
};

// Where the tool starts and ends: the diameter (the machine's X) and the position along the
// axis (Z).
struct StartPoint {
  double diameter = 0.0;
  double z = 0.0;
};

struct GrooveRequest {
  Chain blank;    // the stock outline: a closed chain
  Chain profile;  // the finished profile of the groove: an open chain, its ends outside the blank
  // The stock an earlier operation left, to start from instead of the blank: a closed chain.
  std::optional<Chain> stock;
  Units units = Units::Millimetre;
  GroovingTool tool;
  CuttingData cutting;
  // Empty: found from the geometry, by the side of the profile's end-to-end chord on which its
  // farthest point lies (below it: outside diameter, above it: bore; a chord across the axis:
  // front face when the profile reaches toward -x, back face when toward +x).
  std::optional<GrooveKind> kind;
  // Empty: one unit outside the blank's box (its largest diameter plus one, its right end plus
  // one), the operation's own default.
  std::optional<StartPoint> start;
};

enum class GrooveStatus : uint8_t {
  Done,            // the tool path was computed
  Refused,         // the operation refused the request with a message (e.g. no work area)
  Failed,          // the operation ended without a tool path and without a message
  InvalidRequest,  // the request itself is malformed (an empty chain, a tool without width)
};

// "done", "refused", "failed", "invalid request".
std::string_view GrooveStatusName(GrooveStatus status);

enum class MoveKind : uint8_t { Positioning, Cutting };
enum class MovePhase : uint8_t { Positioning, Roughing, Finishing };

// One move of the tool's reference point: the centre of the insert's corner radius on the low
// side of the cross axis.
struct Move {
  Element element;
  MoveKind kind = MoveKind::Positioning;
  MovePhase phase = MovePhase::Positioning;
  friend bool operator==(const Move&, const Move&) = default;
};

// What a machinist reads off the path. The cycle time assumes rapids at `rapidRate` drawing
// units per minute (10000 mm/min or 400 in/min); `timed` is false when a feed is not above zero.
struct GrooveSummary {
  int32_t plunges = 0;
  int32_t pecks = 0;
  int32_t moves = 0;
  double cuttingLength = 0.0;
  double rapidLength = 0.0;
  double rapidRate = 0.0;
  bool timed = false;
  double cycleMinutes = 0.0;
};

// The cutting data and start point the operation ran with, the defaults filled in.
struct GrooveSettings {
  double feed = 0.0;
  double speed = 0.0;
  double depthPerPass = 0.0;
  double finishAllowance = 0.0;
  double finishFeed = 0.0;
  double finishSpeed = 0.0;
  StartPoint start;
  int32_t toolNumber = 1;
};

struct RunRecord;  // the drawing after the run, for WriteDrawing and RenderPreview

struct GrooveResult {
  GrooveStatus status = GrooveStatus::Failed;
  // The operation's message as "TITLE: PROMPT" (one line each when it showed several), or what
  // is wrong with an invalid request; empty when done.
  std::string message;
  std::string detail;   // the reason with its numbers, where the operation gives one
  GrooveKind kind = GrooveKind::OutsideDiameter;
  Units units = Units::Millimetre;
  std::vector<Move> moves;
  Chain removed;    // the outline of the material the groove removes
  Chain remaining;  // the stock left after the groove
  GrooveSummary summary;
  GrooveSettings settings;
  std::shared_ptr<const RunRecord> record;

  bool Ok() const { return status == GrooveStatus::Done; }
};

// Runs the groove. Never throws for a request: a malformed one answers InvalidRequest with the
// reason as its message.
GrooveResult RunGroove(const GrooveRequest& request);

// A part drawing: the blank (the one closed outline on a layer of its own), the finished profile
// (layer "WorkContour") and, where the drawing holds one, the stock an earlier operation left
// ("LastPartBlank"), in the drawing's units.
struct PartDrawing {
  Units units = Units::Millimetre;
  Chain blank;
  Chain profile;
  std::optional<Chain> stock;
};

// Reads a DXF drawing. Throws sulkor::Error naming the file when it cannot be read or does not
// hold a part.
PartDrawing ReadDrawing(const std::string& path);

// The request for the drawing's groove: its blank, profile, stock and units.
GrooveRequest RequestFor(const PartDrawing& drawing);

// The drawing after a done run, as `sulkor groove` writes it: the remaining stock in place of
// the blank, and the tool path, removed material and starting stock on layer "CAMOperations".
// DrawingText answers the DXF text; WriteDrawing writes it to path whole or not at all. Both
// throw sulkor::Error for a result that is not done or a file that cannot be written.
std::string DrawingText(const GrooveResult& result);
void WriteDrawing(const GrooveResult& result, const std::string& path);

// The lathe program of a done result in a dialect, "linuxcnc" or "fanuc" (post/nc_post.h of the
// source says what is written). Throws sulkor::Error for another dialect, a result that is not
// done, or cutting data that no program can be written for.
std::string PostProgram(const GrooveResult& result, std::string_view dialect = "linuxcnc");

// The picture of the drawing after a done run, as the bytes of a "png", "svg" or "pdf" file,
// `width` pixels (points for PDF) wide. Throws sulkor::Error for another format or a result
// that is not done.
std::string RenderPreview(const GrooveResult& result, std::string_view format = "svg",
                          int width = 1200);

}  // namespace sulkor
