#include "operation/tool.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/memory/memory_host.h"

namespace sulkor {
namespace {

using host::MemoryHost;
using host::MemoryTool;

// A host with one part (its group in the active drawing), one block set of that part naming
// tool 1, and the drawing unit given.
struct ToolFixture {
  explicit ToolFixture(const std::string& drawingUnit) : h(host::BuildMemoryHost()) {
    h.Drawing()->SetProperty("LinearUnitName", Variant(drawingUnit));
    Handle<Graphic> group = h.Drawing()->TopGraphics()->Add();
    part = h.store->NewPart(group);
    bset = h.store->NewBlockSet();
    bset->SetPart(Handle<Part>(part));
    bset->SetProperty("ToolNumber", int32_t{1});
    state.host = h.environment;
  }

  std::shared_ptr<MemoryTool> AddTool(int32_t number, const std::string& measure, double width,
                                      double corner, const std::string& subtype = "Groove") {
    auto tool = std::make_shared<MemoryTool>();
    tool->SetProperty("CAM_ToolType", "Lathe");
    tool->SetProperty("CAM_ToolSubType", Variant(subtype));
    tool->SetProperty("Measure", Variant(measure));
    tool->SetProperty("Angle", 90.0);
    tool->SetProperty("CAM_ToolFrontAngle", 3.0);
    tool->SetProperty("CAM_ToolCornerRadius", corner);
    tool->SetProperty("CAM_ToolWidth", width);
    tool->SetProperty("CAM_ToolInscribedCircle", 2.54);
    tool->SetProperty("CAM_ToolHand", "Right");
    tool->SetProperty("CAM_ToolOverallLength", 25.4);
    tool->SetProperty("CAM_ToolHeadLength", 12.7);
    tool->SetProperty("CAM_ToolIsSide", Variant::Boolean(true));
    tool->SetProperty("CAM_ToolHeight", 50.8);
    tool->SetProperty("CAM_ToolOrientation", "TurnExternal");
    h.store->ToolList().SetTool(number, tool);
    return tool;
  }

  bool Load() { return LoadTool(state, Handle<BlockSet>(bset)); }

  MemoryHost h;
  std::shared_ptr<host::MemoryPart> part;
  std::shared_ptr<host::MemoryBlockSet> bset;
  OperationState state;
};

TEST(Tool, LengthsFollowTheDrawingUnit) {
  struct Case {
    std::string drawingUnit;
    std::string measure;
    double width;
    double factor;  // of every length
  };
  const Case cases[] = {
      {"in", "mm", 5.08, 1.0 / 25.4}, {"\"", "mm", 5.08, 1.0 / 25.4},  // the inch mark
      {"mm", "in", 0.2, 25.4},        {"mm", "mm", 3.0, 1.0},
      {"in", "in", 0.2, 1.0},         {"cm", "mm", 3.0, 1.0},  // another unit: unchanged
      {"in", "", 3.0, 1.0},           {"", "mm", 3.0, 1.0},
      {"IN", "mm", 3.0, 1.0},  // unit names are exact
  };
  for (const Case& c : cases) {
    ToolFixture f(c.drawingUnit);
    f.AddTool(1, c.measure, c.width, c.width / 10.0);
    ASSERT_TRUE(f.Load()) << c.drawingUnit << "/" << c.measure;
    const ToolDescription& t = f.state.tool;
    const std::string label = c.drawingUnit + "/" + c.measure;
    EXPECT_DOUBLE_EQ(t.Width, c.width * c.factor) << label;
    EXPECT_DOUBLE_EQ(t.CornerRadius, c.width / 10.0 * c.factor) << label;
    EXPECT_DOUBLE_EQ(t.GeomCornerRadius, t.CornerRadius) << label;
    EXPECT_DOUBLE_EQ(t.InscribedCircle, 2.54 * c.factor) << label;
    EXPECT_DOUBLE_EQ(t.OverallLength, 25.4 * c.factor) << label;
    EXPECT_DOUBLE_EQ(t.HeadLength, 12.7 * c.factor) << label;
    EXPECT_DOUBLE_EQ(t.Height, 50.8 * c.factor) << label;
    EXPECT_EQ(t.Angle, 90.0) << label;  // angles are not lengths
    EXPECT_EQ(t.FrontAngle, 3.0) << label;
    EXPECT_TRUE(f.h.messages->Messages().empty());
  }
  ToolFixture f("in");
  f.AddTool(1, "mm", 5.08, 0.0);
  ASSERT_TRUE(f.Load());
  EXPECT_DOUBLE_EQ(f.state.tool.Width, 0.2);
}

TEST(Tool, EveryPropertyIsLoaded) {
  ToolFixture f("mm");
  f.AddTool(1, "mm", 3.0, 0.4);
  ASSERT_TRUE(f.Load());
  const ToolDescription& t = f.state.tool;
  EXPECT_EQ(t.ToolType, "Lathe");
  EXPECT_EQ(t.SubType, "Groove");
  EXPECT_EQ(t.MeasureUnit, "mm");
  EXPECT_EQ(t.Hand, "Right");
  EXPECT_TRUE(t.IsSide);
  EXPECT_EQ(t.Orientation, "TurnExternal");
}

TEST(Tool, CornerRadiusAgainstHalfTheWidth) {
  struct Case {
    double width, corner;
    bool accepted;
  };
  const Case cases[] = {{3.0, 1.5, true}, {3.0, 1.51, false}, {3.0, 0.0, true}, {0.0, 0.0, true}};
  for (const Case& c : cases) {
    ToolFixture f("mm");
    f.AddTool(1, "mm", c.width, c.corner);
    EXPECT_EQ(f.Load(), c.accepted) << c.corner;
    if (c.accepted) {
      EXPECT_TRUE(f.h.messages->Messages().empty());
    } else {
      ASSERT_EQ(f.h.messages->Messages().size(), 1u);
      EXPECT_EQ(f.h.messages->Messages()[0].prompt, "Current Tool has too large Corner Radius");
      EXPECT_EQ(f.h.messages->Messages()[0].title, "Sulkor");
    }
  }
  // The comparison is made in the tool's own unit, before the conversion.
  ToolFixture inch("in");
  inch.AddTool(1, "mm", 3.0, 1.51);
  EXPECT_FALSE(inch.Load());
  EXPECT_EQ(inch.state.tool.Width, 3.0);
}

TEST(Tool, SharpCornerForTheGeometry) {
  struct Case {
    std::string drawingUnit;
    double corner;
    double expectedCorner;
    double expectedGeom;
  };
  const Case cases[] = {
      {"mm", 0.00005, 0.00005, 0.0},
      {"mm", 1e-4, 1e-4, 1e-4},  // not below: kept
      {"in", 0.001, 0.001 / 25.4, 0.0},  // small only after the conversion
  };
  for (const Case& c : cases) {
    ToolFixture f(c.drawingUnit);
    f.AddTool(1, "mm", 3.0, c.corner);
    ASSERT_TRUE(f.Load());
    EXPECT_DOUBLE_EQ(f.state.tool.CornerRadius, c.expectedCorner) << c.corner;
    if (c.expectedGeom == 0.0) {
      EXPECT_EQ(f.state.tool.GeomCornerRadius, 0.0) << c.corner;
    } else {
      EXPECT_EQ(f.state.tool.GeomCornerRadius, f.state.tool.CornerRadius) << c.corner;
    }
  }
}

TEST(Tool, OnlyGroovingToolsAreUsed) {
  for (const std::string subtype : {"Turn", "groove", "", "Groove "}) {
    ToolFixture f("mm");
    f.AddTool(1, "mm", 3.0, 0.2, subtype);
    EXPECT_FALSE(f.Load()) << subtype;
    ASSERT_EQ(f.h.messages->Messages().size(), 1u);
    EXPECT_EQ(f.h.messages->Messages()[0].prompt,
              "Current Tool - \"" + subtype + "\" can't perform Groove function");
    EXPECT_EQ(f.h.messages->Messages()[0].title, "Sulkor");
  }
}

TEST(Tool, NumberComesFromTheBlockSet) {
  ToolFixture f("mm");
  f.AddTool(1, "mm", 1.0, 0.1);
  f.AddTool(4, "mm", 4.0, 0.1);
  f.state.params.ToolNumber = 1;
  f.bset->SetProperty("ToolNumber", 3.5);  // rounds half to even: 4
  ASSERT_TRUE(f.Load());
  EXPECT_EQ(f.state.params.ToolNumber, 4);
  EXPECT_EQ(f.state.tool.Width, 4.0);
}

TEST(Tool, FailuresWithoutAMessage) {
  {  // no tool under the number
    ToolFixture f("mm");
    f.bset->SetProperty("ToolNumber", int32_t{7});
    EXPECT_FALSE(f.Load());
  }
  {  // a required property that cannot be converted ends the loading at once
    ToolFixture f("mm");
    auto tool = f.AddTool(1, "mm", 3.0, 0.2, "Turn");
    tool->SetProperty("CAM_ToolWidth", "wide");
    EXPECT_FALSE(f.Load());
    EXPECT_TRUE(f.h.messages->Messages().empty());  // the subtype check was never reached
  }
  {  // a block set of no part
    ToolFixture f("mm");
    f.AddTool(1, "mm", 3.0, 0.2);
    f.bset->SetPart(nullptr);
    EXPECT_FALSE(f.Load());
    EXPECT_TRUE(f.h.messages->Messages().empty());
  }
  {  // no block set at all
    ToolFixture f("mm");
    f.AddTool(1, "mm", 3.0, 0.2);
    EXPECT_FALSE(LoadTool(f.state, nullptr));
  }
}

TEST(Tool, OptionalPropertiesKeepTheirValueWhenUnreadable) {
  ToolFixture f("mm");
  auto tool = f.AddTool(1, "mm", 3.0, 0.2);
  tool->SetProperty("CAM_ToolOverallLength", "long");
  tool->SetProperty("CAM_ToolHeadLength", "short");
  tool->SetProperty("CAM_ToolIsSide", "perhaps");
  f.state.tool.OverallLength = 99.0;
  f.state.tool.HeadLength = 7.0;
  f.state.tool.IsSide = true;
  ASSERT_TRUE(f.Load());
  EXPECT_EQ(f.state.tool.OverallLength, 0.0);  // reset before the read
  EXPECT_EQ(f.state.tool.HeadLength, 7.0);
  EXPECT_TRUE(f.state.tool.IsSide);
  EXPECT_EQ(f.state.tool.Height, 50.8);  // the reads after a failing one still run
  EXPECT_EQ(f.state.tool.Orientation, "TurnExternal");
}

}  // namespace
}  // namespace sulkor
