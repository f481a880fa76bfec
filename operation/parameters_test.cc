#include "operation/parameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "contour/segment_build.h"
#include "contour/tolerances.h"
#include "host/memory/memory_host.h"
#include "host/memory/recording_message_box.h"
#include "testing/scripted_geometry.h"

namespace sulkor {
namespace {

// Names are exact and whole; values convert (text that parses, halves to the even neighbour
// for the tool number) or change nothing; a block set gives what it has, skipping what does not
// convert; written back, every parameter keeps its type.
TEST(Parameters, ByExactNameFromValuesAndBlockSets) {
  struct Case {
    std::string name;
    Variant value, expected;  // what GetParameter answers afterwards
  };
  for (const Case& c : std::vector<Case>{
           {"CAM_TurningStartPointZ", "-2.25", -2.25}, {"ToolNumber", 2.5, int32_t{2}},
           {"ToolNumber", 3.5, int32_t{4}}, {"ToolNumber", "7", int32_t{7}}, {"Speed", int16_t{900}, 900.0},
           {"CAM_TurningDirection", int32_t{5}, "5"}}) {
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

  host::MemoryHost h = host::BuildMemoryHost();
  auto bset = h.store->NewBlockSet();
  bset->SetProperty("Feed", 20.0);
  bset->SetProperty("Speed", "fast");
  bset->SetProperty("CAM_TurningDirection", "Internal");
  EXPECT_TRUE(SetParameters(p, Handle<BlockSet>(bset)));
  EXPECT_EQ(p.Feed, 20.0);
  EXPECT_EQ(p.Speed, Parameters{}.Speed);
  EXPECT_EQ(p.Direction, "Internal");
  EXPECT_EQ(p.ToolNumber, 3);  // read by the tool, not here
  EXPECT_TRUE(SetParameters(p, nullptr));

  auto written = h.store->NewBlockSet();
  WriteParameters(p, *written);
  for (const auto& [key, value] : std::vector<std::pair<std::string, Variant>>{
           {"Speed", 1300.0}, {"Feed", 20.0}, {"CAM_TurningStartPointX", 1.0}, {"CAM_TurningTrajectoryType", "Turn"},
           {"CAM_TurningDepthOnPass", 0.3 * 25.4}, {"CAM_TurningFinishThickness", 0.05 * 25.4},
           {"CAM_TurningDirection", "Internal"}, {"ToolNumber", int32_t{3}}, {"OperationType", "Groove"}}) {
    EXPECT_EQ(written->Property(key), value) << key;
    EXPECT_EQ(written->Property(key).Type(), value.Type()) << key;
  }
}

// Feed and speed above 1e-6, finish not below -1e-6, the start point (a diameter) outside the
// blank and its mirror below the axis; the first rule broken gives its message.
TEST(Parameters, ValidationRulesAndTheirMessages) {
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const std::string feed = "Feed value must be more than zero.", speed = "Speed value must be more than zero.";
  const std::string finish = "Finish Amount value must be more or equal to zero.";
  const std::string start = "Start Point  must be located outside Part contour.";
  struct Case {
    double feed, speed, finish, x, z;
    std::string prompt;  // empty: valid
  };
  for (const Case& c : std::vector<Case>{
           {1e-6, 1e-6, 0, 12, 11, ""}, {0.99e-6, 1300, 0, 12, 11, feed}, {0, 0, -1, 12, 11, feed},
           {nan, 1300, 0, 12, 11, feed}, {115, 0, 0, 12, 11, speed}, {115, inf, 0, 12, 11, speed},
           {115, 1300, -1e-6, 12, 11, ""}, {115, 1300, -1.1e-6, 12, 11, finish}, {115, 1300, nan, 12, 11, finish},
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

// Mirrored about the axis, a counterclockwise quarter around (3, 3) becomes a clockwise one
// around (3, -3) that leaves upwards and arrives heading +x (0 or, at the wrap, 2 pi); a line's
// leaving direction is recomputed, its arriving one is not.
TEST(Parameters, MirrorAboutTheAxis) {
  Contour c = MakeContour({MakeLine(0, 1, 2, 3), MakeArc(2, 3, 3, 2, 3, 3, 1)});
  c.MaxY = 3.0;
  c.MinY = 1.0;
  const Contour m = MirrorAboutAxis(c);
  ASSERT_EQ(m.Count(), 2);
  EXPECT_NEAR(m.Seg(0).Tangent[0], 7.0 * kPi / 4.0, 1e-12);
  EXPECT_EQ(m.Seg(0).Tangent[1], c.Seg(0).Tangent[1]);
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
