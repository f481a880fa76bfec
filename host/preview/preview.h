// Pictures of a drawing: PNG, SVG or PDF, in the lathe's view (the axis horizontal, x along it,
// the radius y upward), fitted to the drawing's box with a margin.
//
// What is painted follows the graphics themselves, not their meaning in an operation: every
// graphic with geometry is drawn in its pen colour (made lighter or darker where it would vanish
// against the background); a closed graphic with a pattern brush ("ANSI36") is hatched with
// 45-degree dash-dot lines, spaced by its "BrushScale" but kept 6 to 14 pixels apart so that the
// hatch reads at any size; one with the brush "SOLID" is filled, one without a brush tinted as
// material. Graphics are stacked by name: the material and outlines first, then
// the hatched areas, the finished profile ("WorkContour") and on top the tool path
// ("Trajectory"). Below the picture a footer holds a scale bar of a round length (1, 2 or 5 times
// a power of ten) with the drawing's unit ("LinearUnitName") and a legend of what is drawn.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "kernel/arc_vertices.h"
#include "sulkor/drawing.h"
#include "sulkor/error.h"

namespace sulkor::host {

// A preview that cannot be made: an empty drawing, a drawing of one point, a file type that is
// not known, a file that cannot be written. The message names the file where there is one,
// e.g. "part.bmp: unknown preview type \".bmp\"; use .png, .svg or .pdf".
class PreviewError : public Error {
 public:
  using Error::Error;
};

enum class PreviewFormat : uint8_t { Png, Svg, Pdf };

// A legend text for the graphics of one name, or of one pen colour (name empty) whatever their
// name: a caller that knows what its colours mean ("rapid", "feed") says so here.
struct PreviewLabel {
  std::string name;
  int32_t color = -1;  // red + 256 * green + 65536 * blue; -1: any colour
  std::string text;
};

// A grooving insert drawn where the tool stands: its reference point (the centre of its corner
// radius on the low side of the cross axis), u the cross axis from there, v against the plunge
// sense; the other corner's centre lies width - 2 r along u, the cutting edge r beyond both
// centres against v, the body bodyLength along v.
struct PreviewInsert {
  Point2 reference;
  Point2 u{1.0, 0.0};
  Point2 v{0.0, 1.0};
  double width = 0.0;
  double cornerRadius = 0.0;
  double bodyLength = 0.0;
};

struct PreviewOptions {
  int width = 1200;  // pixels for PNG and SVG, points for PDF
  int height = 0;    // of the drawing area above the footer; 0: from the drawing's proportions
  int32_t background = 0x2a2622;  // a dark slate (drawing colour: blue in the high byte)
  bool centreLine = true;  // the lathe axis (y = 0) as a dash-dot line where it is in view
  bool legend = true;
  std::vector<PreviewLabel> labels;  // before the built-in texts of the known names
  // Tool-path moves of this pen colour (the positioning moves) are drawn dashed and below the
  // others; -1: none.
  int32_t dashedColor = -1;
  std::vector<PreviewInsert> inserts;  // drawn on top, with the legend entry "insert"
  // The part of the drawing to show (lower left, upper right); empty: everything.
  std::optional<std::pair<Point2, Point2>> view;
  // The picture at a drawing scale on paper (SVG and PDF): 1:1 where that fits 40 to 400 mm
  // across, else the nearest of 1:2, 1:5, 1:10, ... or 2:1, 5:1, 10:1, ...; the footer states it.
  // Picture units are then points (1/72 in) and an SVG is sized in millimetres.
  bool paperScale = false;
};

// The map from drawing coordinates to the picture's (pixels, y downward) and back.
struct PreviewTransform {
  double scale = 1.0;  // picture units per drawing unit
  double originX = 0.0;  // picture position of the drawing's origin
  double originY = 0.0;

  Point2 ToPicture(Point2 p) const { return {originX + scale * p.x, originY - scale * p.y}; }
  Point2 ToDrawing(Point2 q) const { return {(q.x - originX) / scale, (originY - q.y) / scale}; }
};

// Where things go in a picture of the drawing.
struct PreviewLayout {
  int width = 0;  // the whole picture
  int height = 0;
  int areaHeight = 0;  // the drawing area, from the top; the footer lies below it
  PreviewTransform transform;
  double scaleBarLength = 0.0;  // in drawing units
  std::string unit;             // "mm" or "in" (the drawing's unit name)
  std::string paperScale;       // "1:1", "1:2", "5:1", ... on paper; empty on screen
  // The legend's texts in the order shown: one per name and pen colour, stacked as painted.
  // A caller's label wins over the built-in text of a name; a name in several colours without a
  // label of its own tells them apart by colour ("tool path (yellow)").
  std::vector<std::string> legend;
};

// The round length for a scale bar under a drawing width: the largest 1, 2 or 5 times a power
// of ten that is at most a quarter of the width. Throws PreviewError when the width is not a
// positive finite number.
double ScaleBarLength(double drawingWidth);

// The format named by the file's extension (.png, .svg, .pdf, in any case). Throws PreviewError
// naming the file for any other.
PreviewFormat PreviewFormatFor(std::string_view path);

// The layout the renderer uses for this drawing and options. Throws PreviewError when the drawing
// has nothing to draw or its box is a single point, or when the options' sizes are outside 16 to
// 10000.
PreviewLayout LayoutPreview(Drawing& drawing, const PreviewOptions& options);

// The picture as the bytes of a file of the format, SVG and PDF at a scale on paper. Throws
// PreviewError as LayoutPreview, and sulkor::Error when a graphic's vertices do not describe its
// geometry.
std::string RenderPreviewData(Drawing& drawing, PreviewFormat format,
                              const PreviewOptions& options);

// Writes the picture to path, in the format of its extension: whole or not at all (a temporary
// file beside it, renamed into place). Throws PreviewError naming the file when the type is not
// known, the drawing cannot be drawn or the file cannot be written.
void RenderPreview(Drawing& drawing, const std::string& path, const PreviewOptions& options);

}  // namespace sulkor::host
