#include "groove/run_pipeline.h"

#include "workarea/work_geometry.h"
#include "operation/messages.h"
#include "operation/parameters.h"
#include "operation/tool.h"
#include "operation/work_kind.h"
#include "output/graphic_builders.h"
#include "output/removed_material.h"
#include "toolpath/groove_path.h"
#include "toolpath/machining_guard.h"

namespace sulkor {
namespace {

void Finish(const Handle<GraphicSet>& set) {
  if (set) WithErrorsSuppressed([&] { set->Finish(); });
}

int32_t CountOf(const Handle<GraphicSet>& set) {
  int32_t count = 0;
  WithErrorsSuppressed([&] { count = set->Count(); });
  return count;
}

// Resets the working contours and rereads the units: the part of the run under its handler.
bool StartRun(OperationState& state) {
  return WithHandler([&] {
    state.contours.ResetAll();
    state.toolPath.Reset();
    state.failureDetail.clear();
    Handle<DataStore> store = state.host->registry.CreateAs<DataStore>(kProgIdDataStore);
    state.unitsSystem = store->Setting(kSettingUnitsSystem).ToInteger();
    state.hatchScale = state.unitsSystem == 1 ? 1.0 : 25.0;
    return true;
  });
}

}  // namespace

std::string TrajectorySubType(const std::string& trajectoryType, int16_t directionSign) {
  if (trajectoryType == kTrajectoryTurn) return directionSign == 1 ? "External" : "Internal";
  if (trajectoryType == kTrajectoryFace) return directionSign == 1 ? "Face" : "BackFace";
  return "";
}

bool ComputeToolPath(OperationState& state, const Handle<BlockSet>& camBSet,
                     const Handle<GraphicSet>& contourSet) {
  if (CountOf(contourSet) == 0) return false;
  if (!PrepareWorkGeometry(state, camBSet, contourSet)) return false;
  if (!ValidateParameters(state)) return false;
  // A path that the machining guard refuses is not drawn: it ends the run like no path at all.
  bool built = BuildGroovePath(state, state.toolPath);
  if (built) {
    WithHandler([&] {
      state.failureDetail = GuardToolPath(state);
      return true;
    });
    built = state.failureDetail.empty();
  }
  if (!built) {
    const int32_t id = IsTurn(state.params.TrajectoryType) ? kMsgTurnNoWorkArea : kMsgFaceNoWorkArea;
    ShowMessage(state.host.get(), OperationMessage(state.host.get(), id));
    return false;
  }
  return true;
}

bool RunOperation(OperationState& state, const Handle<BlockSet>& camBSet, bool /*bUpdToolPath*/) {
  if (!StartRun(state)) return false;

  // From here on a failing host call is passed over and the next step runs.
  Handle<Graphic> group;
  WithErrorsSuppressed([&] { group = camBSet->GraphicGroup(); });
  if (!group) return false;
  // Each call is its own step: a group whose collection cannot be read still leads to the drawing.
  Handle<Drawing> drawing;
  Handle<Application> app;
  WithErrorsSuppressed([&] { group->Children(); });
  WithErrorsSuppressed([&] { app = group->App(); });
  WithErrorsSuppressed([&] { drawing = app->ActiveDrawing(); });
  if (!drawing) return false;
  if (!LoadTool(state, camBSet)) return false;

  Handle<GraphicSet> contourSet;
  WithErrorsSuppressed([&] { contourSet = camBSet->ContourSet(); });
  if (CountOf(contourSet) == 0) return false;

  bool result = false;
  if (ComputeToolPath(state, camBSet, contourSet)) {
    WithErrorsSuppressed([&] {
      Handle<Graphic> trajectory = BuildTrajectory(state, state.toolPath);
      if (trajectory) camBSet->AttachTrajectory(trajectory);
    });
    OutputRemovedMaterial(state, camBSet);
    WithErrorsSuppressed([&] {
      camBSet->SetProperty(kKeySubType, Variant(TrajectorySubType(state.params.TrajectoryType,
                                                                   state.directionSign)));
    });
    result = true;
  }
  Finish(contourSet);
  return result;
}

bool DoGrooveOperation(OperationState& state, const Handle<BlockSet>& camBSet) {
  Handle<GraphicSet> contourSet;
  if (!WithErrorsSuppressed([&] { contourSet = camBSet->ContourSet(); })) {
    Finish(contourSet);
    return false;
  }
  if (CountOf(contourSet) == 0) return false;
  bool result = false;
  if (RunOperation(state, camBSet, false)) {
    WithErrorsSuppressed([&] { WriteParameters(state.params, *camBSet); });
    result = true;
  }
  Finish(contourSet);
  return result;
}

}  // namespace sulkor
