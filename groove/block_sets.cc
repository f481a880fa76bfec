#include "groove/block_sets.h"

#include "workarea/work_geometry.h"
#include "operation/host_objects.h"
#include "operation/messages.h"
#include "operation/parameters.h"
#include "groove/run_pipeline.h"
#include "operation/tool.h"
#include "output/graphic_builders.h"

namespace sulkor {
namespace {

void Finish(const Handle<GraphicSet>& set) {
  if (set) WithErrorsSuppressed([&] { set->Finish(); });
}

// Steps under the update's handler: the tool must be able to cut a groove and load.
bool CheckAndLoadTool(OperationState& state, const Handle<BlockSet>& camBSet,
                      Handle<GraphicSet>& contourSet) {
  Handle<DataStore> store = state.host->registry.CreateAs<DataStore>(kProgIdDataStore);
  Handle<ToolTable> tools = store->Tools();
  state.params.ToolNumber = camBSet->Property(kParamToolNumber).ToLong();
  Handle<Tool> tool = tools->ToolByNumber(state.params.ToolNumber);
  state.tool.SubType = tool->Property(kToolSubType).ToText();
  if (!tool->CanPerform(kOperationTypeGroove)) {
    ShowMessage(state.host.get(), ToolNotGrooveMessage(state.host.get(), state.tool.SubType));
    return false;
  }
  SetParameters(state.params, camBSet);
  if (!LoadTool(state, camBSet)) return false;
  contourSet = camBSet->ContourSet();
  return true;
}

// The remaining stock of this operation becomes the following operation's "LastPartBlank".
void HandStockOn(OperationState& state, const Handle<BlockSet>& camBSet) {
  Handle<DataStore> store;
  int32_t index = 0;
  int32_t count = 0;
  if (!WithErrorsSuppressed([&] {
        store = state.host->registry.CreateAs<DataStore>(kProgIdDataStore);
        index = camBSet->Index();
        count = store->BlockSetCount();
      }))
    return;
  if (index >= count - 1) return;  // the last operation

  Handle<BlockSet> next;
  int32_t nextId = 0;
  Handle<Graphics> nextGraphics;
  Handle<Graphic> oldBlank;
  // Every call below is its own step: a failing one is passed over and the next one runs.
  WithErrorsSuppressed([&] { next = store->BlockSetAt(index + 1); });
  if (!next) return;
  WithErrorsSuppressed([&] { nextId = next->Identifier(); });
  WithErrorsSuppressed([&] { nextGraphics = next->GraphicGroup()->Children(); });
  if (!nextGraphics) return;
  WithErrorsSuppressed([&] { oldBlank = nextGraphics->ItemByName(kLastPartBlankName); });
  if (!oldBlank) return;

  WithErrorsSuppressed([&] { nextGraphics->Remove(oldBlank->Index()); });
  WithErrorsSuppressed([&] { oldBlank->Delete(); });
  Handle<Graphic> stock;
  WithErrorsSuppressed([&] { stock = BuildPolyline(state, state.contours.remaining); });
  if (stock) {
    WithErrorsSuppressed([&] { stock->SetName(kLastPartBlankName); });
    WithErrorsSuppressed([&] { stock->SetProperty(kPenColor, Variant(kColorBlue)); });
    WithErrorsSuppressed([&] { stock->SetProperty(kPenWidth, Variant(int16_t{0})); });
    WithErrorsSuppressed([&] { stock->SetFillBrush(nullptr); });
    WithErrorsSuppressed([&] { stock->SetLayer(CamOperationsLayer()); });
    WithErrorsSuppressed([&] { stock->SetState(0); });
    WithErrorsSuppressed([&] { nextGraphics->AddGraphic(stock); });
  }

  bool updated = false;
  WithErrorsSuppressed([&] { updated = next->RequestUpdate(true, false); });
  if (updated) return;
  // Without the application the events site is created directly.
  Handle<Application> app;
  WithErrorsSuppressed([&] { app = camBSet->GraphicGroup()->App(); });
  WithErrorsSuppressed([&] {
    Handle<EventsSite> site =
        CreateThroughCreator(state.host->registry, app, kProgIdEventsSite).As<EventsSite>();
    if (site) site->OnDeleteBlockSet(nextId);
  });
}

}  // namespace

Handle<BlockSet> CreateGrooveBlockSet(OperationState& state, const Handle<GraphicSet>& gxCntrSet) {
  const ObjectRegistry& registry = state.host->registry;
  Handle<BlockSet> blockSet;
  Handle<DataStore> store;
  Handle<Part> part;
  WithErrorsSuppressed([&] { blockSet = registry.CreateAs<BlockSet>(kProgIdBlockSet); });
  WithErrorsSuppressed([&] { store = registry.CreateAs<DataStore>(kProgIdDataStore); });
  WithErrorsSuppressed([&] { part = store->ActivePart(); });
  WithErrorsSuppressed([&] { blockSet->Initialize(); });
  WithErrorsSuppressed([&] { blockSet->SetProperty(kKeyPartId, Variant(part->Identifier())); });
  WithErrorsSuppressed([&] { WriteParameters(state.params, *blockSet); });
  WithErrorsSuppressed([&] { blockSet->SetContourSet(gxCntrSet); });
  return blockSet;
}

bool UpdateGrooveBlockSet(OperationState& state, const Handle<BlockSet>& camBSet,
                          bool bUpdToolPath) {
  Handle<GraphicSet> contourSet;
  bool loaded = false;
  const bool handled = WithHandler([&] {
    loaded = CheckAndLoadTool(state, camBSet, contourSet);
    return true;
  });
  if (!handled) {
    Finish(contourSet);
    return false;
  }
  if (!loaded) return false;

  // From here on a failing host call is passed over.
  int32_t count = 0;
  WithErrorsSuppressed([&] { count = contourSet->Count(); });
  if (count == 0) return false;
  if (!PrepareWorkGeometry(state, camBSet, contourSet)) {
    Finish(contourSet);
    return false;
  }
  if (!ValidateParameters(state)) return false;
  SetParameters(state.params, camBSet);

  Handle<Graphic> group;
  WithErrorsSuppressed([&] {
    group = camBSet->GraphicGroup();
    group->OpenUpdate();
  });
  const bool result = RunOperation(state, camBSet, bUpdToolPath);
  Finish(contourSet);
  if (group) WithErrorsSuppressed([&] { group->CloseUpdate(); });
  if (!result) return false;

  HandStockOn(state, camBSet);
  return true;
}

}  // namespace sulkor
