// A groove operation set up in a memory host from contours: the part with its blank, the tool in
// the tool table, the operation's block set with its group, and the selected work contour. The
// command line builds its jobs this way, and the tests build their drawings of real grooves.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "contour/records.h"
#include "host/memory/memory_host.h"

namespace sulkor::host {

// A grooving tool as the tool table holds it.
struct SceneTool {
  int32_t number = 1;
  double width = 3.0;
  double cornerRadius = 0.2;
  std::string measure = "mm";
  std::string subType = "Groove";
  std::string orientation;  // empty: the first operation decides
};

struct GrooveScene {
  MemoryHost host;
  std::shared_ptr<MemoryPart> part;
  Handle<Graphic> partGroup;
  Handle<Graphic> blank;
  Handle<Graphic> workContour;
  std::shared_ptr<MemoryBlockSet> blockSet;
  std::shared_ptr<MemoryGraphicSet> contourSet;
  std::shared_ptr<MemoryTool> tool;
};

// Adds to the collection a polyline of the contour's lines and arcs (arcs as arc-marked centre
// and quarter point before their end), closed when the contour closes within 1e-5.
Handle<Graphic> AddContourPolyline(Graphics& collection, const Contour& contour,
                                   std::string_view name);

// Puts the tool into the store's tool table.
std::shared_ptr<MemoryTool> AddTool(MemoryDataStore& store, const SceneTool& tool);

// A new operation of the scene's part: its block set (initialized, with its group), its contour
// set holding the work graphic, and the tool number.
std::shared_ptr<MemoryBlockSet> AddOperation(GrooveScene& scene, const Handle<Graphic>& workGraphic,
                                             int32_t toolNumber);

// A new host with a flat blank in the part group ("Blank"), the work contour as a graphic named
// "WorkContour" in the drawing, the tool, and one operation. units: "mm" or "in" for the
// drawing's linear unit; CAM_UnitsSystem follows it.
GrooveScene BuildGrooveScene(const Contour& blank, const Contour& work, const SceneTool& tool,
                             std::string_view units = "mm");

}  // namespace sulkor::host
