#include "host/dxf/part_from_drawing.h"

#include <string>
#include <vector>

#include "host/dxf/dxf_names.h"
#include "sulkor/drawing_unit.h"
#include "host/memory/memory_graphic.h"

namespace sulkor::host {
namespace {

constexpr std::string_view kPartGroupName = "Part";

bool IsPartBlank(Graphic& graphic) {
  const std::string name = graphic.Name();
  for (std::string_view reserved :
       {kDxfLayerWorkContour, kDxfLayerLastPartBlank, kDxfLayerData, kDxfGroupTrajectory,
        kDxfGroupRemovedMaterial}) {
    if (name == reserved) return false;
  }
  if (name.starts_with(kOperationGroupPrefix)) return false;
  if (graphic.Layer() == kDxfLayerCamOperations) return false;
  return graphic.Children()->Count() == 0 &&
         (graphic.Closed() || graphic.Kind() == kKindCircleGraphic);
}

}  // namespace

DrawingPart SetUpPartFromDrawing(MemoryHost& host, std::string_view file) {
  const std::string named = "\"" + std::string(file) + "\": ";
  Handle<Graphics> top = host.Drawing()->TopGraphics();
  DrawingPart result;
  result.workContour = top->ItemByName(kDxfLayerWorkContour);
  if (!result.workContour) throw HostError(named + "the drawing has no \"WorkContour\"");
  // Only a "LastPartBlank" of its own layer says where the operation starts. The one an earlier
  // run wrote on "CAMOperations" is the stock that run started from: it stays with that run's
  // output, and the part's blank (the stock the run left) is where this operation starts.
  for (int32_t i = 0; i < top->Count() && !result.lastPartBlank; ++i) {
    Handle<Graphic> g = top->Item(i);
    if (g->Name() == kDxfLayerLastPartBlank && g->Layer() != kDxfLayerCamOperations) {
      result.lastPartBlank = g;
    }
  }

  std::vector<int32_t> blanks;
  std::vector<int32_t> data;
  std::string blankNames;
  for (int32_t i = 0; i < top->Count(); ++i) {
    Handle<Graphic> g = top->Item(i);
    if (g->Name() == kDxfLayerData) {
      data.push_back(i);
    } else if (IsPartBlank(*g)) {
      blanks.push_back(i);
      blankNames += (blankNames.empty() ? "\"" : ", \"") + g->Name() + "\"";
    }
  }
  if (blanks.empty()) {
    throw HostError(named + "the drawing has no part blank (a closed outline on a layer of its own)");
  }
  if (blanks.size() > 1) {
    throw HostError(named + "the drawing has " + std::to_string(blanks.size()) +
                    " part blanks (" + blankNames + "); a groove is cut on one");
  }

  // Adding a graphic to the part's group takes it out of the top-level collection.
  std::vector<Handle<Graphic>> moving;
  for (int32_t index : data) moving.push_back(top->Item(index));
  result.blank = top->Item(blanks.front());
  moving.push_back(result.blank);
  result.partGroup = top->Add();
  result.partGroup->SetName(kPartGroupName);
  Handle<Graphics> children = result.partGroup->Children();
  for (const Handle<Graphic>& g : moving) children->AddGraphic(g);

  MemoryDataStore& store = *host.store;
  result.part = store.NewPart(result.partGroup);
  store.SetActivePart(result.part);
  const bool inch = ReadDrawingUnit(*host.Drawing()) == LinearUnit::Inch;
  store.SetSetting(kSettingUnitsSystem, Variant(int32_t{inch ? kUnitsSystemInch : kUnitsSystemMetric}));
  return result;
}

}  // namespace sulkor::host
