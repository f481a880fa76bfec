#include "workarea/trim_work.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "contour/segment_build.h"
#include "testing/scenes.h"

namespace sulkor {
namespace {

using testing::GrooveFrame;
using testing::L;
using testing::Profile;

// The run is cut where it crosses the blank outline; lead-ins outside are dropped; drawn either
// way, in every kind of work. Nothing inside the blank is a geometry failure.
TEST(TrimWorkToBlank, KeepsTheRunInsideTheBlank) {
  struct Case {
    std::string name;
    Contour (*profile)(const GrooveFrame&);
    double from;  // the a the kept run starts at
  };
  for (const Case& c : std::vector<Case>{
           {"ends past the outline", [](const GrooveFrame& f) { return testing::Rectangular(f, 10, 10); }, -5},
           {"drawn backwards",
            [](const GrooveFrame& f) { return Profile(f, 5, -2).LineTo(5, 10).LineTo(-5, 10).LineTo(-5, -2).Build(); },
            5},
           {"lead-ins outside",
            [](const GrooveFrame& f) {
              return Profile(f, -9, -3).LineTo(-5, -3).LineTo(-5, 10).LineTo(5, 10).LineTo(5, -3)
                  .LineTo(9, -3).Build();
            },
            -5},
           {"ends on the outline", [](const GrooveFrame& f) { return testing::Rectangular(f, 10, 10, 0); }, -5}}) {
    for (const GrooveFrame& frame : testing::AllFrames()) {
      SCOPED_TRACE(c.name + " / " + frame.name);
      OperationState state = testing::MakeState(frame, 3.0);
      state.contours.work = c.profile(frame);
      TrimWorkToBlank(state);
      const double a = c.from;
      testing::ExpectContour(frame, state.contours.work, {L(a, 0, a, 10), L(a, 10, -a, 10), L(-a, 10, -a, 0)});
    }
  }
  OperationState state = testing::MakeState(testing::AllFrames()[0], 3.0);
  state.contours.work = MakeContour({MakeLine(10, 60, 10, 70)});
  EXPECT_THROW(TrimWorkToBlank(state), GeometryError);
  EXPECT_EQ(state.contours.work.Count(), 1);
  state.host->geometry.reset();
  EXPECT_THROW(TrimWorkToBlank(state), HostError);
}

}  // namespace
}  // namespace sulkor
