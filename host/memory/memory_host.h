// This project's own host, in memory: everything a Groove object needs to run, with no
// application around it.
//
// The host objects:
//   MemoryApplication   the application ("Zentrix.Application.4"): one per host, with the active
//                       drawing; its CreateObject creates any object below through the registry.
//   MemoryDrawing       a drawing: properties ("LinearUnitName", "mm" when new), the brush
//                       collection ("SOLID" and the hatch "ANSI36") and the top-level graphics.
//   MemoryGraphic       a graphic: a group, a polyline, a line, an arc or a circle, with name,
//                       kind, pen properties, layer, fill brush, vertices and children
//                       (memory_graphic.h says how arcs and circles are held in vertices).
//   MemoryGraphics      the collection of a drawing's top-level graphics or of a graphic's
//                       children: the graphic factory (Add, AddArcThroughPoints, ...).
//   MemoryGraphicSet    the graphics a user selected: a block set's contour set.
//   MemoryDataStore     the CAM data store ("Ordrel.CAMDataStoreImpl"): one per host, whoever
//                       creates it; parts, the tool table, settings ("CAM_UnitsSystem") and the
//                       ordered list of block sets.
//   MemoryBlockSet      an operation ("Ordrel.CAMBlockSetImpl"): created free, it joins the
//                       store's list when initialized and gets a graphic group then: a plain
//                       graphic named "Operation <identifier>" among the active drawing's
//                       top-level graphics.
//   MemoryPart, MemoryToolTable, MemoryTool   the store's parts and tools.
//   MemoryEventsSite    the palette's events site ("Tinlow.DataStoreEventsSite"): one per host,
//                       recording the block sets it is told were deleted.
//   scratch graphic     "Zentrix.Graphic.4": a new graphic in no collection, in the context of the
//                       active drawing; its children collection is a factory for new graphics.
//   RecordingMessageBox the message sink, recording (prompt, title) pairs.
// The geometry services are ExactGeometryServices.
#pragma once

#include <memory>
#include <string_view>

#include "host/memory/memory_data_store.h"
#include "host/memory/memory_drawing.h"
#include "host/memory/memory_graphic.h"
#include "host/memory/memory_graphic_set.h"
#include "host/memory/recording_message_box.h"
#include "sulkor/environment.h"

namespace sulkor::host {

inline constexpr std::string_view kOperationGroupPrefix = "Operation ";

// A running in-memory host with typed access to its parts, for tests and the command line.
struct MemoryHost {
  std::shared_ptr<HostEnvironment> environment;
  std::shared_ptr<MemoryApplication> application;
  std::shared_ptr<MemoryDataStore> store;
  std::shared_ptr<MemoryEventsSite> eventsSite;
  std::shared_ptr<RecordingMessageBox> messages;  // the environment's message box

  // The active drawing.
  std::shared_ptr<MemoryDrawing> Drawing() const { return application->Active(); }
};

// A new host: one data store, one application with an active drawing, a recording message box,
// the ProgIDs registered and the exact geometry services.
MemoryHost BuildMemoryHost();

// The environment of a new host (BuildMemoryHost().environment); the registry keeps the host's
// objects alive.
std::shared_ptr<HostEnvironment> MakeMemoryHost();

}  // namespace sulkor::host
