#include "operation/tool.h"

#include <array>
#include <string>

#include "operation/messages.h"
#include "operation/parameters.h"
#include "sulkor/drawing_unit.h"
#include "sulkor/error.h"

namespace sulkor {
namespace {

// The tool's lengths, which follow the drawing's unit.
constexpr std::array<double ToolDescription::*, 6> kToolLengths = {
    &ToolDescription::CornerRadius,  &ToolDescription::Width,
    &ToolDescription::InscribedCircle, &ToolDescription::OverallLength,
    &ToolDescription::HeadLength,    &ToolDescription::Height,
};

// Steps 1 to 4 of the loading: the data store, the tool number and the first nine properties.
// Any failure here throws and ends the loading.
Handle<Tool> ReadTool(OperationState& state, const Handle<BlockSet>& camBSet) {
  if (!state.host) throw HostError("no host");
  Handle<DataStore> store = state.host->registry.CreateAs<DataStore>(kProgIdDataStore);
  Handle<ToolTable> table = store->Tools();
  state.params.ToolNumber = camBSet->Property(kParamToolNumber).ToLong();
  Handle<Tool> tool = table->ToolByNumber(state.params.ToolNumber);

  ToolDescription& t = state.tool;
  t.ToolType = tool->Property(kToolType).ToText();
  t.SubType = tool->Property(kToolSubType).ToText();
  t.MeasureUnit = tool->Property(kToolMeasure).ToText();
  t.Angle = tool->Property(kToolAngle).ToDouble();
  t.FrontAngle = tool->Property(kToolFrontAngle).ToDouble();
  t.CornerRadius = tool->Property(kToolCornerRadius).ToDouble();
  t.Width = tool->Property(kToolWidth).ToDouble();
  t.InscribedCircle = tool->Property(kToolInscribedCircle).ToDouble();
  t.Hand = tool->Property(kToolHand).ToText();
  return tool;
}

// The unit of the drawing of the block set's part: Other when any link of the chain is missing.
LinearUnit DrawingUnitOf(const Handle<Part>& part) {
  LinearUnit unit = LinearUnit::Other;
  WithErrorsSuppressed([&] {
    unit = ReadDrawingUnit(*part->PartGraphic()->App()->ActiveDrawing());
  });
  return unit;
}

}  // namespace

bool LoadTool(OperationState& state, const Handle<BlockSet>& camBSet) {
  return WithHandler([&] {
    Handle<Tool> tool;
    // The data store failed: the run fails without a message.
    if (!WithErrorsSuppressed([&] { tool = ReadTool(state, camBSet); })) return false;

    ToolDescription& t = state.tool;
    t.OverallLength = 0.0;
    // From here on a read that fails keeps the member's previous value.
    WithErrorsSuppressed([&] { t.OverallLength = tool->Property(kToolOverallLength).ToDouble(); });
    WithErrorsSuppressed([&] { t.HeadLength = tool->Property(kToolHeadLength).ToDouble(); });
    WithErrorsSuppressed([&] { t.IsSide = tool->Property(kToolIsSide).ToBool(); });
    WithErrorsSuppressed([&] { t.Height = tool->Property(kToolHeight).ToDouble(); });
    WithErrorsSuppressed([&] { t.Orientation = tool->Property(kToolOrientation).ToText(); });

    const HostEnvironment* host = state.host.get();
    if (t.SubType != kToolSubTypeGroove) {
      ShowMessage(host, ToolNotGrooveMessage(host, t.SubType));
      return false;
    }
    if (t.Width / 2.0 < t.CornerRadius) {  // both still in the tool's own unit
      ShowMessage(host, CornerRadiusMessage(host));
      return false;
    }

    Handle<Part> part;
    WithErrorsSuppressed([&] { part = camBSet->OwnerPart(); });
    if (!part) return false;

    // Any other pair (equal units, a drawing in another unit, a tool without one) is left as is.
    const LinearUnit drawingUnit = DrawingUnitOf(part);
    if (drawingUnit == LinearUnit::Inch && t.MeasureUnit == kUnitMillimetre) {
      for (double ToolDescription::*length : kToolLengths) t.*length /= kMillimetresPerInch;
    } else if (drawingUnit == LinearUnit::Millimetre && t.MeasureUnit == kUnitInch) {
      for (double ToolDescription::*length : kToolLengths) t.*length *= kMillimetresPerInch;
    }
    t.GeomCornerRadius = t.CornerRadius < kSharpCornerRadius ? 0.0 : t.CornerRadius;
    return true;
  });
}

}  // namespace sulkor
