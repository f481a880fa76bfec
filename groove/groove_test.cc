#include "sulkor/groove.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "operation/host_objects.h"
#include "operation/operation_state.h"
#include "host/memory/memory_host.h"
#include "groove/groove_state.h"

namespace sulkor {
namespace {

using host::MemoryHost;

// A closed polyline through (x0, y0), (x1, y1), ... at height z, added to a collection.
Handle<Graphic> AddPolyline(const Handle<Graphics>& into, const std::string& name,
                            const std::vector<double>& xy, double z = 0.0) {
  Handle<Graphic> g = into->Add(kKindPolyline);
  g->SetName(name);
  Handle<Vertices> vs = g->VertexCollection();
  for (size_t i = 0; i + 1 < xy.size(); i += 2) vs->Add(xy[i], xy[i + 1], z);
  g->SetClosed(true);
  return g;
}

// The rectangle of the stock: x from 0 to 5 along the axis, radius up to 20.
const std::vector<double> kStock = {0, 0, 5, 0, 5, 20, 0, 20};

struct HostWithPart {
  HostWithPart() {
    partGroup = h.Drawing()->TopGraphics()->Add();
    partGroup->SetName("Part");
    h.store->NewPart(partGroup);
  }
  Handle<Graphics> PartChildren() { return partGroup->Children(); }

  MemoryHost h = host::BuildMemoryHost();
  Handle<Graphic> partGroup;
};

TEST(GrooveObject, DefaultsByUnitsSystem) {
  struct Case {
    Variant setting;
    bool inch;
  };
  const Case cases[] = {
      {int16_t{1}, true}, {int32_t{1}, true}, {1.0, true},  {"1", true},
      {Variant(), false}, {int16_t{0}, false}, {2.0, false}, {"inch", false},
  };
  for (const Case& c : cases) {
    MemoryHost h = host::BuildMemoryHost();
    if (!c.setting.IsEmpty()) h.store->SetSetting("CAM_UnitsSystem", c.setting);
    Groove groove(h.environment);
    const std::string label = c.setting.IsEmpty() ? "Empty" : c.setting.ToText();
    const double feed = c.inch ? 4.5 : 115.0;
    EXPECT_EQ(groove.GetParameter("Feed"), Variant(feed)) << label;
    EXPECT_EQ(groove.GetParameter("CAM_TurningFinishFeed"), Variant(feed)) << label;
    EXPECT_DOUBLE_EQ(groove.GetParameter("CAM_TurningDepthOnPass").ToDouble(),
                     c.inch ? 0.3 : 7.62) << label;
    EXPECT_DOUBLE_EQ(groove.GetParameter("CAM_TurningFinishThickness").ToDouble(),
                     c.inch ? 0.05 : 1.27) << label;
    EXPECT_EQ(groove.GetParameter("Speed"), Variant(1300.0));
    EXPECT_EQ(groove.GetParameter("CAM_TurningFinishSpeed"), Variant(1300.0));
    EXPECT_EQ(groove.GetParameter("CAM_SpeedFactor"), Variant(1.0));
    EXPECT_EQ(groove.GetParameter("CAM_FeedFactor"), Variant(1.0));
    EXPECT_EQ(groove.GetParameter("CAM_TurningTrajectoryType"), Variant("Turn"));
    EXPECT_EQ(groove.GetParameter("CAM_TurningDirection"), Variant("External"));
    EXPECT_EQ(groove.GetParameter("ToolNumber"), Variant(int32_t{1}));
    EXPECT_EQ(groove.GetParameter("CAM_TurningStartPointX"), Variant(1.0));  // no part
    EXPECT_EQ(groove.GetParameter("CAM_TurningStartPointZ"), Variant(1.0));
    EXPECT_EQ(groove.UseUndo(), Variant::Boolean(true));
    EXPECT_TRUE(StateOf(groove).contours.blank.Empty());
  }
}

TEST(GrooveObject, StartPointOneUnitOutsideTheBlank) {
  struct Case {
    std::string what;
    std::function<void(HostWithPart&)> build;
    double startX, startZ;
    int32_t blankSegments;
  };
  const std::vector<Case> cases = {
      {"no blank graphic", [](HostWithPart&) {}, 1.0, 1.0, 0},
      {"only DATA children",
       [](HostWithPart& p) {
         AddPolyline(p.PartChildren(), "DATA", kStock);
         AddPolyline(p.PartChildren(), "DATA", {0, 0, 9, 0, 9, 9});
       },
       1.0, 1.0, 0},
      {"flat blank", [](HostWithPart& p) { AddPolyline(p.PartChildren(), "Blank", kStock); },
       41.0, 6.0, 4},
      {"the last non-DATA child wins",
       [](HostWithPart& p) {
         AddPolyline(p.PartChildren(), "Old", {0, 0, 50, 0, 50, 50, 0, 50});
         AddPolyline(p.PartChildren(), "Blank", kStock);
         AddPolyline(p.PartChildren(), "DATA", {0, 0, 70, 0, 70, 70});
       },
       41.0, 6.0, 4},
      {"flat blank with an arc on top",  // radius 10 at its highest point
       [](HostWithPart& p) {
         Handle<Graphic> g = p.PartChildren()->Add(kKindPolyline);
         g->SetName("Blank");
         Handle<Vertices> vs = g->VertexCollection();
         vs->Add(0, 0, 0);
         vs->Add(10, 0, 0);
         vs->Add(10, 5, 0);
         vs->Add(5, 5, 0)->SetArcMark(true);   // the centre
         vs->Add(5, 10, 0)->SetArcMark(true);  // a quarter turn on
         vs->Add(0, 5, 0);
         g->SetClosed(true);
       },
       21.0, 11.0, 4},
  };
  for (const Case& c : cases) {
    HostWithPart p;
    c.build(p);
    Groove groove(p.h.environment);
    EXPECT_EQ(groove.GetParameter("CAM_TurningStartPointX").ToDouble(), c.startX) << c.what;
    EXPECT_EQ(groove.GetParameter("CAM_TurningStartPointZ").ToDouble(), c.startZ) << c.what;
    EXPECT_EQ(StateOf(groove).contours.blank.Count(), c.blankSegments) << c.what;
  }
}

TEST(GrooveObject, SolidBlankUsesItsProfileNotItsBody) {
  HostWithPart p;
  Handle<Graphic> solid = p.PartChildren()->Add();
  solid->SetName("Blank");
  Handle<Graphics> inside = solid->Children();
  Handle<Graphic> data = inside->Add(kKindData);
  data->VertexCollection()->Add(0, 0, 0);
  data->VertexCollection()->Add(300, 300, 0);
  Handle<Graphic> body = inside->Add(kKindSolid);
  body->VertexCollection()->Add(0, 0, -20);
  body->VertexCollection()->Add(200, 200, 20);
  AddPolyline(inside, "profile", kStock);
  AddPolyline(inside, "second profile", {0, 0, 70, 0, 70, 70});
  Groove groove(p.h.environment);
  EXPECT_EQ(groove.GetParameter("CAM_TurningStartPointX").ToDouble(), 41.0);
  EXPECT_EQ(groove.GetParameter("CAM_TurningStartPointZ").ToDouble(), 6.0);

  // A solid without a profile gives no blank.
  HostWithPart q;
  Handle<Graphic> bare = q.PartChildren()->Add();
  bare->SetName("Blank");
  Handle<Graphic> onlyBody = bare->Children()->Add(kKindSolid);
  onlyBody->VertexCollection()->Add(0, 0, 0);
  onlyBody->VertexCollection()->Add(5, 20, 3);
  Groove noProfile(q.h.environment);
  EXPECT_EQ(noProfile.GetParameter("CAM_TurningStartPointX").ToDouble(), 1.0);
  EXPECT_TRUE(StateOf(noProfile).contours.blank.Empty());
}

TEST(GrooveObject, PartWithoutGroup) {
  MemoryHost h = host::BuildMemoryHost();
  h.store->NewPart(nullptr);
  Groove groove(h.environment);
  EXPECT_EQ(groove.GetParameter("CAM_TurningStartPointX"), Variant(1.0));
  EXPECT_EQ(groove.GetParameter("CAM_TurningStartPointZ"), Variant(1.0));
}

TEST(GrooveObject, ConstructionNeedsTheHost) {
  EXPECT_THROW(Groove(nullptr), HostError);
  EXPECT_THROW(Groove(std::make_shared<HostEnvironment>()), HostError);  // no data store
  MemoryHost h = host::BuildMemoryHost();
  Groove groove(h.environment);
  ASSERT_TRUE(StateOf(groove).scratch);
  EXPECT_TRUE(StateOf(groove).scratch->Children());  // the factory of new graphics
}

TEST(GrooveObject, UseUndoReadAndWrite) {
  MemoryHost h = host::BuildMemoryHost();
  Groove groove(h.environment);
  EXPECT_EQ(groove.UseUndo(), Variant::Boolean(true));
  groove.UseUndo(Variant(int32_t{0}));
  EXPECT_EQ(groove.UseUndo(), Variant::Boolean(false));
  EXPECT_EQ(groove.UseUndo().Type(), VariantType::Boolean);
  groove.UseUndo(Variant("True"));
  EXPECT_EQ(groove.UseUndo(), Variant::Boolean(true));
  EXPECT_THROW(groove.UseUndo(Variant("sometimes")), VariantError);
  EXPECT_EQ(groove.UseUndo(), Variant::Boolean(true));  // unchanged
}

TEST(GrooveObject, ParametersThroughThePublicMembers) {
  MemoryHost h = host::BuildMemoryHost();
  Groove groove(h.environment);
  EXPECT_FALSE(groove.SetParameter("Feed", 12.5));
  EXPECT_EQ(groove.GetParameter("Feed"), Variant(12.5));
  EXPECT_FALSE(groove.SetParameter("feed", 99.0));
  EXPECT_EQ(groove.GetParameter("Feed"), Variant(12.5));
  EXPECT_TRUE(groove.GetParameter("feed").IsEmpty());
  EXPECT_EQ(groove.GetParameter("ToolNumber").Type(), VariantType::Long);
  EXPECT_FALSE(groove.SetParameter("ToolNumber", 5.0));

  auto bset = h.store->NewBlockSet();
  bset->SetProperty("Feed", 20.0);
  bset->SetProperty("ToolNumber", int32_t{9});
  EXPECT_TRUE(groove.SetParameters(Handle<BlockSet>(bset)));
  EXPECT_EQ(groove.GetParameter("Feed"), Variant(20.0));
  EXPECT_EQ(groove.GetParameter("Speed"), Variant(1300.0));
  EXPECT_EQ(groove.GetParameter("ToolNumber"), Variant(int32_t{5}));
  EXPECT_TRUE(groove.SetParameters(nullptr));
}

TEST(GrooveObject, MembersAnswerWithoutRaisingOnAnEmptyOperation) {
  MemoryHost h = host::BuildMemoryHost();
  Groove groove(h.environment);
  auto bset = h.store->NewBlockSet();
  // A block set is made even without a selection; it has nothing to run.
  Handle<BlockSet> made = groove.CreateBlockSet(nullptr);
  ASSERT_TRUE(made);
  EXPECT_EQ(made->Property("OperationType"), Variant("Groove"));
  EXPECT_FALSE(groove.DoGroove(made));
  EXPECT_FALSE(groove.DoGroove(Handle<BlockSet>(bset)));
  EXPECT_FALSE(groove.UpdateBlockSet(Handle<BlockSet>(bset), true));
  EXPECT_FALSE(groove.AddBodyToPart(Handle<BlockSet>(bset)));
  EXPECT_FALSE(groove.AddBodyToPart(nullptr));
  EXPECT_TRUE(h.messages->Messages().empty());
}

// An application whose CreateObject answers as told.
class ScriptedCreator : public Application {
 public:
  enum class Mode { Nothing, Fails, Creates };
  explicit ScriptedCreator(Mode mode) : mode_(mode) {}
  Handle<HostObject> CreateObject(std::string_view) override {
    ++calls;
    if (mode_ == Mode::Fails) throw HostError("CreateObject failed");
    if (mode_ == Mode::Nothing) return nullptr;
    return made;
  }
  Handle<Drawing> ActiveDrawing() override { return nullptr; }

  Handle<HostObject> made = MakeHandle<HostObject>();
  int calls = 0;

 private:
  Mode mode_;
};

TEST(GrooveObject, CreateThroughACreatorFallsBackToPlainCreation) {
  ObjectRegistry registry;
  auto direct = MakeHandle<HostObject>();
  registry.Register("Some.Object", [direct] { return direct; });
  using Mode = ScriptedCreator::Mode;

  auto creates = std::make_shared<ScriptedCreator>(Mode::Creates);
  EXPECT_EQ(CreateThroughCreator(registry, Handle<Application>(creates), "Some.Object"),
            creates->made);
  for (Mode mode : {Mode::Nothing, Mode::Fails}) {
    auto creator = std::make_shared<ScriptedCreator>(mode);
    EXPECT_EQ(CreateThroughCreator(registry, Handle<Application>(creator), "Some.Object"), direct);
    EXPECT_EQ(creator->calls, 1);
  }
  EXPECT_EQ(CreateThroughCreator(registry, nullptr, "Some.Object"), direct);
  EXPECT_THROW(CreateThroughCreator(registry, nullptr, "Unknown.Object"), HostError);
  EXPECT_EQ(CamOperationsLayer(), "CAMOperations");
}

}  // namespace
}  // namespace sulkor
