#include "host/dxf/dxf_file.h"
#include "testing/test_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "contour/segment_build.h"
#include "host/dxf/dxf_colors.h"
#include "host/dxf/dxf_error.h"
#include "host/dxf/entity_reader.h"
#include "kernel/contour_services.h"
#include "host/memory/memory_drawing.h"
#include "host/memory/scene.h"

namespace sulkor::host {
namespace {

constexpr double kSame = 1e-9;

std::shared_ptr<MemoryDrawing> NewDrawing() {
  static std::vector<std::shared_ptr<MemoryApplication>> apps;  // keep the owners alive
  apps.push_back(MemoryApplication::Create({}));
  return apps.back()->Active();
}

// A contour with arcs that continue one another on the same circle merged into one arc, so that
// an arc written in two halves compares equal to the whole.
Contour Merged(const Contour& c) {
  Contour out;
  for (const Segment& s : c.Segs) {
    if (!out.Empty()) {
      Segment& last = out.Segs.back();
      if (s.IsArc() && last.IsArc() && s.Direction == last.Direction &&
          std::hypot(s.Center.x - last.Center.x, s.Center.y - last.Center.y) < kSame &&
          std::fabs(s.Radius - last.Radius) < kSame) {
        last = MakeArc(last.StartPt.x, last.StartPt.y, s.EndPt.x, s.EndPt.y, last.Center.x,
                       last.Center.y, last.Direction);
        continue;
      }
    }
    out.Segs.push_back(s);
  }
  return out;
}

void ExpectSameGeometry(const Contour& a, const Contour& b, const std::string& what) {
  const Contour ma = Merged(a), mb = Merged(b);
  ASSERT_EQ(ma.Count(), mb.Count()) << what;
  for (int32_t i = 0; i < ma.Count(); ++i) {
    const Segment& s = ma.Seg(i);
    const Segment& t = mb.Seg(i);
    EXPECT_EQ(s.Kind, t.Kind) << what << " segment " << i;
    EXPECT_NEAR(s.StartPt.x, t.StartPt.x, kSame) << what << " segment " << i;
    EXPECT_NEAR(s.StartPt.y, t.StartPt.y, kSame) << what << " segment " << i;
    EXPECT_NEAR(s.EndPt.x, t.EndPt.x, kSame) << what << " segment " << i;
    EXPECT_NEAR(s.EndPt.y, t.EndPt.y, kSame) << what << " segment " << i;
    if (s.IsArc() || s.IsCircle()) {
      EXPECT_EQ(s.Direction, t.Direction) << what << " segment " << i;
      EXPECT_NEAR(s.Center.x, t.Center.x, kSame) << what << " segment " << i;
      EXPECT_NEAR(s.Center.y, t.Center.y, kSame) << what << " segment " << i;
      EXPECT_NEAR(s.Radius, t.Radius, kSame) << what << " segment " << i;
    }
  }
}

Contour ContourOf(const Handle<Graphic>& g) {
  Contour c;
  ConvertGraphicToContour(g, c);
  return c;
}

using testing::RunCommand;

// A scratch folder of its own per test program run.
std::filesystem::path TempDir() {
  static const std::filesystem::path dir = [] {
    std::filesystem::path d = std::filesystem::temp_directory_path() /
                              ("sulkor_dxf_" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

// ezdxf's audit of the file: its report, which says "No errors found." for a sound file.
std::string Audit(const std::string& path) {
  return RunCommand("/usr/bin/python3 -m ezdxf audit " + path);
}

// Work contour: a step with a counterclockwise and a clockwise arc. Blank: a closed outline with
// an arc of more than half a turn.
Contour WorkContour() {
  return MakeContour({MakeLine(0, 10, 5, 10), MakeArc(5, 10, 7, 12, 5, 12, 1),
                      MakeLine(7, 12, 7, 15), MakeArc(7, 15, 9, 17, 9, 15, -1),
                      MakeLine(9, 17, 30.25, 17)});
}
Contour BlankContour() {
  return MakeContour({MakeLine(0, 0, 40, 0), MakeLine(40, 0, 40, 20),
                      MakeArc(40, 20, 0, 20, 20, 20, 1), MakeLine(0, 20, 0, 0)});
}
Contour SlotContour() {  // a closed outline with an arc of three quarters of a turn
  return MakeContour({MakeLine(50, 0, 60, 0), MakeArc(60, 0, 50, 10, 50, 0, 1),
                      MakeLine(50, 10, 50, 0)});
}

TEST(DxfFile, RoundTripKeepsGeometryUnitsAndRoles) {
  struct Case {
    std::string units;
    bool circle;
  } cases[] = {{"mm", false}, {"in", true}};
  for (const Case& c : cases) {
    auto drawing = NewDrawing();
    drawing->SetProperty("LinearUnitName", Variant(c.units));
    Handle<Graphics> top = drawing->TopGraphics();
    AddContourPolyline(*top, WorkContour(), "WorkContour");
    Handle<Graphic> part = top->Add();
    part->SetName("Part");
    AddContourPolyline(*part->Children(), BlankContour(), "Blank");
    AddContourPolyline(*top, SlotContour(), "Slot")->SetProperty("PenColor", Variant(int32_t{255}));
    if (c.circle) top->AddCircleCenterPoint(3, 4, 0, 5.5, 4, 0)->SetName("DATA");

    const std::string text = ExportDxfText(*drawing);
    auto back = NewDrawing();
    back->SetProperty("LinearUnitName", Variant("?"));
    ImportDxfText(text, "round.dxf", *back);

    EXPECT_EQ(back->Property("LinearUnitName").ToText(), c.units);
    Handle<Graphics> got = back->TopGraphics();
    ASSERT_EQ(got->Count(), c.circle ? 4 : 3) << c.units;
    Handle<Graphic> work = got->ItemByName("WorkContour");
    ASSERT_TRUE(work);
    EXPECT_FALSE(work->Closed());
    EXPECT_EQ(work->Layer(), "WorkContour");
    ExpectSameGeometry(ContourOf(work), WorkContour(), "WorkContour " + c.units);
    Handle<Graphic> blank = got->ItemByName("Blank");
    ASSERT_TRUE(blank);
    EXPECT_TRUE(blank->Closed());
    ExpectSameGeometry(ContourOf(blank), BlankContour(), "Blank " + c.units);
    // A second closed outline away from the work contour is not the blank: kept aside.
    Handle<Graphic> leftOut = got->ItemByName("LeftOut");
    ASSERT_TRUE(leftOut);
    Handle<Graphic> slot = leftOut->Children()->ItemByName("Slot");
    ASSERT_TRUE(slot);
    ExpectSameGeometry(ContourOf(slot), SlotContour(), "Slot " + c.units);
    EXPECT_EQ(slot->Property("PenColor").ToLong(), 255);
    if (c.circle) {
      Handle<Graphic> data = got->ItemByName("DATA");
      ASSERT_TRUE(data);
      ExpectSameGeometry(ContourOf(data), MakeContour({MakeCircle(3, 4, 2.5)}), "DATA");
    }
  }
}

// A drawing as a run leaves it: the work contour, the part with its stock, and on
// "CAMOperations" the trajectory, the hatched removed material and the last part blank.
std::shared_ptr<MemoryDrawing> RunDrawing(double hatchScale, std::string_view units = "mm") {
  auto drawing = NewDrawing();
  drawing->SetProperty("LinearUnitName", Variant(units));
  Handle<Graphics> top = drawing->TopGraphics();
  AddContourPolyline(*top, WorkContour(), "WorkContour");
  Handle<Graphic> part = top->Add();
  part->SetName("Part");
  AddContourPolyline(*part->Children(), BlankContour(), "Blank");
  Handle<Graphic> op = top->Add();
  op->SetName("Operation 1");
  Handle<Graphics> opGraphics = op->Children();
  Handle<Graphic> trajectory = opGraphics->Add();
  trajectory->SetName("Trajectory");
  Handle<Graphics> moves = trajectory->Children();
  struct Move {
    double x1, y1, x2, y2;
    int32_t color;
  } lines[] = {{45, 25, 20, 25, 65535}, {20, 25, 20, 18, 255}, {20, 18, 20, 25, 16776960}};
  for (const Move& m : lines) {
    Handle<Graphic> line = moves->Add();
    line->VertexCollection()->Add(m.x1, m.y1, 1e-4);
    line->VertexCollection()->Add(m.x2, m.y2, 1e-4);
    line->SetProperty("PenColor", Variant(m.color));
  }
  Handle<Graphic> arc = moves->AddArcThroughPoints(20, 18, 0, 21 - std::sqrt(0.5),
                                                   18 - std::sqrt(0.5), 0, 22, 18, 0);
  arc->SetProperty("PenColor", Variant(int32_t{255}));
  arc->MoveBy(0, 0, 1e-4);
  Handle<Graphic> removed = AddContourPolyline(
      *opGraphics,
      MakeContour({MakeLine(18, 20, 24, 20), MakeLine(24, 20, 24, 17),
                   MakeArc(24, 17, 18, 17, 21, 17, -1), MakeLine(18, 17, 18, 20)}),
      "RemovedMaterial");
  removed->SetLayer("CAMOperations");
  removed->SetProperty("PenColor", Variant(int32_t{65280}));
  removed->SetFillBrush(drawing->BrushByName("ANSI36"));
  removed->SetProperty("BrushScale", Variant(hatchScale));
  Handle<Graphic> stock = AddContourPolyline(*opGraphics, BlankContour(), "LastPartBlank");
  stock->SetLayer("CAMOperations");
  stock->SetProperty("PenColor", Variant(int32_t{16711680}));
  return drawing;
}

TEST(DxfFile, RunOutputPassesEzdxfAuditAndReadsBack) {
  for (double scale : {0.5, 2.0}) {
    auto drawing = RunDrawing(scale);
    const std::string path = (TempDir() / ("run_" + std::to_string(scale) + ".dxf")).string();
    ExportDxfFile(*drawing, path);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    EXPECT_THAT(Audit(path), ::testing::HasSubstr("No errors found.")) << path;

    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const DxfDocument doc = ReadDxf(text, "run.dxf");
    EXPECT_EQ(doc.version, "AC1024");
    EXPECT_EQ(doc.insUnits, 4);
    EXPECT_THAT(doc.layers, ::testing::IsSupersetOf({"0", "CAMOperations", "WorkContour",
                                                     "Blank"}));
    std::vector<std::string> groupNames;
    for (const DxfGroup& g : doc.groups) groupNames.push_back(g.name);
    EXPECT_THAT(groupNames, ::testing::ElementsAre("Trajectory", "RemovedMaterial",
                                                   "LastPartBlank"));
    ASSERT_EQ(doc.groups.size(), 3u);
    EXPECT_EQ(doc.groups[0].members.size(), 4u);  // three lines and an arc
    EXPECT_EQ(doc.groups[1].members.size(), 2u);  // the outline and its hatch
    EXPECT_EQ(doc.groups[2].members.size(), 1u);
    int hatches = 0;
    for (const DxfEntity& e : doc.entities) {
      if (e.type == DxfType::Hatch) {
        ++hatches;
        EXPECT_EQ(e.pattern, "ANSI36");
        EXPECT_DOUBLE_EQ(e.patternScale, scale);
        EXPECT_EQ(e.patternLines, 1);
        EXPECT_EQ(e.layer, "CAMOperations");
        EXPECT_EQ(e.colorIndex, 3);
        ASSERT_EQ(e.loops.size(), 1u);
        EXPECT_EQ(e.loops[0].vertices.size(), 4u);
      }
      if (e.layer == "CAMOperations" && e.type == DxfType::Line) {
        EXPECT_THAT(e.colorIndex, ::testing::AnyOf(1, 2, 4));
        EXPECT_EQ(ToDrawingColor(FromTrueColor(e.trueColor)),
                  ToDrawingColor(AciColor(e.colorIndex)));
      }
    }
    EXPECT_EQ(hatches, 1);

    // Read back into a drawing: the run's graphics return by their names.
    auto back = NewDrawing();
    ImportDxfFile(path, *back);
    Handle<Graphics> got = back->TopGraphics();
    Handle<Graphic> t = got->ItemByName("Trajectory");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Children()->Count(), 4);
    EXPECT_EQ(t->Children()->Item(0)->Property("PenColor").ToLong(), 65535);
    EXPECT_NEAR(t->Children()->Item(0)->VertexCollection()->Item(0)->Z(), 1e-4, 1e-12);
    Handle<Graphic> r = got->ItemByName("RemovedMaterial");
    ASSERT_TRUE(r);
    ASSERT_TRUE(r->FillBrush());
    EXPECT_EQ(r->FillBrush()->Name(), "ANSI36");
    EXPECT_DOUBLE_EQ(r->Property("BrushScale").ToDouble(), scale);
    EXPECT_EQ(r->Property("PenColor").ToLong(), 65280);
    Handle<Graphic> l = got->ItemByName("LastPartBlank");
    ASSERT_TRUE(l);
    EXPECT_EQ(l->Property("PenColor").ToLong(), 16711680);
    ExpectSameGeometry(ContourOf(l), BlankContour(), "LastPartBlank");
  }
}

// What ezdxf, the independent reader, finds in a file: version and units, each group with its
// entities (type, layer, colour index, true colour), the hatch and its pattern line, the
// polylines with their arcs.
constexpr const char* kEzdxfSummary = R"(import sys
import ezdxf
doc = ezdxf.readfile(sys.argv[1])
print("version", doc.dxfversion, "units", doc.header.get("$INSUNITS"))
for name, group in doc.groups:
    items = sorted("%s %s %d %s" % (e.dxftype(), e.dxf.layer, e.dxf.color, e.rgb) for e in group)
    print("group", name, "|", ", ".join(items))
for e in doc.modelspace().query("HATCH"):
    p = e.pattern.lines[0]
    print("hatch %s scale %g lines %d paths %d angle %g dashes %s" % (
        e.dxf.pattern_name, e.dxf.pattern_scale, len(e.pattern.lines), len(e.paths),
        p.angle, " ".join("%g" % d for d in p.dash_length_items)))
for e in doc.modelspace().query("LWPOLYLINE"):
    bulges = sum(1 for p in e.get_points() if p[4] != 0)
    print("lwpolyline", e.dxf.layer, len(e), "closed" if e.closed else "open", "arcs", bulges)
)";

TEST(DxfFile, EzdxfReadsGroupsColoursHatchAndUnits) {
  const std::filesystem::path script = TempDir() / "summary.py";
  std::ofstream(script) << kEzdxfSummary;
  struct Case {
    std::string units;
    double scale;
    std::string summary;
  } cases[] = {
      {"mm", 2.0,
       "version AC1024 units 4\n"
       "group Trajectory | ARC CAMOperations 1 (255, 0, 0), LINE CAMOperations 1 (255, 0, 0), "
       "LINE CAMOperations 2 (255, 255, 0), LINE CAMOperations 4 (0, 255, 255)\n"
       "group RemovedMaterial | HATCH CAMOperations 3 (0, 255, 0), "
       "LWPOLYLINE CAMOperations 3 (0, 255, 0)\n"
       "group LastPartBlank | LWPOLYLINE CAMOperations 5 (0, 0, 255)\n"
       "hatch ANSI36 scale 2 lines 1 paths 1 angle 45 dashes 15.875 -3.175 0 -3.175\n"
       "lwpolyline WorkContour 6 open arcs 2\n"
       "lwpolyline Blank 4 closed arcs 1\n"
       "lwpolyline CAMOperations 4 closed arcs 1\n"
       "lwpolyline CAMOperations 4 closed arcs 1\n"},
      {"in", 0.5,
       "version AC1024 units 1\n"
       "group Trajectory | ARC CAMOperations 1 (255, 0, 0), LINE CAMOperations 1 (255, 0, 0), "
       "LINE CAMOperations 2 (255, 255, 0), LINE CAMOperations 4 (0, 255, 255)\n"
       "group RemovedMaterial | HATCH CAMOperations 3 (0, 255, 0), "
       "LWPOLYLINE CAMOperations 3 (0, 255, 0)\n"
       "group LastPartBlank | LWPOLYLINE CAMOperations 5 (0, 0, 255)\n"
       "hatch ANSI36 scale 0.5 lines 1 paths 1 angle 45 dashes 3.96875 -0.79375 0 -0.79375\n"
       "lwpolyline WorkContour 6 open arcs 2\n"
       "lwpolyline Blank 4 closed arcs 1\n"
       "lwpolyline CAMOperations 4 closed arcs 1\n"
       "lwpolyline CAMOperations 4 closed arcs 1\n"},
  };
  for (const Case& c : cases) {
    const std::string path = (TempDir() / ("ezdxf_" + c.units + ".dxf")).string();
    ExportDxfFile(*RunDrawing(c.scale, c.units), path);
    EXPECT_THAT(Audit(path), ::testing::HasSubstr("No errors found.")) << c.units;
    EXPECT_EQ(RunCommand("/usr/bin/python3 " + script.string() + " " + path), c.summary) << c.units;
  }
}

TEST(DxfFile, FilesThatCannotBeOpenedOrWrittenNameTheFile) {
  auto drawing = NewDrawing();
  try {
    ImportDxfFile((TempDir() / "missing.dxf").string(), *drawing);
    ADD_FAILURE() << "no error";
  } catch (const DxfError& e) {
    EXPECT_STREQ(e.what(), "missing.dxf: cannot be opened");
  }
  const std::string path = (TempDir() / "no_such_folder" / "out.dxf").string();
  try {
    ExportDxfFile(*RunDrawing(1.0), path);
    ADD_FAILURE() << "no error";
  } catch (const DxfError& e) {
    EXPECT_STREQ(e.what(), "out.dxf: cannot be written");
  }
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

  // An arc whose quarter point lies on the line through start and centre: no file at all.
  auto bad = NewDrawing();
  Handle<Graphic> arc = bad->TopGraphics()->AddArcThroughPoints(0, 0, 0, 1, 1, 0, 2, 0, 0);
  arc->VertexCollection()->Item(2)->SetX(-1.0);
  arc->VertexCollection()->Item(2)->SetY(0.0);
  const std::string badPath = (TempDir() / "bad.dxf").string();
  try {
    ExportDxfFile(*bad, badPath);
    ADD_FAILURE() << "no error";
  } catch (const DxfError& e) {
    EXPECT_STREQ(e.what(),
                 "bad.dxf: the drawing cannot be written: arc quarter point does not fix a "
                 "direction");
  }
  EXPECT_FALSE(std::filesystem::exists(badPath));
}

TEST(DxfFile, DamagedFilesFailWithDxfErrorOnly) {
  const std::string text = ExportDxfText(*RunDrawing(1.0));
  std::vector<std::size_t> lineEnds;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') lineEnds.push_back(i);
  }
  int failures = 0;
  auto tryImport = [&](const std::string& damaged) {
    auto drawing = NewDrawing();
    try {
      ImportDxfText(damaged, "damaged.dxf", *drawing);
    } catch (const DxfError& e) {
      ++failures;
      EXPECT_EQ(std::string(e.what()).rfind("damaged.dxf: ", 0), 0u) << e.what();
      EXPECT_EQ(drawing->TopGraphics()->Count(), 0);
    }
  };
  // Cut after every line: every cut before the final EOF fails.
  for (std::size_t k = 0; k + 1 < lineEnds.size(); ++k) tryImport(text.substr(0, lineEnds[k] + 1));
  EXPECT_EQ(failures, static_cast<int>(lineEnds.size()) - 1);
  // Every 7th line replaced by garbage: a clear error or a drawing, never anything else.
  for (std::size_t k = 0; k < lineEnds.size(); k += 7) {
    const std::size_t start = k == 0 ? 0 : lineEnds[k - 1] + 1;
    tryImport(text.substr(0, start) + "#~" + text.substr(lineEnds[k]));
  }
}

TEST(DxfFile, ArcGraphicsOfEitherDirectionAndWithoutCentre) {
  // Arcs as the trajectory holds them: counterclockwise, rewritten clockwise, and one kept by
  // start, end and quarter point alone. DXF arcs run counterclockwise, so each comes back as the
  // counterclockwise arc over the same points.
  auto drawing = NewDrawing();
  Handle<Graphics> top = drawing->TopGraphics();
  AddContourPolyline(*top, WorkContour(), "WorkContour");
  Handle<Graphic> group = top->Add();
  group->SetName("Trajectory");
  Handle<Graphics> moves = group->Children();
  moves->AddArcThroughPoints(10, 0, 0, 0, 10, 0, -10, 0, 0);  // upper half, ccw
  Handle<Graphic> cw = moves->AddArcThroughPoints(10, 0, 0, 0, -10, 0, -10, 0, 0);
  Handle<Vertices> v = cw->VertexCollection();  // the upper half again, clockwise from (-10, 0)
  v->Item(0)->SetX(-10);
  v->Item(1)->SetX(10);
  v->Item(2)->SetX(0);
  v->Item(2)->SetY(10);
  // Without its centre: half a turn clockwise from (0, 5) through (5, 0) to (0, -5).
  Handle<Graphic> three = moves->Add("Arc");
  three->VertexCollection()->Add(0, 5, 0);
  three->VertexCollection()->Add(0, -5, 0);
  three->VertexCollection()->Add(5, 0, 0);
  auto back = NewDrawing();
  ImportDxfText(ExportDxfText(*drawing), "arcs.dxf", *back);
  Handle<Graphic> t = back->TopGraphics()->ItemByName("Trajectory");
  ASSERT_TRUE(t);
  ASSERT_EQ(t->Children()->Count(), 3);
  const Contour upper = MakeContour({MakeArc(10, 0, -10, 0, 0, 0, 1)});
  ExpectSameGeometry(ContourOf(t->Children()->Item(0)), upper, "ccw arc");
  ExpectSameGeometry(ContourOf(t->Children()->Item(1)), upper, "cw arc");
  ExpectSameGeometry(ContourOf(t->Children()->Item(2)),
                     MakeContour({MakeArc(0, -5, 0, 5, 0, 0, 1)}), "arc without centre");
}

}  // namespace
}  // namespace sulkor::host
