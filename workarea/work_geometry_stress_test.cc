// A generated set of groove drawings on random blanks, all four kinds of work: the preparation
// must answer every one of them, true or one message, without an exception and in bounded time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstdint>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "testing/test_random_grooves.h"
#include "workarea/work_geometry.h"

namespace sulkor {
namespace {

using testing::GrooveFrame;
using testing::PreparedScene;
using testing::Random;
using testing::SceneSetup;

// With SULKOR_STRESS_DUMP set to the start of a message, the cases refused with it are printed
// so that they can be drawn again by hand.
void DumpCase(int i, const GrooveFrame& frame, const SceneSetup& setup) {
  std::cout << "case " << i << " " << frame.name << " w " << setup.toolWidth << " r "
            << setup.cornerRadius << " t " << setup.finish << " " << setup.direction << "\n  blank";
  for (double v : frame.blank) std::cout << " " << v;
  std::cout << "\n";
  for (const Segment& s : setup.work.Segs) {
    std::cout << "  " << (s.IsLine() ? "line " : "arc ") << s.StartPt.x << " " << s.StartPt.y
              << " -> " << s.EndPt.x << " " << s.EndPt.y;
    if (s.IsArc()) std::cout << " centre " << s.Center.x << " " << s.Center.y << " " << s.Direction;
    std::cout << "\n";
  }
}

TEST(WorkGeometryStressTest, EveryRandomGrooveGetsAnAnswer) {
  constexpr int kCases = 2000;
  Random rnd(20240607u);
  std::map<std::string, int> outcomes;
  double slowest = 0.0;
  const auto begin = std::chrono::steady_clock::now();
  for (int i = 0; i < kCases; ++i) {
    GrooveFrame frame;
    const SceneSetup setup = testing::RandomGroove(rnd, i, frame);
    SCOPED_TRACE("case " + std::to_string(i) + " " + frame.name);

    const auto start = std::chrono::steady_clock::now();
    std::string outcome;
    try {
      const PreparedScene p = testing::RunPreparation(setup);
      if (p.ok) {
        EXPECT_TRUE(p.Messages().empty());
        EXPECT_TRUE(testing::ClosesOnItself(p.State().contours.toMachine, 1e-5));
        outcome = "prepared";
      } else {
        ASSERT_EQ(p.Messages().size(), 1u);
        EXPECT_EQ(p.Messages()[0].title, "Sulkor function cannot be performed.");
        outcome = p.Messages()[0].prompt;
        if (const char* dump = std::getenv("SULKOR_STRESS_DUMP")) {
          if (outcome.rfind(dump, 0) == 0) DumpCase(i, frame, setup);
        }
      }
    } catch (const std::exception& e) {
      ADD_FAILURE() << "exception out of the preparation: " << e.what();
      outcome = "exception";
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    slowest = std::max(slowest, seconds);
    ++outcomes[std::string(frame.name) + ": " + outcome];
  }
  const double total =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  std::cout << kCases << " random grooves in " << total << " s, slowest " << slowest << " s\n";
  for (const auto& [what, n] : outcomes) std::cout << "  " << n << "  " << what << "\n";
  EXPECT_LT(slowest, 2.0);
}

}  // namespace
}  // namespace sulkor
