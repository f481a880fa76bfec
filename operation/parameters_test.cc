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
#include "host/memory/recording_message_box.h"
#include "testing/scripted_geometry.h"

namespace sulkor {
namespace {

const char* const kNames[] = {
    "CAM_TurningStartPointX", "CAM_TurningStartPointZ", "ToolNumber", "Speed", "Feed",
    "CAM_SpeedFactor", "CAM_FeedFactor", "CAM_TurningTrajectoryType", "CAM_TurningDepthOnPass",
    "CAM_TurningFinishThickness", "CAM_TurningFinishFeed", "CAM_TurningFinishSpeed",
    "CAM_TurningDirection"};

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

TEST(Parameters, ByExactNameFromValuesAndBlockSets) {
  struct Case {
    std::string name;
    Variant value, expected;  // what GetParameter answers afterwards
  };
  for (const Case& c : std::vector<Case>{
           {"CAM_TurningStartPointZ", "-2.25", -2.25},  // text that parses as a number
           {"ToolNumber", 2.5, int32_t{2}}, {"ToolNumber", 3.5, int32_t{4}},  // half to even
           {"ToolNumber", "7", int32_t{7}}, {"Speed", int16_t{900}, 900.0},
           {"CAM_TurningDirection", int32_t{5}, "5"}}) {  // any value as its text
    Parameters p;
    EXPECT_FALSE(SetParameter(p, c.name, c.value)) << c.name;
    EXPECT_EQ(GetParameter(p, c.name), c.expected) << c.name;
    EXPECT_EQ(GetParameter(p, c.name).Type(), c.expected.Type()) << c.name;
  }
  Parameters p;
  p.Feed = 4.5;
  p.ToolNumber = 3;
  for (const auto& [name, value] : std::vector<std::pair<std::string, Variant>>{
           {"feed", 12.5}, {"Feed ", 12.5}, {"Feed", "fast"}, {"ToolNumber", 3e10}, {"ToolNumber", "x"}}) {
    EXPECT_FALSE(SetParameter(p, name, value)) << name;
  }
  EXPECT_EQ(p.Feed, 4.5);
  EXPECT_EQ(p.ToolNumber, 3);
  EXPECT_TRUE(GetParameter(p, "feed").IsEmpty());

  // From a block set only what is there is read; a value that cannot be converted is skipped.
  auto bset = std::make_shared<RecordingBlockSet>();
  bset->properties = {{"Feed", 20.0}, {"Speed", "fast"}, {"CAM_TurningDirection", "Internal"}};
  Parameters read = p;
  EXPECT_TRUE(SetParameters(read, Handle<BlockSet>(bset)));
  Parameters expected = p;
  expected.Feed = 20.0;
  expected.Direction = "Internal";
  for (const char* name : kNames) EXPECT_EQ(GetParameter(read, name), GetParameter(expected, name)) << name;
  EXPECT_TRUE(SetParameters(read, nullptr));
  EXPECT_EQ(read.Feed, 20.0);
}

TEST(Parameters, WriteBackOrderAndTypes) {
  Parameters p;
  p.ToolNumber = 4;
  p.Direction = "Internal";
  RecordingBlockSet bset;
  WriteParameters(p, bset);
  const std::vector<std::pair<std::string, Variant>> expected = {
      {"Speed", 1300.0}, {"Feed", 115.0}, {"CAM_SpeedFactor", 1.0}, {"CAM_FeedFactor", 1.0},
      {"CAM_TurningStartPointX", 1.0}, {"CAM_TurningStartPointZ", 1.0},
      {"CAM_TurningTrajectoryType", "Turn"}, {"CAM_TurningDepthOnPass", 0.3 * 25.4},
      {"CAM_TurningFinishThickness", 0.05 * 25.4}, {"CAM_TurningFinishFeed", 115.0},
      {"CAM_TurningFinishSpeed", 1300.0}, {"CAM_TurningDirection", "Internal"},
      {"ToolNumber", int32_t{4}}, {"OperationType", "Groove"}, {"ToolNumber", int32_t{4}}};
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

// Feed and speed above 1e-6, finish not below -1e-6, the start point (a diameter) outside the
// blank and its mirror below the axis; the first rule broken gives its message.
TEST(Parameters, ValidationRulesAndTheirMessages) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::string feed = "Feed value must be more than zero.", speed = "Speed value must be more than zero.";
  const std::string finish = "Finish Amount value must be more or equal to zero.";
  const std::string start = "Start Point  must be located outside Part contour.";
  struct Case {
    double feed, speed, finish, x, z;
    std::string prompt;  // empty: valid
  };
  for (const Case& c : std::vector<Case>{
           {1e-6, 1e-6, 0, 12, 11, ""}, {0.99e-6, 1300, 0, 12, 11, feed}, {0, 0, -1, 12, 11, feed},
           {nan, 1300, 0, 12, 11, feed}, {inf, 1300, 0, 12, 11, feed}, {115, 0, 0, 12, 11, speed},
           {115, nan, 0, 12, 11, speed}, {115, 1300, -1e-6, 12, 11, ""},
           {115, 1300, -1.1e-6, 12, 11, finish}, {115, 1300, inf, 12, 11, finish},
           {115, 1300, 0, nan, 11, start}, {115, 1300, 0, 12, -inf, start},
           {115, 1300, 0, 8, 5, start},    // radius 4: inside the ring-shaped stock
           {115, 1300, 0, -8, 5, start},   // inside its mirror image below the axis
           {115, 1300, 0, 4, 5, start},    // radius 2: on the bore's outline
           {115, 1300, 0, 2, 5, ""},       // in the bore
           {115, 1300, 0, 8, 10.5, ""}}) {  // beside the stock
    OperationState state;
    state.host = std::make_shared<HostEnvironment>();
    auto box = std::make_shared<host::RecordingMessageBox>();
    state.host->messageBox = box;
    state.host->geometry = std::make_shared<ExactGeometryServices>();
    state.contours.blank = MakePolygon({0, 2, 10, 2, 10, 5, 0, 5});
    state.params.Feed = c.feed;
    state.params.Speed = c.speed;
    state.params.FinishThickness = c.finish;
    state.params.StartPointX = c.x;
    state.params.StartPointZ = c.z;
    SCOPED_TRACE(::testing::Message() << c.feed << " " << c.speed << " " << c.finish << " " << c.x << " " << c.z);
    EXPECT_EQ(ValidateParameters(state), c.prompt.empty());
    ASSERT_EQ(box->Messages().size(), c.prompt.empty() ? 0u : 1u);
    if (c.prompt.empty()) continue;
    EXPECT_EQ(box->Messages()[0].prompt, c.prompt + "\r\n\r\nPlease, check parameters.");
    EXPECT_EQ(box->Messages()[0].title, "Sulkor function cannot be performed.");
  }
  // The locator is asked at (Z, radius); a failing one fails the validation without a message.
  OperationState state;
  state.host = std::make_shared<HostEnvironment>();
  auto locator = std::make_shared<testing::ScriptedGeometry>();
  locator->locate = [](const Contour&, double, double) -> int16_t { throw HostError("failed"); };
  state.host->geometry = locator;
  state.contours.blank = MakePolygon({0, 2, 10, 2, 10, 5, 0, 5});
  state.params.StartPointX = 12.0;
  state.params.StartPointZ = 11.0;
  EXPECT_FALSE(ValidateParameters(state));
  ASSERT_EQ(locator->located.size(), 1u);
  EXPECT_EQ(locator->located[0].x, 11.0);
  EXPECT_EQ(locator->located[0].y, 6.0);
}

TEST(Parameters, MirrorAboutTheAxis) {
  Contour c = MakeContour({MakeLine(0, 1, 2, 3), MakeArc(2, 3, 3, 2, 3, 3, 1)});
  c.MaxY = 3.0;
  c.MinY = 1.0;
  const Contour m = MirrorAboutAxis(c);
  ASSERT_EQ(m.Count(), 2);
  EXPECT_EQ(m.Seg(0).EndPt.y, -3.0);
  EXPECT_NEAR(m.Seg(0).Tangent[0], 7.0 * kPi / 4.0, 1e-12);
  EXPECT_EQ(m.Seg(0).Tangent[1], c.Seg(0).Tangent[1]);  // only the leaving direction is recomputed
  // The counterclockwise quarter around (3, 3) becomes a clockwise one around (3, -3) that
  // leaves upwards and arrives heading +x (0 or, exactly at the wrap, 2 pi).
  const Segment& arc = m.Seg(1);
  EXPECT_EQ(arc.Direction, -1);
  EXPECT_EQ(arc.Center.y, -3.0);
  EXPECT_EQ(arc.MidPt.y, -c.Seg(1).MidPt.y);
  EXPECT_NEAR(arc.Tangent[0], kPi / 2.0, 1e-12);
  EXPECT_NEAR(std::min(arc.Tangent[1], kTwoPi - arc.Tangent[1]), 0.0, 1e-12);
  EXPECT_EQ(m.MaxY, -1.0);
  EXPECT_EQ(m.MinY, -3.0);
}

}  // namespace
}  // namespace sulkor
