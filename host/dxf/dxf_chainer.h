// Turns the entities of a DXF file (in world coordinates: dxf_world.h) into the graphics of a
// drawing.
//
//   $INSUNITS 1 / 4          the drawing's "LinearUnitName" "in" / "mm" (others leave it)
//   layer "WorkContour"      its lines, arcs and polylines chained into one graphic "WorkContour"
//   layer "LastPartBlank"    chained into one closed graphic "LastPartBlank"
//   layer "DATA"             each chain a graphic "DATA"
//   layer "CAMOperations"    what an earlier run wrote: its GROUP objects come back as the
//                            "Trajectory" group (lines, arcs, circles), the hatched
//                            "RemovedMaterial" and the "LastPartBlank" outline
//   any other layer          the part blank: the one closed chain (on the layer the options
//                            name, or reaching the work contour when there are several), a
//                            graphic named after its layer; open chains, other closed chains,
//                            splines and ellipses are left out with a note, kept in the group
//                            "LeftOut" for the drawing written after the run
//
// Layer names are compared without regard to case. A SPLINE or ELLIPSE on the work contour's,
// the stock's or the blank's layer is refused, named with its handle.
//
// Pieces are chained end to end where their ends meet within 1e-6, reversed where needed, in file
// order; a polyline's bulges become arcs; a circle is a chain of its own. Every graphic keeps
// the layer it came from and, where the entity has one, its colour as "PenColor".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "contour/records.h"
#include "host/dxf/dxf_model.h"
#include "sulkor/drawing.h"

namespace sulkor::host {

// The segments of a polyline: lines, and arcs where a vertex has a bulge; closed polylines run
// back to their first vertex. Vertices closer than 1e-9 to the next are passed over.
Contour PolylineContour(const std::vector<DxfVertex>& vertices, bool closed);

inline constexpr std::string_view kDxfGroupLeftOut = "LeftOut";

struct DxfImportOptions {
  std::string blankLayer;  // empty: the blank is found as the header says
};

enum class DxfChainRole : uint8_t { WorkContour, LastPartBlank, Data, Blank, Ignored };

// "work contour", "part blank", "left out", ...
std::string_view ChainRoleName(DxfChainRole role);

struct DxfLayerCount {
  std::string name;
  int entities = 0;  // lines, arcs, circles, polylines, hatches, splines and ellipses read
};

struct DxfChainInfo {
  std::string layer;
  bool closed = false;
  int pieces = 1;  // entities chained
  int firstLine = 0;
  double minX = 0.0, minY = 0.0, maxX = 0.0, maxY = 0.0;
  DxfChainRole role = DxfChainRole::Ignored;
};

struct LaidChain {
  Contour contour;
  const DxfEntity* first = nullptr;
  bool circle = false;
};

// What a drawing holds and what each chain would be: the first reason it cannot be used
// (empty when it can) and the notes on what is left out.
struct DxfLayout {
  int insUnits = 0;      // of the drawing: 1 inch, 4 or 0 millimetres
  int fileInsUnits = 0;  // as the file gave them
  std::vector<DxfLayerCount> layers;
  std::vector<DxfChainInfo> chains;
  std::vector<LaidChain> contours;  // beside chains, index for index
  std::string problem;
  int problemLine = 0;
  std::vector<std::string> notes;
};

DxfLayout PlanDxf(const DxfDocument& doc, const DxfImportOptions& options = {});

// Adds the graphics of doc to the drawing's top-level graphics and sets its unit; returns the
// notes on what was left out. Throws DxfError naming file for an open part blank, no blank or
// several, a "WorkContour" that is missing or not one chain, a spline in the outline, and
// entities whose geometry is degenerate.
std::vector<std::string> AddDxfToDrawing(const DxfDocument& doc, std::string_view file,
                                         Drawing& drawing, const DxfImportOptions& options = {});

}  // namespace sulkor::host
