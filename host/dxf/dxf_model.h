// What the reader takes out of a DXF file: the units, the layers, the drawing entities of the
// ENTITIES section and of the blocks, and the GROUP objects, in file order, with the line each
// starts on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sulkor::host {

// Insert: a block reference, expanded into world entities after reading. Unsupported: a curve
// that the outline cannot hold (SPLINE, ELLIPSE), kept only to be named when it stands in one.
enum class DxfType : uint8_t { Line, Arc, Circle, Polyline, Hatch, Insert, Unsupported };

// A polyline vertex; bulge is tan(sweep / 4) of the arc to the next vertex, positive for a
// counterclockwise arc, 0 for a line.
struct DxfVertex {
  double x = 0.0;
  double y = 0.0;
  double bulge = 0.0;
};

// A hatch boundary path: polyline paths keep their vertices, edge paths are turned into
// vertices with bulges (line and circular-arc edges).
struct DxfHatchLoop {
  std::vector<DxfVertex> vertices;
};

struct DxfEntity {
  DxfType type = DxfType::Line;
  int line = 0;  // line of the entity's "0" code
  std::string handle;
  std::string layer = "0";
  int colorIndex = 256;   // 256: by layer
  int32_t trueColor = -1; // 0xRRGGBB, -1 when absent
  double z = 0.0;         // elevation
  std::string typeName;   // the DXF entity name: "LINE", "SPLINE", ...
  // The extrusion direction: ARC, CIRCLE, LWPOLYLINE, POLYLINE and INSERT lie in the object
  // coordinate system it defines.
  double extrusionX = 0.0, extrusionY = 0.0, extrusionZ = 1.0;
  // LINE: (x1, y1) to (x2, y2). ARC and CIRCLE: centre (x1, y1), radius, angles in degrees
  // (counterclockwise from startAngle to endAngle).
  double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
  double radius = 0.0, startAngle = 0.0, endAngle = 0.0;
  // LWPOLYLINE and POLYLINE (read as one type).
  std::vector<DxfVertex> vertices;
  bool closed = false;
  // INSERT: the block, its insertion point (x1, y1), scale and rotation in degrees.
  std::string block;
  double scaleX = 1.0, scaleY = 1.0, rotation = 0.0;
  // HATCH.
  std::string pattern;
  bool solid = false;
  double patternScale = 1.0;
  double patternAngle = 0.0;
  int patternLines = 0;
  std::vector<DxfHatchLoop> loops;
};

struct DxfGroup {
  std::string handle;
  std::string name;  // from the group dictionary; empty when not named there
  std::vector<std::string> members;  // entity handles, as read
  std::vector<std::size_t> memberIndices;  // indices into entities, as written
};

struct DxfBlock {
  double baseX = 0.0, baseY = 0.0;
  std::vector<DxfEntity> entities;
};

struct DxfDocument {
  int insUnits = 0;  // $INSUNITS, 0 when absent
  int fileInsUnits = 0;  // $INSUNITS as the file gave it, before lengths were converted
  std::string version;  // $ACADVER
  std::vector<std::string> layers;
  std::map<std::string, int> layerColors;  // colour index of a layer written; 7 when absent
  std::vector<DxfEntity> entities;
  std::map<std::string, DxfBlock> blocks;  // by name, as read; empty once expanded
  std::vector<DxfGroup> groups;
};

}  // namespace sulkor::host
