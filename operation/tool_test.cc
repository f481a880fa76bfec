#include "operation/tool.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/memory/memory_host.h"

namespace sulkor {
namespace {

// A host with one part, one block set of that part naming tool 1, and the drawing unit given.
struct ToolFixture {
  explicit ToolFixture(const std::string& drawingUnit) : h(host::BuildMemoryHost()) {
    h.Drawing()->SetProperty("LinearUnitName", Variant(drawingUnit));
    bset = h.store->NewBlockSet();
    bset->SetPart(Handle<Part>(h.store->NewPart(h.Drawing()->TopGraphics()->Add())));
    bset->SetProperty("ToolNumber", int32_t{1});
    state.host = h.environment;
  }

  std::shared_ptr<host::MemoryTool> AddTool(int32_t number, const std::string& measure,
                                            double width, double corner,
                                            const std::string& subtype = "Groove") {
    auto tool = std::make_shared<host::MemoryTool>();
    const std::vector<std::pair<const char*, Variant>> properties = {
        {"CAM_ToolType", "Lathe"}, {"CAM_ToolSubType", Variant(subtype)},
        {"Measure", Variant(measure)}, {"Angle", 90.0}, {"CAM_ToolFrontAngle", 3.0},
        {"CAM_ToolCornerRadius", corner}, {"CAM_ToolWidth", width},
        {"CAM_ToolInscribedCircle", 2.54}, {"CAM_ToolHand", "Right"},
        {"CAM_ToolOverallLength", 25.4}, {"CAM_ToolHeadLength", 12.7},
        {"CAM_ToolIsSide", Variant::Boolean(true)}, {"CAM_ToolHeight", 50.8},
        {"CAM_ToolOrientation", "TurnExternal"}};
    for (const auto& [key, value] : properties) tool->SetProperty(key, value);
    h.store->ToolList().SetTool(number, tool);
    return tool;
  }
  bool Load() { return LoadTool(state, Handle<BlockSet>(bset)); }
  const auto& Shown() { return h.messages->Messages(); }

  host::MemoryHost h;
  std::shared_ptr<host::MemoryBlockSet> bset;
  OperationState state;
};

TEST(Tool, LengthsFollowTheDrawingUnit) {
  struct Case {
    std::string drawingUnit, measure;
    double width, factor;  // of every length
  };
  for (const Case& c : std::vector<Case>{
           {"in", "mm", 5.08, 1 / 25.4}, {"\"", "mm", 5.08, 1 / 25.4},  // the inch mark
           {"mm", "in", 0.2, 25.4}, {"mm", "mm", 3.0, 1}, {"in", "in", 0.2, 1},
           {"cm", "mm", 3.0, 1}, {"in", "", 3.0, 1}, {"", "mm", 3.0, 1},
           {"IN", "mm", 3.0, 1}}) {  // unit names are exact
    ToolFixture f(c.drawingUnit);
    f.AddTool(1, c.measure, c.width, c.width / 10.0);
    const std::string label = c.drawingUnit + "/" + c.measure;
    ASSERT_TRUE(f.Load()) << label;
    const ToolDescription& t = f.state.tool;
    EXPECT_DOUBLE_EQ(t.Width, c.width * c.factor) << label;
    EXPECT_DOUBLE_EQ(t.CornerRadius, c.width / 10.0 * c.factor) << label;
    for (const auto& [length, drawn] : {std::pair(t.InscribedCircle, 2.54), std::pair(t.OverallLength, 25.4),
                                        std::pair(t.HeadLength, 12.7), std::pair(t.Height, 50.8)}) {
      EXPECT_DOUBLE_EQ(length, drawn * c.factor) << label;
    }
    EXPECT_EQ(t.Angle, 90.0) << label;  // angles are not lengths
    EXPECT_EQ(t.FrontAngle, 3.0) << label;
  }
}

// The corner radius against half the width, in the tool's own unit; below 1e-4 after the
// conversion the geometry takes the corner as sharp.
TEST(Tool, CornerRadiusLimits) {
  struct Case {
    std::string drawingUnit;
    double width, corner;
    bool accepted;
    double geomCorner;
  };
  for (const Case& c : std::vector<Case>{{"mm", 3.0, 1.5, true, 1.5}, {"mm", 3.0, 1.51, false, 0},
                                         {"in", 3.0, 1.51, false, 0}, {"mm", 0.0, 0.0, true, 0},
                                         {"mm", 3.0, 5e-5, true, 0}, {"mm", 3.0, 1e-4, true, 1e-4},
                                         {"in", 3.0, 0.001, true, 0}}) {
    ToolFixture f(c.drawingUnit);
    f.AddTool(1, "mm", c.width, c.corner);
    SCOPED_TRACE(c.drawingUnit + " " + std::to_string(c.corner));
    EXPECT_EQ(f.Load(), c.accepted);
    EXPECT_EQ(f.Shown().size(), c.accepted ? 0u : 1u);
    if (!c.accepted) {
      EXPECT_EQ(f.Shown()[0].prompt, "Current Tool has too large Corner Radius");
      EXPECT_EQ(f.Shown()[0].title, "Sulkor");
      continue;
    }
    EXPECT_DOUBLE_EQ(f.state.tool.GeomCornerRadius, c.geomCorner);
  }
}

TEST(Tool, WhichToolAndWhatFails) {
  for (const std::string subtype : {"Turn", "groove", "Groove "}) {
    ToolFixture f("mm");
    f.AddTool(1, "mm", 3.0, 0.2, subtype);
    EXPECT_FALSE(f.Load()) << subtype;
    ASSERT_EQ(f.Shown().size(), 1u);
    EXPECT_EQ(f.Shown()[0].prompt, "Current Tool - \"" + subtype + "\" can't perform Groove function");
  }
  ToolFixture number("mm");  // the number from the block set, rounded half to even
  number.AddTool(4, "mm", 4.0, 0.1);
  number.bset->SetProperty("ToolNumber", 3.5);
  ASSERT_TRUE(number.Load());
  EXPECT_EQ(number.state.params.ToolNumber, 4);
  EXPECT_EQ(number.state.tool.Width, 4.0);

  // Failures without a message: no tool under the number, a required property that cannot be
  // converted (before the subtype is checked), a block set of no part, no block set.
  ToolFixture missing("mm");
  missing.bset->SetProperty("ToolNumber", int32_t{7});
  EXPECT_FALSE(missing.Load());
  ToolFixture unreadable("mm");
  unreadable.AddTool(1, "mm", 3.0, 0.2, "Turn")->SetProperty("CAM_ToolWidth", "wide");
  EXPECT_FALSE(unreadable.Load());
  EXPECT_TRUE(unreadable.Shown().empty());
  ToolFixture partless("mm");
  partless.AddTool(1, "mm", 3.0, 0.2);
  partless.bset->SetPart(nullptr);
  EXPECT_FALSE(partless.Load());
  EXPECT_TRUE(partless.Shown().empty());
  EXPECT_FALSE(LoadTool(partless.state, nullptr));

  // Optional properties that cannot be read keep their value; the reads after them still run.
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
  EXPECT_EQ(f.state.tool.Height, 50.8);
}

}  // namespace
}  // namespace sulkor
