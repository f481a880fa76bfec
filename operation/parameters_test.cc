#include "operation/parameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "contour/segment_build.h"
#include "contour/tolerances.h"
#include "operation/messages.h"
#include "kernel/contour_services.h"
#include "host/memory/recording_message_box.h"

namespace sulkor {
namespace {

// A block set that keeps its properties and records every write in order.
class RecordingBlockSet : public BlockSet {
 public:
  void Initialize() override {}
  Variant Property(std::string_view key) override {
    auto it = properties.find(std::string(key));
    return it == properties.end() ? Variant() : it->second;
  }
  void SetProperty(std::string_view key, const Variant& value) override {
    if (key == failOn) throw HostError("the store refused the write");
    writes.emplace_back(std::string(key), value);
    properties[std::string(key)] = value;
  }
  int32_t Index() override { return 0; }
  int32_t Identifier() override { return 1; }
  Handle<Graphic> GraphicGroup() override { return nullptr; }
  Handle<Part> OwnerPart() override { return nullptr; }
  Handle<GraphicSet> ContourSet() override { return nullptr; }
  void SetContourSet(const Handle<GraphicSet>&) override {}
  void AttachTrajectory(const Handle<Graphic>&) override {}
  Handle<Graphic> Trajectory() override { return nullptr; }
  bool RequestUpdate(bool, bool) override { return false; }

  std::map<std::string, Variant> properties;
  std::vector<std::pair<std::string, Variant>> writes;
  std::string failOn;
};

// A point locator with scripted answers that records what it was asked.
class ScriptedLocator : public GeometryServices {
 public:
  struct Call {
    Contour contour;
    double x;
    double y;
  };
  void ConvertGraphic(const Handle<Graphic>&, Contour&, double&, double&) override {}
  bool Intersect(const Contour&, const Contour&, IntersectionResult&) override { return false; }
  int16_t PointInContour(const Contour& contour, double x, double y) override {
    calls.push_back({contour, x, y});
    if (fail) throw HostError("locator failed");
    return answers.at(calls.size() - 1);
  }
  bool Offset(const Contour&, std::string_view, double, std::string_view, int16_t,
              ContourList&) override {
    return false;
  }
  bool Merge(const Contour&, const Contour&, const IntersectionResult&, ContourList&) override {
    return false;
  }
  bool Clip(const Contour&, const Contour&, const IntersectionResult&, ContourList&) override {
    return false;
  }
  bool Common(const Contour&, const Contour&, const IntersectionResult&, ContourList&) override {
    return false;
  }

  std::vector<int16_t> answers;
  std::vector<Call> calls;
  bool fail = false;
};


TEST(Parameters, SetAndGetByExactName) {
  struct Case {
    std::string name;
    Variant value;
    Variant expected;  // what GetParameter answers afterwards; Empty: nothing stored
  };
  const Case cases[] = {
      {"CAM_TurningStartPointX", 3.5, 3.5},
      {"CAM_TurningStartPointZ", "-2.25", -2.25},  // text that parses as a number
      {"ToolNumber", 2.5, int32_t{2}},             // halves to the even neighbour
      {"ToolNumber", 3.5, int32_t{4}},
      {"ToolNumber", "7", int32_t{7}},
      {"Speed", int16_t{900}, 900.0},
      {"Feed", 12.5, 12.5},
      {"CAM_SpeedFactor", 0.5, 0.5},
      {"CAM_FeedFactor", 1.5, 1.5},
      {"CAM_TurningTrajectoryType", "Face", "Face"},
      {"CAM_TurningDepthOnPass", 0.1, 0.1},
      {"CAM_TurningFinishThickness", 0.0, 0.0},
      {"CAM_TurningFinishFeed", 3.0, 3.0},
      {"CAM_TurningFinishSpeed", 1000.0, 1000.0},
      {"CAM_TurningDirection", int32_t{5}, "5"},  // any value as its text
  };
  for (const Case& c : cases) {
    Parameters p;
    EXPECT_FALSE(SetParameter(p, c.name, c.value)) << c.name;
    const Variant got = GetParameter(p, c.name);
    EXPECT_EQ(got, c.expected) << c.name;
    EXPECT_EQ(got.Type(), c.expected.Type()) << c.name;
  }
}

TEST(Parameters, UnknownNamesAndBadValuesChangeNothing) {
  Parameters p;
  p.Feed = 4.5;
  p.ToolNumber = 3;
  EXPECT_FALSE(SetParameter(p, "feed", 12.5));   // names are case-sensitive
  EXPECT_FALSE(SetParameter(p, "Feed ", 12.5));  // and whole
  EXPECT_FALSE(SetParameter(p, "Feed", "fast"));
  EXPECT_FALSE(SetParameter(p, "ToolNumber", 3e10));  // overflows a 32-bit integer
  EXPECT_FALSE(SetParameter(p, "ToolNumber", "x"));
  EXPECT_EQ(p.Feed, 4.5);
  EXPECT_EQ(p.ToolNumber, 3);
  EXPECT_TRUE(GetParameter(p, "feed").IsEmpty());
  EXPECT_TRUE(GetParameter(p, "").IsEmpty());
  EXPECT_EQ(GetParameter(p, "ToolNumber").Type(), VariantType::Long);
  EXPECT_EQ(GetParameter(p, "Speed").Type(), VariantType::Double);
  EXPECT_EQ(GetParameter(p, "CAM_TurningDirection").Type(), VariantType::String);
}

TEST(Parameters, LoadFromBlockSetReadsOnlyWhatIsThere) {
  Parameters before;
  before.ToolNumber = 6;

  auto onlyFeed = std::make_shared<RecordingBlockSet>();
  onlyFeed->properties["Feed"] = 20.0;
  onlyFeed->properties["ToolNumber"] = int32_t{9};  // not read here
  Parameters p = before;
  EXPECT_TRUE(SetParameters(p, Handle<BlockSet>(onlyFeed)));
  Parameters expected = before;
  expected.Feed = 20.0;
  for (std::string_view name :
       {"CAM_TurningStartPointX", "CAM_TurningStartPointZ", "ToolNumber", "Speed", "Feed",
        "CAM_SpeedFactor", "CAM_FeedFactor", "CAM_TurningTrajectoryType",
        "CAM_TurningDepthOnPass", "CAM_TurningFinishThickness", "CAM_TurningFinishFeed",
        "CAM_TurningFinishSpeed", "CAM_TurningDirection"}) {
    EXPECT_EQ(GetParameter(p, name), GetParameter(expected, name)) << name;
  }

  // A value that cannot be converted is skipped; the properties after it are still read.
  auto mixed = std::make_shared<RecordingBlockSet>();
  mixed->properties["Speed"] = "fast";
  mixed->properties["CAM_TurningDirection"] = "Internal";
  p = before;
  EXPECT_TRUE(SetParameters(p, Handle<BlockSet>(mixed)));
  EXPECT_EQ(p.Speed, before.Speed);
  EXPECT_EQ(p.Direction, "Internal");

  // Without a block set every read fails and is skipped.
  p = before;
  EXPECT_TRUE(SetParameters(p, nullptr));
  EXPECT_EQ(p.Feed, before.Feed);
}

TEST(Parameters, WriteBackOrderAndTypes) {
  Parameters p;
  p.ToolNumber = 4;
  p.Direction = "Internal";
  RecordingBlockSet bset;
  WriteParameters(p, bset);
  const std::vector<std::pair<std::string, Variant>> expected = {
      {"Speed", 1300.0},
      {"Feed", 115.0},
      {"CAM_SpeedFactor", 1.0},
      {"CAM_FeedFactor", 1.0},
      {"CAM_TurningStartPointX", 1.0},
      {"CAM_TurningStartPointZ", 1.0},
      {"CAM_TurningTrajectoryType", "Turn"},
      {"CAM_TurningDepthOnPass", 0.3 * 25.4},
      {"CAM_TurningFinishThickness", 0.05 * 25.4},
      {"CAM_TurningFinishFeed", 115.0},
      {"CAM_TurningFinishSpeed", 1300.0},
      {"CAM_TurningDirection", "Internal"},
      {"ToolNumber", int32_t{4}},
      {"OperationType", "Groove"},
      {"ToolNumber", int32_t{4}},
  };
  ASSERT_EQ(bset.writes.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(bset.writes[i].first, expected[i].first) << i;
    EXPECT_EQ(bset.writes[i].second, expected[i].second) << i;
    EXPECT_EQ(bset.writes[i].second.Type(), expected[i].second.Type()) << i;
  }

  // A failing write is the caller's failure, and nothing after it is written.
  RecordingBlockSet refusing;
  refusing.failOn = "CAM_TurningTrajectoryType";
  EXPECT_THROW(WriteParameters(p, refusing), HostError);
  EXPECT_EQ(refusing.writes.size(), 6u);
}

struct ValidationFixture {
  ValidationFixture() {
    state.host = std::make_shared<HostEnvironment>();
    state.host->messageBox = box;
    state.host->geometry = locator;
  }
  std::shared_ptr<host::RecordingMessageBox> box = std::make_shared<host::RecordingMessageBox>();
  std::shared_ptr<ScriptedLocator> locator = std::make_shared<ScriptedLocator>();
  OperationState state;
};

const std::string kCheck = "\r\n\r\nPlease, check parameters.";
const std::string kTitle = "Sulkor function cannot be performed.";

TEST(Parameters, ValidationRulesAndTheirMessages) {
  struct Case {
    double feed, speed, finish;
    std::string prompt;  // empty: valid
    double startX = 0.0;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::string start = "Start Point  must be located outside Part contour." + kCheck;
  const Case cases[] = {
      {1e-6, 1e-6, 0.0, ""},
      {0.99e-6, 1300, 0.0, "Feed value must be more than zero." + kCheck},
      {0.0, 1300, 0.0, "Feed value must be more than zero." + kCheck},
      {0.0, 0.0, -1.0, "Feed value must be more than zero." + kCheck},  // the first rule wins
      {115, 0.0, 0.0, "Speed value must be more than zero." + kCheck},
      {115, -5.0, 0.0, "Speed value must be more than zero." + kCheck},
      {115, 1300, -1e-6, ""},
      {115, 1300, -1.1e-6, "Finish Amount value must be more or equal to zero." + kCheck},
      {115, 1300, -0.01, "Finish Amount value must be more or equal to zero." + kCheck},
      // Non-finite values fail the rule of their parameter.
      {nan, 1300, 0.0, "Feed value must be more than zero." + kCheck},
      {inf, 1300, 0.0, "Feed value must be more than zero." + kCheck},
      {115, nan, 0.0, "Speed value must be more than zero." + kCheck},
      {115, inf, 0.0, "Speed value must be more than zero." + kCheck},
      {115, 1300, nan, "Finish Amount value must be more or equal to zero." + kCheck},
      {115, 1300, inf, "Finish Amount value must be more or equal to zero." + kCheck},
      {115, 1300, 0.0, start, nan},
      {115, 1300, 0.0, start, -inf},
  };
  for (const Case& c : cases) {
    ValidationFixture f;
    f.state.params.Feed = c.feed;
    f.state.params.Speed = c.speed;
    f.state.params.FinishThickness = c.finish;
    f.state.params.StartPointX = c.startX;  // the blank is empty: only a non-finite X fails
    EXPECT_EQ(ValidateParameters(f.state), c.prompt.empty()) << c.prompt;
    if (c.prompt.empty()) {
      EXPECT_TRUE(f.box->Messages().empty());
    } else {
      ASSERT_EQ(f.box->Messages().size(), 1u);
      EXPECT_EQ(f.box->Messages()[0].prompt, c.prompt);
      EXPECT_EQ(f.box->Messages()[0].title, kTitle);
    }
    EXPECT_TRUE(f.locator->calls.empty());
  }
}

TEST(Parameters, StartPointMustBeOutsideBlankAndItsMirror) {
  const std::string startMessage = "Start Point  must be located outside Part contour." + kCheck;
  struct Case {
    std::vector<int16_t> answers;
    bool valid;
    size_t calls;
  };
  const Case cases[] = {
      {{kOutside, kOutside}, true, 2},  {{kInside}, false, 1},
      {{kOnOutline}, false, 1},         {{kOutside, kInside}, false, 2},
      {{kOutside, kOnOutline}, false, 2},
  };
  for (const Case& c : cases) {
    ValidationFixture f;
    f.state.contours.blank = MakePolygon({0, 2, 10, 2, 10, 5, 0, 5});
    f.state.params.StartPointX = 12.0;  // diameter: radius 6
    f.state.params.StartPointZ = 11.0;
    f.locator->answers = c.answers;
    EXPECT_EQ(ValidateParameters(f.state), c.valid);
    ASSERT_EQ(f.locator->calls.size(), c.calls);
    for (const auto& call : f.locator->calls) {
      EXPECT_EQ(call.x, 11.0);  // along the axis first
      EXPECT_EQ(call.y, 6.0);   // then the radius
    }
    EXPECT_EQ(f.locator->calls[0].contour.First().StartPt.y, 2.0);
    if (c.calls == 2) {
      EXPECT_EQ(f.locator->calls[1].contour.First().StartPt.y, -2.0);
    }
    if (c.valid) {
      EXPECT_TRUE(f.box->Messages().empty());
    } else {
      ASSERT_EQ(f.box->Messages().size(), 1u);
      EXPECT_EQ(f.box->Messages()[0].prompt, startMessage);
      EXPECT_EQ(f.box->Messages()[0].title, kTitle);
    }
  }

  // A failing locator fails the validation without a message.
  ValidationFixture f;
  f.state.contours.blank = MakePolygon({0, 2, 10, 2, 10, 5, 0, 5});
  f.locator->fail = true;
  EXPECT_FALSE(ValidateParameters(f.state));
  EXPECT_TRUE(f.box->Messages().empty());
}

TEST(Parameters, StartPointAgainstARealBlank) {
  // A ring-shaped stock: x from 0 to 10 along the axis, radius from 2 to 5.
  struct Case {
    double x, z;  // the start point: a diameter and a position along the axis
    bool valid;
  };
  const Case cases[] = {
      {12.0, 11.0, true},  // above and beyond the stock
      {8.0, 5.0, false},   // radius 4: inside the stock
      {-8.0, 5.0, false},  // inside the mirror image below the axis
      {4.0, 5.0, false},   // radius 2: on the bore's outline
      {2.0, 5.0, true},    // radius 1: in the bore, outside both
      {8.0, 10.5, true},   // beside the stock
  };
  for (const Case& c : cases) {
    ValidationFixture f;
    f.state.host->geometry = std::make_shared<ExactGeometryServices>();
    f.state.contours.blank = MakePolygon({0, 2, 10, 2, 10, 5, 0, 5});
    f.state.params.StartPointX = c.x;
    f.state.params.StartPointZ = c.z;
    EXPECT_EQ(ValidateParameters(f.state), c.valid) << c.x << ", " << c.z;
    EXPECT_EQ(f.box->Messages().size(), c.valid ? 0u : 1u) << c.x << ", " << c.z;
  }
}

TEST(Parameters, MirrorAboutTheAxis) {
  Contour c = MakeContour({MakeLine(0, 1, 2, 3), MakeArc(2, 3, 3, 2, 3, 3, 1)});
  c.MaxY = 3.0;
  c.MinY = 1.0;
  const Contour m = MirrorAboutAxis(c);
  ASSERT_EQ(m.Count(), 2);
  const Segment& line = m.Seg(0);
  EXPECT_EQ(line.StartPt.y, -1.0);
  EXPECT_EQ(line.EndPt.y, -3.0);
  EXPECT_EQ(line.Direction, -c.Seg(0).Direction);
  EXPECT_DOUBLE_EQ(line.Length, std::sqrt(8.0));
  EXPECT_NEAR(line.Tangent[0], 7.0 * kPi / 4.0, 1e-12);
  EXPECT_EQ(line.Tangent[1], c.Seg(0).Tangent[1]);  // only the leaving direction is recomputed

  // The counterclockwise quarter arc around (3, 3) from (2, 3) becomes a clockwise one around
  // (3, -3) from (2, -3) to (3, -2): it leaves upwards and arrives heading +x.
  const Segment& arc = m.Seg(1);
  EXPECT_EQ(arc.Direction, -1);
  EXPECT_EQ(arc.Center.y, -3.0);
  EXPECT_EQ(arc.MidPt.y, -c.Seg(1).MidPt.y);
  EXPECT_NEAR(arc.Tangent[0], kPi / 2.0, 1e-12);
  // Heading +x is 0 or, exactly at the wrap, 2 pi.
  EXPECT_NEAR(std::min(arc.Tangent[1], kTwoPi - arc.Tangent[1]), 0.0, 1e-12);
  EXPECT_EQ(m.MaxY, -1.0);
  EXPECT_EQ(m.MinY, -3.0);
}

}  // namespace
}  // namespace sulkor
