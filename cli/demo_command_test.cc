// `sulkor demo`: the example shaft's three grooves, chained, written as a drawing ezdxf audits
// and reads back with the stock of all three taken out of the part's blank.
#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testing/test_program.h"

namespace sulkor::cli {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using testing::InspectDxf;
using testing::RunSulkor;
using testing::ScratchDir;

TEST(DemoCommand, WritesTheChainedShaftAndItsSummary) {
  ScratchDir dir("demo");
  const testing::ProgramResult r = RunSulkor(dir.Path(), {"demo", "out"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string summary = testing::ReadText(dir / "out/summary.txt");
  EXPECT_THAT(r.out, HasSubstr(summary));
  EXPECT_THAT(summary, HasSubstr("operation 1: outside groove (tool 1)\ngroove: outside diameter\n"));
  EXPECT_THAT(summary, HasSubstr("operation 2: bore groove (tool 2)\ngroove: bore\n"));
  EXPECT_THAT(summary, HasSubstr("operation 3: front face groove (tool 3)\ngroove: front face\n"));

  const std::vector<std::string> facts = InspectDxf(dir / "out/shaft.dxf");
  for (const char* group : {"RemovedMaterial", "RemovedMaterial_2", "RemovedMaterial_3"}) {
    EXPECT_THAT(facts, Contains(std::string("group ") + group + " HATCH:1 LWPOLYLINE:1"));
  }
  for (const char* group : {"LastPartBlank", "LastPartBlank_2", "LastPartBlank_3"}) {
    EXPECT_THAT(facts, Contains(std::string("group ") + group + " LWPOLYLINE:1"));
  }
  // The tube 80 x 20 less the outside groove (50 less its two rounded corners), the bore
  // groove (8 x 4) and the face groove (6 x 4), less in each of the last two the two square
  // corners that the inserts' corner radius of 0.2 leaves (0.0172 each).
  const std::string blankFact = "outline Blank closed=1 area=";
  const auto blank = std::find_if(facts.begin(), facts.end(), [&](const std::string& f) {
    return f.rfind(blankFact, 0) == 0;
  });
  ASSERT_NE(blank, facts.end());
  EXPECT_NEAR(std::stod(blank->substr(blankFact.size())), 1494.4632, 1e-3);
  const struct {
    const char* file;
    std::string signature;
  } pictures[] = {{"shaft.png", "\x89PNG"}, {"shaft.svg", "<?xml"}, {"shaft.pdf", "%PDF"}};
  for (const auto& p : pictures) {
    EXPECT_EQ(testing::ReadText(dir / "out" / p.file).substr(0, p.signature.size()), p.signature)
        << p.file;
  }
  const testing::ProgramResult audit = testing::RunIn(
      dir.Path(), {"/usr/bin/python3", "-m", "ezdxf", "audit", (dir / "out/shaft.dxf").string()});
  EXPECT_THAT(audit.out, HasSubstr("No errors found."));
}

}  // namespace
}  // namespace sulkor::cli
