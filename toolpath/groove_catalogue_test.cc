// Every groove of the catalogue, at no finish allowance, at 0.1 mm (0.004 in) and at the
// operation's default, judged as a machinist would: no cut into the finished part deeper than
// 1e-3 mm, nothing left thicker than 0.005 mm that the insert could have reached, no positioning
// move into the stock standing at that moment, and a path that starts and ends at the start
// point.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "testing/groove_catalogue.h"
#include "testing/machining_judge.h"

namespace sulkor {
namespace {

TEST(GrooveCatalogue, EveryGrooveIsCutRight) {
  const auto& catalogue = testing::GrooveCatalogue();
  ASSERT_GE(catalogue.size(), 40u);
  int right = 0, runs = 0;
  for (const testing::GrooveCase& c : catalogue) {
    const double mm = c.units == "in" ? 1.0 / 25.4 : 1.0;
    for (const std::optional<double> allowance :
         {std::optional<double>(0.0), std::optional<double>(0.1 * mm), std::optional<double>()}) {
      SCOPED_TRACE(c.name + " at allowance " +
                   (allowance ? std::to_string(*allowance) : std::string("default")));
      const testing::Verdict v = testing::Judge(c, allowance);
      ++runs;
      EXPECT_TRUE(v.built) << v.detail;
      if (!v.built) continue;
      EXPECT_LE(v.gouge, 1e-3 * mm);
      EXPECT_LE(v.leftReachable, 0.005 * mm) << "at " << v.leftAt[0] << ", " << v.leftAt[1];
      EXPECT_LE(v.positioning, 1e-3 * mm);
      EXPECT_TRUE(v.closedAtStart);
      EXPECT_LE(v.stockMismatch, 1e-3 * mm);
      right += v.gouge <= 1e-3 * mm && v.leftReachable <= 0.005 * mm &&
               v.positioning <= 1e-3 * mm && v.closedAtStart;
    }
  }
  std::printf("%d of %d runs cut right\n", right, runs);
}

}  // namespace
}  // namespace sulkor
