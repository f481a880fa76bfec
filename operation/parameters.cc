#include "operation/parameters.h"

#include <array>
#include <cmath>
#include <exception>
#include <string>

#include "contour/primitives.h"
#include "contour/tolerances.h"
#include "operation/messages.h"
#include "sulkor/error.h"

namespace sulkor {
namespace {

// One row of the parameter table: its name and the member that holds it (exactly one of the
// three member pointers is set).
struct ParameterRow {
  std::string_view name;
  double Parameters::*number = nullptr;
  std::string Parameters::*text = nullptr;
  int32_t Parameters::*whole = nullptr;
};

constexpr ParameterRow Number(std::string_view name, double Parameters::*member) {
  return {name, member, nullptr, nullptr};
}
constexpr ParameterRow Text(std::string_view name, std::string Parameters::*member) {
  return {name, nullptr, member, nullptr};
}
constexpr ParameterRow Whole(std::string_view name, int32_t Parameters::*member) {
  return {name, nullptr, nullptr, member};
}

// The parameter table, in the order in which names are compared.
constexpr std::array<ParameterRow, 13> kParameterTable = {
    Number(kParamStartPointX, &Parameters::StartPointX),
    Number(kParamStartPointZ, &Parameters::StartPointZ),
    Whole(kParamToolNumber, &Parameters::ToolNumber),
    Number(kParamSpeed, &Parameters::Speed),
    Number(kParamFeed, &Parameters::Feed),
    Number(kParamSpeedFactor, &Parameters::SpeedFactor),
    Number(kParamFeedFactor, &Parameters::FeedFactor),
    Text(kParamTrajectoryType, &Parameters::TrajectoryType),
    Number(kParamDepthOnPass, &Parameters::DepthOnPass),
    Number(kParamFinishThickness, &Parameters::FinishThickness),
    Number(kParamFinishFeed, &Parameters::FinishFeed),
    Number(kParamFinishSpeed, &Parameters::FinishSpeed),
    Text(kParamDirection, &Parameters::Direction),
};

// The twelve parameters that travel with a block set, in the order they are read and written.
constexpr std::array<std::string_view, 12> kBlockSetOrder = {
    kParamSpeed,          kParamFeed,
    kParamSpeedFactor,    kParamFeedFactor,
    kParamStartPointX,    kParamStartPointZ,
    kParamTrajectoryType, kParamDepthOnPass,
    kParamFinishThickness, kParamFinishFeed,
    kParamFinishSpeed,    kParamDirection,
};

const ParameterRow* FindRow(std::string_view name) {
  for (const ParameterRow& row : kParameterTable) {
    if (row.name == name) return &row;
  }
  return nullptr;
}

// Converts val to the row's type and stores it; a conversion that fails throws before anything
// is stored.
void Store(Parameters& params, const ParameterRow& row, const Variant& val) {
  if (row.number != nullptr) {
    params.*row.number = val.ToDouble();
  } else if (row.text != nullptr) {
    params.*row.text = val.ToText();
  } else {
    params.*row.whole = val.ToLong();
  }
}

Variant Read(const Parameters& params, const ParameterRow& row) {
  if (row.number != nullptr) return Variant(params.*row.number);
  if (row.text != nullptr) return Variant(params.*row.text);
  return Variant(params.*row.whole);
}

// The start point must lie outside the blank; the point locator answers kOutside for that.
bool OutsideOf(OperationState& state, const Contour& contour, double r, double z) {
  // The locator works in drawing coordinates: x along the axis (z here), y the radius.
  return state.Geometry().PointInContour(contour, z, r) == kOutside;
}

}  // namespace

bool SetParameter(Parameters& params, std::string_view name, const Variant& val) {
  // A value that cannot be converted leaves the parameter as it was.
  WithErrorsSuppressed([&] {
    if (const ParameterRow* row = FindRow(name)) Store(params, *row, val);
  });
  return false;
}

Variant GetParameter(const Parameters& params, std::string_view name) {
  const ParameterRow* row = FindRow(name);
  return row != nullptr ? Read(params, *row) : Variant();
}

bool SetParameters(Parameters& params, const Handle<BlockSet>& camBSet) {
  for (std::string_view name : kBlockSetOrder) {
    // A property that cannot be read or converted is skipped.
    WithErrorsSuppressed([&] {
      const Variant value = camBSet->Property(name);
      if (!value.IsEmpty()) Store(params, *FindRow(name), value);
    });
  }
  return true;
}

void WriteParameters(const Parameters& params, BlockSet& camBSet) {
  for (std::string_view name : kBlockSetOrder) camBSet.SetProperty(name, Read(params, *FindRow(name)));
  camBSet.SetProperty(kParamToolNumber, Variant(params.ToolNumber));
  camBSet.SetProperty(kKeyOperationType, Variant(kOperationTypeGroove));
  camBSet.SetProperty(kParamToolNumber, Variant(params.ToolNumber));
}

Contour MirrorAboutAxis(const Contour& contour) {
  Contour mirrored = contour;
  for (Segment& s : mirrored.Segs) {
    s.StartPt.y = -s.StartPt.y;
    s.EndPt.y = -s.EndPt.y;
    s.Center.y = -s.Center.y;
    s.MidPt.y = -s.MidPt.y;
    s.Direction = static_cast<int16_t>(-s.Direction);
    if (s.IsLine()) {
      LineLengthAngle(s.StartPt.x, s.StartPt.y, s.EndPt.x, s.EndPt.y, s.Length, s.Tangent[0]);
    } else {
      ArcEndTangents(s.StartPt.x, s.StartPt.y, s.EndPt.x, s.EndPt.y, s.Center.x, s.Center.y,
                     s.Radius, s.Direction, s.Tangent[0], s.Tangent[1]);
    }
  }
  // The box follows the segments, so a locator that filters by it sees the mirrored extent.
  const double maxY = mirrored.MaxY;
  mirrored.MaxY = -mirrored.MinY;
  mirrored.MinY = -maxY;
  return mirrored;
}

bool ValidateParameters(OperationState& state) {
  const HostEnvironment* host = state.host.get();
  const Parameters& p = state.params;
  auto fail = [&](int32_t id) {
    ShowMessage(host, ParameterMessage(host, id));
    return false;
  };
  // Written so that a NaN fails too: every comparison with NaN is false. An infinite value is
  // no feed, speed, allowance or point either.
  if (!(p.Feed >= kEps) || std::isinf(p.Feed)) return fail(kMsgFeedNotPositive);
  if (!(p.Speed >= kEps) || std::isinf(p.Speed)) return fail(kMsgSpeedNotPositive);
  if (!(p.FinishThickness >= -kEps) || std::isinf(p.FinishThickness)) {
    return fail(kMsgFinishNegative);
  }
  if (!std::isfinite(p.StartPointX) || !std::isfinite(p.StartPointZ)) {
    return fail(kMsgStartPointInside);
  }

  const Contour& blank = state.contours.blank;
  if (blank.Empty()) return true;
  const double r = p.StartPointX / 2.0;  // the start point's X is a diameter
  const double z = p.StartPointZ;
  bool outside = false;
  const bool located = WithErrorsSuppressed([&] {
    outside = OutsideOf(state, blank, r, z) && OutsideOf(state, MirrorAboutAxis(blank), r, z);
  });
  if (!located) return false;  // the point locator failed
  return outside || fail(kMsgStartPointInside);
}

}  // namespace sulkor
