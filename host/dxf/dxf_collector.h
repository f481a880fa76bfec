// Collects a drawing's graphics into a DxfDocument for writing: every polyline, line, arc and
// circle of the graphics tree with its layer and colour, a hatch for every polyline with a
// pattern brush, and a group for each graphic named "Trajectory", "RemovedMaterial" or
// "LastPartBlank" holding the entities made from it.
//
// Layers: a graphic's own layer, else the layer of the nearest group above it that has one, else
// "CAMOperations" inside one of the three named graphics, else the graphic's name (so that a
// blank named "Blank" comes back as a part blank), else "0". Characters a layer name may not
// hold become '_'.
#pragma once

#include "host/dxf/dxf_model.h"
#include "sulkor/drawing.h"

namespace sulkor::host {

struct DxfWriteOptions {
  // The graphics of the three named groups on layers of their own, coloured by layer:
  // "CAM_Positioning" (yellow) and "CAM_Cutting" (red) for the tool path, "CAM_RemovedMaterial"
  // (green) and "CAM_Stock" (blue), in place of "CAMOperations".
  bool splitLayers = false;
};

// The units come from "LinearUnitName": "in" (or the inch mark) gives $INSUNITS 1, anything else
// 4 (millimetres). Throws sulkor::Error (HostError, GeometryError) when a graphic's vertices do
// not describe its arcs.
DxfDocument CollectDrawing(Drawing& drawing, const DxfWriteOptions& options = {});

}  // namespace sulkor::host
