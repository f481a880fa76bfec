// `sulkor demo`: the example shaft's three grooves, chained, written as a drawing ezdxf audits
// and reads back with the stock of all three taken out of the part's blank.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/test_program.h"

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
  // groove (8 x 4) and the face groove (6 x 4).
  EXPECT_THAT(facts, Contains("outline Blank closed=1 area=1494.4289"));
  const testing::ProgramResult audit = testing::RunIn(
      dir.Path(), {"/usr/bin/python3", "-m", "ezdxf", "audit", (dir / "out/shaft.dxf").string()});
  EXPECT_THAT(audit.out, HasSubstr("No errors found."));
}

}  // namespace
}  // namespace sulkor::cli
