// The Groove object: construction and destruction, the public members, and the boundary at which
// nothing is allowed to escape to the host.
#include "sulkor/groove.h"

#include <exception>
#include <utility>

#include "contour/contour_ops.h"
#include "contour/tolerances.h"
#include "operation/blank_graphic.h"
#include "groove/groove_state.h"
#include "groove/block_sets.h"
#include "operation/host_objects.h"
#include "operation/operation_state.h"
#include "operation/parameters.h"
#include "groove/run_pipeline.h"
#include "operation/tool.h"

namespace sulkor {
namespace {

// Runs a public member: whatever it raises becomes the fallback answer, so nothing reaches the
// host.
template <class Result, class Body>
Result AtHostBoundary(Result fallback, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return fallback;
  }
}

// Reads the active part's blank into working contour 1 and places the start point one unit
// outside it.
void ReadBlank(OperationState& state, const Handle<DataStore>& store) {
  Handle<Part> part = store->ActivePart();
  if (!part) return;
  Handle<Graphic> partGroup = part->PartGraphic();
  if (!partGroup) return;
  Contour& blank = state.contours.blank;
  blank.Reset();
  Handle<Graphic> blankGraphic = FindBlankGraphic(partGroup, BlankMatch::ByName);
  if (!blankGraphic) return;
  Handle<Graphic> profile = BlankProfile(blankGraphic);
  if (!profile) return;
  double unused1 = 0.0;
  double unused2 = 0.0;
  state.Geometry().ConvertGraphic(profile, blank, unused1, unused2);
  if (blank.Empty()) return;
  ContourBounds(state.Geometry(), blank);
  // The drawing's x runs along the axis, its y is the radius; X of the start point is a diameter.
  state.params.StartPointZ = blank.MaxX + 1.0;
  state.params.StartPointX = 2.0 * blank.MaxY + 1.0;
}

// Whether the data store's units setting says inch (1); anything else, Empty included, is metric.
bool IsInchSetting(const Variant& setting) {
  bool inch = false;
  WithErrorsSuppressed([&] { inch = setting.ToDouble() == kUnitsSystemInch; });
  return inch;
}

void SetDefaults(Parameters& p, bool inch) {
  if (inch) {
    p.Feed = 4.5;
    p.DepthOnPass = 0.3;
    p.FinishThickness = 0.05;
    p.FinishFeed = 4.5;
  } else {
    p.Feed = 115.0;
    p.DepthOnPass = 0.3 * kMillimetresPerInch;
    p.FinishThickness = 0.05 * kMillimetresPerInch;
    p.FinishFeed = 115.0;
  }
  p.TrajectoryType = std::string(kTrajectoryTurn);
  p.Speed = 1300.0;
  p.SpeedFactor = 1.0;
  p.FeedFactor = 1.0;
  p.FinishSpeed = 1300.0;
  p.Direction = std::string(kDirectionExternal);
  p.ToolNumber = 1;
}

}  // namespace

// Construction has no recovery: a missing host component or a failing host call fails it.
Groove::Groove(std::shared_ptr<HostEnvironment> host) : state_(std::make_unique<OperationState>()) {
  if (!host) throw HostError("a Groove needs a host");
  OperationState& s = *state_;
  s.host = std::move(host);
  s.useUndo = true;
  s.params.StartPointX = 1.0;
  s.params.StartPointZ = 1.0;

  Handle<DataStore> store = s.host->registry.CreateAs<DataStore>(kProgIdDataStore);
  ReadBlank(s, store);
  SetDefaults(s.params, IsInchSetting(store->Setting(kSettingUnitsSystem)));

  Handle<Application> app = s.host->registry.CreateAs<Application>(kProgIdApplication);
  s.scratch = CreateThroughCreator(s.host->registry, app, kProgIdGraphic).As<Graphic>();
  if (!s.scratch) throw HostError("the scratch object is not a graphic");
}

Groove::~Groove() {
  if (state_) state_->scratch.Reset();
}

bool Groove::SetParameter(const std::string& strName, const Variant& val) {
  return AtHostBoundary(false, [&] { return sulkor::SetParameter(state_->params, strName, val); });
}

Variant Groove::GetParameter(const std::string& strName) {
  return AtHostBoundary(Variant(), [&] { return sulkor::GetParameter(state_->params, strName); });
}

bool Groove::SetParameters(const Handle<BlockSet>& camBSet) {
  return AtHostBoundary(true, [&] { return sulkor::SetParameters(state_->params, camBSet); });
}

Handle<BlockSet> Groove::CreateBlockSet(const Handle<GraphicSet>& gxCntrSet) {
  return AtHostBoundary(Handle<BlockSet>(), [&] { return CreateGrooveBlockSet(*state_, gxCntrSet); });
}

bool Groove::DoGroove(const Handle<BlockSet>& camBSet) {
  return AtHostBoundary(false, [&] { return DoGrooveOperation(*state_, camBSet); });
}

std::string Groove::LastFailureDetail() const { return state_->failureDetail; }

bool Groove::UpdateBlockSet(const Handle<BlockSet>& camBSet, bool bUpdToolPath) {
  return AtHostBoundary(false, [&] { return UpdateGrooveBlockSet(*state_, camBSet, bUpdToolPath); });
}

Variant Groove::UseUndo() const { return Variant::Boolean(state_->useUndo); }

// A Variant that cannot be converted raises VariantError to the caller; the flag stays.
void Groove::UseUndo(const Variant& value) { state_->useUndo = value.ToBool(); }

// The removed material reaches the drawing through the run; adding it to the part is accepted
// and answered with false, touching nothing.
bool Groove::AddBodyToPart(const Handle<BlockSet>& /*camBSet*/) { return false; }

OperationState& StateOf(Groove& groove) { return *groove.state_; }
const OperationState& StateOf(const Groove& groove) { return *groove.state_; }

}  // namespace sulkor
