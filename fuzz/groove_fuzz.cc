// Fuzz target: the whole groove command in process on any bytes as the part drawing, for each
// of the four kinds of groove: the drawing read, the part set up, a tool put in the tool table,
// the operation created on the "WorkContour" and run, the result written as DXF. Every input must end in a result or a
// refusal (an error of this system or a message box), never a crash, hang or leak.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

#include "host/dxf/dxf_file.h"
#include "host/memory/memory_graphic_set.h"
#include "host/dxf/part_from_drawing.h"
#include "host/memory/recording_message_box.h"
#include "host/memory/scene.h"
#include "sulkor/error.h"
#include "sulkor/groove.h"

namespace {

using namespace sulkor;

struct Box {
  double minZ = 1e300, maxZ = -1e300, minR = 1e300, maxR = -1e300;
};

// The extent of a graphic's vertices: x along the axis, y the radius.
Box BoxOf(const Handle<Graphic>& graphic) {
  Box box;
  Handle<Vertices> vertices = graphic->VertexCollection();
  for (int32_t i = 0; i < vertices->Count(); ++i) {
    Handle<Vertex> v = vertices->Item(i);
    box.minZ = std::min(box.minZ, v->X());
    box.maxZ = std::max(box.maxZ, v->X());
    box.minR = std::min(box.minR, v->Y());
    box.maxR = std::max(box.maxR, v->Y());
  }
  return box;
}

// One groove of the kind (type, direction) on the drawing. A front-face groove starts in front
// of the face below the work contour, a back-face groove behind the part above the blank; a
// turned one from the default start point.
void RunGroove(std::string_view text, const char* type, const char* direction) {
  host::MemoryHost host = host::BuildMemoryHost();
  host.environment->messageBox = std::make_shared<host::RecordingMessageBox>();
  host::ImportDxfText(text, "fuzz.dxf", *host.Drawing());
  const host::DrawingPart part = host::SetUpPartFromDrawing(host, "fuzz.dxf");
  host::SceneTool tool;
  tool.width = 3.0;
  tool.cornerRadius = 0.2;
  host::AddTool(*host.store, tool);
  Groove groove(host.environment);
  groove.SetParameter("ToolNumber", Variant(int32_t{1}));
  groove.SetParameter("CAM_TurningTrajectoryType", Variant(type));
  groove.SetParameter("CAM_TurningDirection", Variant(direction));
  if (std::string_view(type) == "Face") {
    const Box blank = BoxOf(part.blank);
    const Box work = BoxOf(part.workContour);
    const bool front = std::string_view(direction) == "Internal";
    const double radius = front ? std::max(0.0, work.minR - 10.0) : blank.maxR + 10.0;
    groove.SetParameter("CAM_TurningStartPointX", Variant(2.0 * radius));  // a diameter
    groove.SetParameter("CAM_TurningStartPointZ",
                        Variant(front ? blank.maxZ + 10.0 : blank.minZ - 10.0));
  }
  auto selection = std::make_shared<host::MemoryGraphicSet>();
  selection->Add(part.workContour);
  const Handle<BlockSet> operation = groove.CreateBlockSet(Handle<GraphicSet>(selection));
  if (!operation) return;
  if (part.lastPartBlank) operation->GraphicGroup()->Children()->AddGraphic(part.lastPartBlank);
  if (groove.DoGroove(operation)) (void)host::ExportDxfText(*host.Drawing());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // All four kinds: outside diameter, bore, back face, front face.
  for (const auto& [type, direction] : {std::pair{"Turn", "External"}, {"Turn", "Internal"},
                                        {"Face", "External"}, {"Face", "Internal"}}) {
    try {
      RunGroove(text, type, direction);
    } catch (const sulkor::Error&) {
      // A drawing that is no part, or geometry the groove refuses.
    }
  }
  return 0;
}
