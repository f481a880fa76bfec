#include "host/memory/memory_graphic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "host/memory/memory_drawing.h"

namespace sulkor::host {
namespace {

std::vector<std::string> Names(MemoryGraphics& graphics) {
  std::vector<std::string> names;
  for (auto& g : graphics.All()) names.push_back(g->Name());
  return names;
}

// A top-level collection of a drawing holding graphics named A, B, C.
struct Abc {
  std::shared_ptr<MemoryApplication> app = MemoryApplication::Create({});
  MemoryGraphics& top = app->Active()->TopList();
  Abc() {
    for (const char* name : {"A", "B", "C"}) top.Add()->SetName(name);
  }
};

TEST(MemoryGraphics, ItemByIndexAndName) {
  Abc d;
  d.top.Add()->SetName("B");  // a second "B": the first one is found
  struct Case {
    std::string name;
    int32_t index;  // expected index, -1 for nothing
  } cases[] = {{"A", 0}, {"B", 1}, {"C", 2}, {"b", -1}, {"", -1}, {"D", -1}};
  for (const Case& c : cases) {
    Handle<Graphic> g = d.top.ItemByName(c.name);
    if (c.index < 0) {
      EXPECT_FALSE(g) << c.name;
      EXPECT_THROW(g->Name(), HostError);
    } else {
      ASSERT_TRUE(g) << c.name;
      EXPECT_EQ(g->Index(), c.index) << c.name;
    }
  }
  EXPECT_FALSE(d.top.Item(-1));
  EXPECT_FALSE(d.top.Item(4));
  EXPECT_EQ(d.top.Item(3)->Name(), "B");
}

TEST(MemoryGraphics, RemoveIndexAndDelete) {
  struct Case {
    const char* what;
    std::function<void(MemoryGraphics&)> act;
    std::vector<std::string> left;
  } cases[] = {
      {"remove first", [](MemoryGraphics& t) { t.Remove(0); }, {"B", "C"}},
      {"remove last", [](MemoryGraphics& t) { t.Remove(t.Count() - 1); }, {"A", "B"}},
      {"delete middle", [](MemoryGraphics& t) { t.ItemByName("B")->Delete(); }, {"A", "C"}},
      {"remove by own index",
       [](MemoryGraphics& t) { t.Remove(t.ItemByName("C")->Index()); },
       {"A", "B"}},
      {"remove then delete (no second removal)",
       [](MemoryGraphics& t) {
         Handle<Graphic> b = t.ItemByName("B");
         t.Remove(b->Index());
         b->Delete();
       },
       {"A", "C"}},
      {"delete twice", [](MemoryGraphics& t) {
         Handle<Graphic> a = t.Item(0);
         a->Delete();
         a->Delete();
       },
       {"B", "C"}},
  };
  for (const Case& c : cases) {
    Abc d;
    c.act(d.top);
    EXPECT_EQ(Names(d.top), c.left) << c.what;
    for (int32_t i = 0; i < d.top.Count(); ++i) EXPECT_EQ(d.top.Item(i)->Index(), i) << c.what;
  }

  Abc d;
  EXPECT_THROW(d.top.Remove(3), HostError);
  EXPECT_THROW(d.top.Remove(-1), HostError);
  Handle<Graphic> a = d.top.Item(0);
  d.top.Remove(0);
  EXPECT_THROW(a->Index(), HostError);  // in no collection
  // A removed graphic stays in the context of its drawing.
  EXPECT_TRUE(a->OwnerDrawing() == Handle<Drawing>(d.app->Active()));
}

TEST(MemoryGraphics, AddGraphicReparents) {
  Abc d;
  Handle<Graphic> group = d.top.ItemByName("A");
  Handle<Graphic> b = d.top.ItemByName("B");
  Handle<Graphic> inner = group->Children()->Add("QVL50Polyline");
  inner->SetName("inner");

  group->Children()->AddGraphic(b);
  EXPECT_EQ(Names(d.top), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(group->Children()->Count(), 2);
  EXPECT_EQ(b->Index(), 1);
  EXPECT_TRUE(b->OwnerDrawing() == Handle<Drawing>(d.app->Active()));
  EXPECT_TRUE(b->App() == Handle<Application>(d.app));

  // Back to the top level: out of the group.
  d.top.AddGraphic(b);
  EXPECT_EQ(group->Children()->Count(), 1);
  EXPECT_EQ(b->Index(), 2);

  // A graphic cannot go below itself, and nothing cannot be added.
  EXPECT_THROW(inner->Children()->AddGraphic(group), HostError);
  EXPECT_THROW(group->Children()->AddGraphic(group), HostError);
  EXPECT_THROW(group->Children()->AddGraphic(nullptr), HostError);
  EXPECT_EQ(inner->Index(), 0);

  // A free graphic (no drawing) added into the drawing takes the drawing on.
  auto free = MemoryGraphic::Create("", {});
  EXPECT_FALSE(free->OwnerDrawing());
  EXPECT_FALSE(free->App());
  group->Children()->AddGraphic(Handle<Graphic>(free));
  EXPECT_TRUE(free->OwnerDrawing() == Handle<Drawing>(d.app->Active()));
}

TEST(MemoryGraphics, OperationArmsTheReplacementOfASameNamedGraphic) {
  struct Case {
    bool armed, flagged;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {true, true, {"A", "B", "C"}},        // B replaced in place by the new B
      {true, false, {"A", "B", "C", "B"}},  // not flagged: added at the end
      {false, true, {"A", "B", "C", "B"}},  // not armed: added at the end
  };
  for (const Case& c : cases) {
    Abc d;
    Handle<Graphic> oldB = d.top.ItemByName("B");
    auto fresh = MemoryGraphic::Create("QVL50Polyline", {});
    fresh->SetName("B");
    fresh->SetFlag(c.flagged);
    if (c.armed) d.top.Operation(128);
    d.top.AddGraphic(Handle<Graphic>(fresh));
    EXPECT_EQ(Names(d.top), c.names);
    const bool replaced = c.armed && c.flagged;
    EXPECT_EQ(d.top.ItemByName("B") == Handle<Graphic>(fresh), replaced);
    if (replaced) {
      EXPECT_THROW(oldB->Index(), HostError);  // out of the collection
    } else {
      EXPECT_EQ(oldB->Index(), 1);
    }
  }
  // One replacement per arming.
  Abc d;
  d.top.Operation(128);
  auto first = MemoryGraphic::Create("", {});
  first->SetName("C");
  first->SetFlag(true);
  d.top.AddGraphic(Handle<Graphic>(first));
  auto second = MemoryGraphic::Create("", {});
  second->SetName("A");
  second->SetFlag(true);
  d.top.AddGraphic(Handle<Graphic>(second));
  EXPECT_EQ(Names(d.top), (std::vector<std::string>{"A", "B", "C", "A"}));
}

TEST(MemoryGraphic, BoundingBox) {
  auto app = MemoryApplication::Create({});
  MemoryGraphics& top = app->Active()->TopList();
  struct Case {
    const char* what;
    std::function<Handle<Graphic>()> make;
    BoundingBox box;
  } cases[] = {
      {"empty graphic", [&] { return top.Add(); }, {{0, 0, 0}, {0, 0, 0}}},
      {"flat polyline",
       [&] {
         Handle<Graphic> g = top.Add("QVL50Polyline");
         g->VertexCollection()->Add(1, 2, 0);
         g->VertexCollection()->Add(-3, 5, 0);
         return g;
       },
       {{-3, 2, 0}, {1, 5, 0}}},
      {"solid: a group whose children span z",
       [&] {
         Handle<Graphic> g = top.Add();
         Handle<Graphic> solid = g->Children()->Add(kKindSolid);
         solid->VertexCollection()->Add(0, 0, -2.5);
         solid->VertexCollection()->Add(4, 3, 2.5);
         Handle<Graphic> profile = g->Children()->Add("QVL50Polyline");
         profile->VertexCollection()->Add(0, 0, 0);
         profile->VertexCollection()->Add(4, 3, 0);
         return g;
       },
       {{0, 0, -2.5}, {4, 3, 2.5}}},
      {"polyline with a counterclockwise half turn over the top",
       [&] {
         Handle<Graphic> g = top.Add("QVL50Polyline");
         Handle<Vertices> v = g->VertexCollection();
         v->Add(1, 0, 0);
         v->Add(0, 0, 0)->SetArcMark(true);  // centre
         v->Add(0, 1, 0)->SetArcMark(true);  // quarter point
         v->Add(-1, 0, 0);
         return g;
       },
       {{-1, 0, 0}, {1, 1, 0}}},
      {"the same half turn clockwise, under the axis",
       [&] {
         Handle<Graphic> g = top.Add("QVL50Polyline");
         Handle<Vertices> v = g->VertexCollection();
         v->Add(1, 0, 0);
         v->Add(0, 0, 0)->SetArcMark(true);
         v->Add(0, -1, 0)->SetArcMark(true);
         v->Add(-1, 0, 0);
         return g;
       },
       {{-1, -1, 0}, {1, 0, 0}}},
      {"circle", [&] { return top.AddCircleCenterPoint(2, 3, 0, 4, 3, 0); },
       {{0, 1, 0}, {4, 5, 0}}},
      {"arc through three points",
       [&] { return top.AddArcThroughPoints(1, 0, 0, 0, 1, 0, -1, 0, 0); },
       {{-1, 0, 0}, {1, 1, 0}}},
      {"moved circle",
       [&] {
         Handle<Graphic> c = top.AddCircleCenterPoint(0, 0, 0, 1, 0, 0);
         c->MoveBy(10, -10, 1e-4);
         return c;
       },
       {{9, -11, 1e-4}, {11, -9, 1e-4}}},
  };
  for (const Case& c : cases) {
    BoundingBox box = c.make()->Box();
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(box.min[k], c.box.min[k], 1e-12) << c.what << " min " << k;
      EXPECT_NEAR(box.max[k], c.box.max[k], 1e-12) << c.what << " max " << k;
    }
  }
}

TEST(MemoryGraphics, ArcsAndCirclesAsVertices) {
  auto app = MemoryApplication::Create({});
  MemoryGraphics& top = app->Active()->TopList();
  struct Case {
    const char* what;
    double p[6];
    double vertices[8];  // start, end, quarter, centre
  } cases[] = {
      {"counterclockwise points keep their order",
       {1, 0, 0, 1, -1, 0},
       {1, 0, -1, 0, 0, 1, 0, 0}},
      {"clockwise points are walked from the last",
       {-1, 0, 0, 1, 1, 0},
       {1, 0, -1, 0, 0, 1, 0, 0}},
      {"quarter arc around (2, 2)", {4, 2, 2 + std::sqrt(2.0), 2 + std::sqrt(2.0), 2, 4},
       {4, 2, 2, 4, 2, 4, 2, 2}},
  };
  for (const Case& c : cases) {
    Handle<Graphic> arc = top.AddArcThroughPoints(c.p[0], c.p[1], 0, c.p[2], c.p[3], 0, c.p[4],
                                                  c.p[5], 0);
    EXPECT_EQ(arc->Kind(), "Arc");
    Handle<Vertices> v = arc->VertexCollection();
    ASSERT_EQ(v->Count(), 4) << c.what;
    for (int32_t i = 0; i < 4; ++i) {
      EXPECT_NEAR(v->Item(i)->X(), c.vertices[2 * i], 1e-12) << c.what << " vertex " << i;
      EXPECT_NEAR(v->Item(i)->Y(), c.vertices[2 * i + 1], 1e-12) << c.what << " vertex " << i;
      EXPECT_EQ(v->Item(i)->ArcMark(), i >= 2) << c.what << " vertex " << i;
    }
  }
  EXPECT_THROW(top.AddArcThroughPoints(0, 0, 0, 1, 1, 0, 2, 2, 0), HostError);  // on one line
  EXPECT_THROW(top.AddArcThroughPoints(0, 0, 0, 0, 0, 0, 2, 2, 0), HostError);  // coincident

  Handle<Graphic> circle = top.AddCircleCenterPoint(1, 2, 0, 1, 5, 0);
  EXPECT_EQ(circle->Kind(), "Circle");
  Handle<Vertices> v = circle->VertexCollection();
  ASSERT_EQ(v->Count(), 2);
  EXPECT_TRUE(v->Item(0)->ArcMark());
  EXPECT_DOUBLE_EQ(v->Item(1)->Y(), 5.0);
  EXPECT_THROW(v->Item(2), HostError);
  EXPECT_THROW(top.AddCircleCenterPoint(1, 2, 0, 1, 2, 0), HostError);
}

TEST(MemoryGraphic, KeepsWhatIsWritten) {
  auto app = MemoryApplication::Create({});
  std::shared_ptr<MemoryDrawing> drawing = app->Active();
  Handle<Graphic> g = drawing->TopGraphics()->Add("QVL50Polyline");
  EXPECT_EQ(g->Kind(), "QVL50Polyline");
  EXPECT_TRUE(g->Property("PenColor").IsEmpty());
  g->SetProperty("PenColor", int32_t{16711680});
  g->SetProperty("PenWidth", int16_t{0});
  g->SetProperty("PenStyle", "CONTINUOUS");
  g->SetProperty("BrushScale", 25.0);
  EXPECT_EQ(g->Property("PenColor"), Variant(int32_t{16711680}));
  EXPECT_EQ(g->Property("PenWidth").Type(), VariantType::Integer);
  EXPECT_EQ(g->Property("PenStyle").ToText(), "CONTINUOUS");
  EXPECT_EQ(g->Property("BrushScale").ToDouble(), 25.0);
  EXPECT_TRUE(g->Property("pencolor").IsEmpty());  // names are exact

  g->SetLayer("CAMOperations");
  EXPECT_EQ(g->Layer(), "CAMOperations");
  EXPECT_FALSE(g->FillBrush());
  g->SetFillBrush(drawing->BrushByName("ANSI36"));
  EXPECT_EQ(g->FillBrush()->Name(), "ANSI36");
  g->SetFillBrush(nullptr);
  EXPECT_FALSE(g->FillBrush());

  auto* memory = dynamic_cast<MemoryGraphic*>(&*g);
  ASSERT_NE(memory, nullptr);
  EXPECT_FALSE(g->Closed());
  g->SetClosed(true);
  g->SetState(0);
  g->SetFlag(true);
  g->OpenUpdate();
  g->CloseUpdate();
  g->CloseUpdate();  // an unmatched close does no harm
  g->Update();
  g->Draw();
  EXPECT_TRUE(g->Closed());
  EXPECT_EQ(memory->State(), 0);
  EXPECT_TRUE(memory->Flag());
  EXPECT_EQ(memory->OpenBrackets(), 0);
  EXPECT_EQ(memory->Updates(), 1);
  EXPECT_EQ(memory->Draws(), 1);

  drawing->TopGraphics()->Operation(128);
  EXPECT_EQ(drawing->TopList().Operations(), std::vector<int16_t>{128});
}

TEST(MemoryDrawing, PropertiesAndBrushes) {
  auto app = MemoryApplication::Create({});
  Handle<Drawing> drawing = app->ActiveDrawing();
  EXPECT_EQ(drawing->Property("LinearUnitName").ToText(), "mm");
  drawing->SetProperty("LinearUnitName", "\"");
  EXPECT_EQ(drawing->Property("LinearUnitName").ToText(), "\"");
  EXPECT_TRUE(drawing->Property("Nothing").IsEmpty());
  EXPECT_EQ(drawing->BrushByName("ANSI36")->Name(), "ANSI36");
  EXPECT_FALSE(drawing->BrushByName("ansi36"));
  EXPECT_TRUE(drawing->App() == Handle<Application>(app));
  EXPECT_TRUE(drawing->TopGraphics()->OwnerDrawing() == drawing);

  // Without a host the application creates nothing, and says so with nothing.
  EXPECT_FALSE(app->CreateObject("Zentrix.Graphic.4"));

  // A new drawing becomes the active one; the old one keeps its graphics.
  drawing->TopGraphics()->Add()->SetName("kept");
  std::shared_ptr<MemoryDrawing> second = app->NewDrawing();
  EXPECT_TRUE(app->ActiveDrawing() == Handle<Drawing>(second));
  EXPECT_EQ(second->TopGraphics()->Count(), 0);
  EXPECT_EQ(drawing->TopGraphics()->Count(), 1);
}

}  // namespace
}  // namespace sulkor::host
