#include "host/memory/scene.h"

#include <cmath>

#include "contour/tolerances.h"
#include "kernel/arc_vertices.h"
#include "sulkor/drawing_unit.h"
#include "sulkor/graphic_names.h"
#include "sulkor/store_names.h"

namespace sulkor::host {
namespace {

void AddVertex(Vertices& vertices, double x, double y, bool arcMark) {
  Handle<Vertex> v = vertices.Add(x, y, 0.0);
  if (arcMark) v->SetArcMark(true);
}

}  // namespace

Handle<Graphic> AddContourPolyline(Graphics& collection, const Contour& contour,
                                   std::string_view name) {
  Handle<Graphic> polyline = collection.Add(kKindPolyline);
  polyline->SetName(name);
  Handle<Vertices> vertices = polyline->VertexCollection();
  if (contour.Empty()) return polyline;
  const Point3& first = contour.First().StartPt;
  AddVertex(*vertices, first.x, first.y, false);
  for (const Segment& s : contour.Segs) {
    if (s.IsArc()) {
      const Point2 q = QuarterPoint({s.StartPt.x, s.StartPt.y}, {s.Center.x, s.Center.y},
                                    s.Direction);
      AddVertex(*vertices, s.Center.x, s.Center.y, true);
      AddVertex(*vertices, q.x, q.y, true);
    }
    AddVertex(*vertices, s.EndPt.x, s.EndPt.y, false);
  }
  const Point3& last = contour.Last().EndPt;
  if (std::fabs(last.x - first.x) < kCloseGap && std::fabs(last.y - first.y) < kCloseGap) {
    polyline->SetClosed(true);
  }
  return polyline;
}

std::shared_ptr<MemoryTool> AddTool(MemoryDataStore& store, const SceneTool& tool) {
  auto t = std::make_shared<MemoryTool>();
  t->SetProperty(kToolType, Variant("Turning"));
  t->SetProperty(kToolSubType, Variant(tool.subType));
  t->SetProperty(kToolMeasure, Variant(tool.measure));
  t->SetProperty(kToolWidth, Variant(tool.width));
  t->SetProperty(kToolCornerRadius, Variant(tool.cornerRadius));
  t->SetProperty(kToolOrientation, Variant(tool.orientation));
  t->AllowOperation(kOperationTypeGroove);
  store.ToolList().SetTool(tool.number, t);
  return t;
}

std::shared_ptr<MemoryBlockSet> AddOperation(GrooveScene& scene, const Handle<Graphic>& workGraphic,
                                             int32_t toolNumber) {
  std::shared_ptr<MemoryBlockSet> op = scene.host.store->NewBlockSet();
  op->Initialize();
  op->SetPart(Handle<Part>(scene.part));
  auto set = std::make_shared<MemoryGraphicSet>();
  set->Add(workGraphic);
  op->SetContourSet(Handle<GraphicSet>(set));
  op->SetProperty(kParamToolNumber, Variant(toolNumber));
  return op;
}

GrooveScene BuildGrooveScene(const Contour& blank, const Contour& work, const SceneTool& tool,
                             std::string_view units) {
  GrooveScene scene;
  scene.host = BuildMemoryHost();
  MemoryDataStore& store = *scene.host.store;
  std::shared_ptr<MemoryDrawing> drawing = scene.host.Drawing();
  drawing->SetProperty(kLinearUnitName, Variant(units));
  store.SetSetting(kSettingUnitsSystem,
                   Variant(int32_t{LinearUnitOf(Variant(units)) == LinearUnit::Inch
                                           ? kUnitsSystemInch
                                           : kUnitsSystemMetric}));

  Handle<Graphics> top = drawing->TopGraphics();
  scene.partGroup = top->Add();
  scene.partGroup->SetName("Part");
  scene.blank = AddContourPolyline(*scene.partGroup->Children(), blank, "Blank");
  scene.part = store.NewPart(scene.partGroup);
  store.SetActivePart(scene.part);

  scene.workContour = AddContourPolyline(*top, work, kWorkContourName);
  scene.tool = AddTool(store, tool);
  scene.blockSet = AddOperation(scene, scene.workContour, tool.number);
  scene.contourSet = std::dynamic_pointer_cast<MemoryGraphicSet>(scene.blockSet->ContourSet().shared());
  return scene;
}

}  // namespace sulkor::host
