#include "sulkor/groove.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "groove/groove_state.h"
#include "host/memory/memory_host.h"
#include "operation/host_objects.h"

namespace sulkor {
namespace {

using host::MemoryHost;

// A closed polyline through the points, added to a collection.
Handle<Graphic> AddPolyline(const Handle<Graphics>& into, const std::string& name, const std::vector<double>& xy) {
  Handle<Graphic> g = into->Add(kKindPolyline);
  g->SetName(name);
  for (size_t i = 0; i + 1 < xy.size(); i += 2) g->VertexCollection()->Add(xy[i], xy[i + 1], 0.0);
  g->SetClosed(true);
  return g;
}

const std::vector<double> kStock = {0, 0, 5, 0, 5, 20, 0, 20};  // x 0 to 5, radius up to 20

// "1" in any numeric form chooses inch defaults; the metric ones are the inch ones in mm.
TEST(GrooveObject, DefaultsByUnitsSystem) {
  for (const Variant& setting : {Variant(int16_t{1}), Variant(1.0), Variant("1"), Variant(), Variant(int16_t{0}),
                                 Variant(2.0), Variant("inch")}) {
    MemoryHost h = host::BuildMemoryHost();
    if (!setting.IsEmpty()) h.store->SetSetting("CAM_UnitsSystem", setting);
    Groove groove(h.environment);
    const bool inch = setting == Variant(int16_t{1}) || setting == Variant(1.0) || setting == Variant("1");
    const std::string label = setting.IsEmpty() ? "Empty" : setting.ToText();
    EXPECT_EQ(groove.GetParameter("Feed"), Variant(inch ? 4.5 : 115.0)) << label;
    EXPECT_EQ(groove.GetParameter("CAM_TurningFinishFeed"), Variant(inch ? 4.5 : 115.0)) << label;
    EXPECT_DOUBLE_EQ(groove.GetParameter("CAM_TurningDepthOnPass").ToDouble(), inch ? 0.3 : 7.62) << label;
    EXPECT_DOUBLE_EQ(groove.GetParameter("CAM_TurningFinishThickness").ToDouble(), inch ? 0.05 : 1.27) << label;
  }
}

// The start point lies one unit outside the part's blank (X a diameter): the last child of the
// part's group that is not DATA, a polyline or a solid's profile; none: 1, 1.
TEST(GrooveObject, StartPointOneUnitOutsideTheBlank) {
  struct Case {
    std::string what;
    std::function<void(const Handle<Graphics>&)> build;
    double startX, startZ;
  };
  for (const Case& c : std::vector<Case>{
           {"no blank graphic", [](const Handle<Graphics>&) {}, 1, 1},
           {"the last non-DATA child wins",
            [](const Handle<Graphics>& p) {
              AddPolyline(p, "Old", {0, 0, 50, 0, 50, 50, 0, 50});
              AddPolyline(p, "Blank", kStock);
              AddPolyline(p, "DATA", {0, 0, 70, 0, 70, 70});
            },
            41, 6},
           {"an arc on top, radius 10 at its highest point",
            [](const Handle<Graphics>& p) {
              Handle<Graphic> g = p->Add(kKindPolyline);
              g->SetName("Blank");
              Handle<Vertices> vs = g->VertexCollection();
              for (const auto& [x, y] : std::vector<std::pair<double, double>>{{0, 0}, {10, 0}, {10, 5}}) vs->Add(x, y, 0);
              vs->Add(5, 5, 0)->SetArcMark(true);   // the centre
              vs->Add(5, 10, 0)->SetArcMark(true);  // a quarter turn on
              vs->Add(0, 5, 0);
              g->SetClosed(true);
            },
            21, 11},
           {"a solid: its profile, not its body",
            [](const Handle<Graphics>& p) {
              Handle<Graphic> solid = p->Add();
              solid->SetName("Blank");
              Handle<Graphic> body = solid->Children()->Add(kKindSolid);
              body->VertexCollection()->Add(0, 0, -20);
              body->VertexCollection()->Add(200, 200, 20);
              AddPolyline(solid->Children(), "profile", kStock);
            },
            41, 6}}) {
    MemoryHost h = host::BuildMemoryHost();
    Handle<Graphic> group = h.Drawing()->TopGraphics()->Add();
    h.store->NewPart(group);
    c.build(group->Children());
    Groove groove(h.environment);
    EXPECT_EQ(groove.GetParameter("CAM_TurningStartPointX").ToDouble(), c.startX) << c.what;
    EXPECT_EQ(groove.GetParameter("CAM_TurningStartPointZ").ToDouble(), c.startZ) << c.what;
  }
  MemoryHost h = host::BuildMemoryHost();
  h.store->NewPart(nullptr);  // a part without a group
  EXPECT_EQ(Groove(h.environment).GetParameter("CAM_TurningStartPointX"), Variant(1.0));
}

// The public members answer without raising: construction needs a host with a data store, an
// operation with nothing to run answers false without a message, an unreadable undo setting
// changes nothing.
TEST(GrooveObject, MembersOnAnEmptyOperation) {
  EXPECT_THROW(Groove(nullptr), HostError);
  EXPECT_THROW(Groove(std::make_shared<HostEnvironment>()), HostError);
  MemoryHost h = host::BuildMemoryHost();
  Groove groove(h.environment);
  Handle<BlockSet> made = groove.CreateBlockSet(nullptr);  // made even without a selection
  ASSERT_TRUE(made);
  EXPECT_EQ(made->Property("OperationType"), Variant("Groove"));
  EXPECT_FALSE(groove.DoGroove(made));
  auto bset = Handle<BlockSet>(h.store->NewBlockSet());
  EXPECT_FALSE(groove.DoGroove(bset));
  EXPECT_FALSE(groove.UpdateBlockSet(bset, true));
  EXPECT_FALSE(groove.AddBodyToPart(bset));
  EXPECT_TRUE(h.messages->Messages().empty());
  groove.UseUndo(Variant(int32_t{0}));
  EXPECT_EQ(groove.UseUndo(), Variant::Boolean(false));
  EXPECT_THROW(groove.UseUndo(Variant("sometimes")), VariantError);
  EXPECT_EQ(groove.UseUndo(), Variant::Boolean(false));
}

// An application's creator is asked first; when it gives nothing or fails, the registry
// creates; an unknown ProgID fails.
TEST(GrooveObject, CreateThroughACreatorFallsBackToPlainCreation) {
  struct Creator : Application {
    Handle<HostObject> answer;
    bool fails = false;
    Handle<HostObject> CreateObject(std::string_view) override {
      if (fails) throw HostError("CreateObject failed");
      return answer;
    }
    Handle<Drawing> ActiveDrawing() override { return nullptr; }
  };
  ObjectRegistry registry;
  const auto direct = MakeHandle<HostObject>();
  registry.Register("Some.Object", [direct] { return direct; });
  auto creator = std::make_shared<Creator>();
  EXPECT_EQ(CreateThroughCreator(registry, Handle<Application>(creator), "Some.Object"), direct);
  creator->fails = true;
  EXPECT_EQ(CreateThroughCreator(registry, Handle<Application>(creator), "Some.Object"), direct);
  creator->fails = false;
  creator->answer = MakeHandle<HostObject>();
  EXPECT_EQ(CreateThroughCreator(registry, Handle<Application>(creator), "Some.Object"), creator->answer);
  EXPECT_THROW(CreateThroughCreator(registry, nullptr, "Unknown.Object"), HostError);
}

}  // namespace
}  // namespace sulkor
