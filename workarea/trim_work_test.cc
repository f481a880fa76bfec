#include "workarea/trim_work.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "contour/primitives.h"
#include "contour/segment_build.h"
#include "testing/test_grooves.h"

namespace sulkor {
namespace {

using testing::AllFrames;
using testing::ExpectContour;
using testing::ExpectedSegment;
using testing::GrooveFrame;
using testing::L;
using testing::MakeState;
using testing::Profile;

struct TrimCase {
  std::string name;
  Contour (*profile)(const GrooveFrame&);
  std::vector<ExpectedSegment> expected;
};

TEST(TrimWorkToBlankTest, KeepsTheRunInsideTheBlank) {
  const std::vector<TrimCase> cases = {
      {"ends past the outline",
       [](const GrooveFrame& f) {
         return Profile(f, -5, -2).LineTo(-5, 10).LineTo(5, 10).LineTo(5, -2).Build();
       },
       {L(-5, 0, -5, 10), L(-5, 10, 5, 10), L(5, 10, 5, 0)}},
      {"drawn backwards",
       [](const GrooveFrame& f) {
         return Profile(f, 5, -2).LineTo(5, 10).LineTo(-5, 10).LineTo(-5, -2).Build();
       },
       {L(5, 0, 5, 10), L(5, 10, -5, 10), L(-5, 10, -5, 0)}},
      {"lead-in segments outside are dropped",
       [](const GrooveFrame& f) {
         return Profile(f, -9, -3)
             .LineTo(-5, -3)
             .LineTo(-5, 10)
             .LineTo(5, 10)
             .LineTo(5, -3)
             .LineTo(9, -3)
             .Build();
       },
       {L(-5, 0, -5, 10), L(-5, 10, 5, 10), L(5, 10, 5, 0)}},
      {"ends already on the outline",
       [](const GrooveFrame& f) {
         return Profile(f, -5, 0).LineTo(-5, 10).LineTo(5, 10).LineTo(5, 0).Build();
       },
       {L(-5, 0, -5, 10), L(-5, 10, 5, 10), L(5, 10, 5, 0)}},
  };
  for (const TrimCase& c : cases) {
    for (const GrooveFrame& frame : AllFrames()) {
      SCOPED_TRACE(c.name + " / " + frame.name);
      OperationState state = MakeState(frame, 3.0);
      state.contours.work = c.profile(frame);
      TrimWorkToBlank(state);
      ExpectContour(frame, state.contours.work, c.expected);
    }
  }
}

TEST(TrimWorkToBlankTest, RaisesWhenThereIsNothingToKeep) {
  const GrooveFrame& frame = AllFrames()[0];
  OperationState state = MakeState(frame, 3.0);
  state.contours.work = MakeContour({MakeLine(10, 60, 10, 70)});
  EXPECT_THROW(TrimWorkToBlank(state), GeometryError);
  EXPECT_EQ(state.contours.work.Count(), 1);

  state.host->geometry.reset();
  EXPECT_THROW(TrimWorkToBlank(state), HostError);
}

}  // namespace
}  // namespace sulkor
