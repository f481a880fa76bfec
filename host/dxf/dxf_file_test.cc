// Writing drawings as DXF: a run's drawing passes ezdxf's audit, ezdxf reads its units, groups,
// colours, hatch and outlines, and it reads back into a drawing with its names, colours and
// geometry; arcs of either direction come back; files that cannot be opened, written or read
// whole fail clearly. Reading what CAD programs write is dxf_cad_files_test.cc's.
#include "host/dxf/dxf_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "contour/segment_build.h"
#include "host/dxf/dxf_error.h"
#include "host/memory/memory_drawing.h"
#include "host/memory/scene.h"
#include "kernel/contour_services.h"
#include "testing/process.h"

namespace sulkor::host {
namespace {

std::shared_ptr<MemoryDrawing> NewDrawing(const std::string& units = "mm") {
  static std::vector<std::shared_ptr<MemoryApplication>> apps;  // keep the owners alive
  apps.push_back(MemoryApplication::Create({}));
  apps.back()->Active()->SetProperty("LinearUnitName", Variant(units));
  return apps.back()->Active();
}

// A graphic's geometry as text to 1e-9, arcs that continue one another on one circle merged,
// so that an arc written in two halves reads as the whole.
std::string Geometry(const Handle<Graphic>& g) {
  if (!g) return "missing";
  Contour c;
  ConvertGraphicToContour(g, c);
  std::vector<Segment> merged;
  for (const Segment& s : c.Segs) {
    Segment* last = merged.empty() ? nullptr : &merged.back();
    if (last && s.IsArc() && last->IsArc() && s.Direction == last->Direction &&
        std::hypot(s.Center.x - last->Center.x, s.Center.y - last->Center.y) < 1e-9) {
      *last = MakeArc(last->StartPt.x, last->StartPt.y, s.EndPt.x, s.EndPt.y, s.Center.x, s.Center.y, s.Direction);
    } else {
      merged.push_back(s);
    }
  }
  std::string out = g->Closed() ? "closed" : "open";
  const auto round = [](double v) { return std::round(v * 1e9) / 1e9 + 0.0; };
  for (const Segment& s : merged) {
    char piece[160];
    std::snprintf(piece, sizeof piece, " (%.12g %.12g %.12g %.12g", round(s.StartPt.x), round(s.StartPt.y),
                  round(s.EndPt.x), round(s.EndPt.y));
    out += piece;
    std::snprintf(piece, sizeof piece, " c %.12g %.12g r %.12g %d)", round(s.Center.x), round(s.Center.y), round(s.Radius),
                  s.Direction);
    out += s.IsLine() ? ")" : piece;
  }
  return out;
}

// Work contour: a step with a counterclockwise and a clockwise arc. Blank: a closed outline with
// an arc of more than half a turn.
const Contour kWork = MakeContour({MakeLine(0, 10, 5, 10), MakeArc(5, 10, 7, 12, 5, 12, 1), MakeLine(7, 12, 7, 15),
                                   MakeArc(7, 15, 9, 17, 9, 15, -1), MakeLine(9, 17, 30.25, 17)});
const Contour kBlank = MakeContour({MakeLine(0, 0, 40, 0), MakeLine(40, 0, 40, 20),
                                    MakeArc(40, 20, 0, 20, 20, 20, 1), MakeLine(0, 20, 0, 0)});

// The part: the work contour and the blank in a group "Part".
std::shared_ptr<MemoryDrawing> PartDrawing(const std::string& units) {
  auto drawing = NewDrawing(units);
  AddContourPolyline(*drawing->TopGraphics(), kWork, "WorkContour");
  Handle<Graphic> part = drawing->TopGraphics()->Add();
  part->SetName("Part");
  AddContourPolyline(*part->Children(), kBlank, "Blank");
  return drawing;
}

std::string GeometryOf(const Contour& c, bool closed) {
  auto drawing = NewDrawing();
  Handle<Graphic> g = AddContourPolyline(*drawing->TopGraphics(), c, "x");
  g->SetClosed(closed);
  return Geometry(g);
}

// A drawing as a run leaves it: the part, and on "CAMOperations" the trajectory (lines in three
// colours and an arc, lifted 1e-4), the hatched removed material and the last part blank.
std::shared_ptr<MemoryDrawing> RunDrawing(double hatchScale, const std::string& units = "mm") {
  auto drawing = PartDrawing(units);
  Handle<Graphic> op = drawing->TopGraphics()->Add();
  op->SetName("Operation 1");
  Handle<Graphic> trajectory = op->Children()->Add();
  trajectory->SetName("Trajectory");
  for (const auto& [x1, y1, x2, y2, color] : {std::tuple{45, 25, 20, 25, 65535}, {20, 25, 20, 18, 255},
                                              {20, 18, 20, 25, 16776960}}) {
    Handle<Graphic> line = trajectory->Children()->Add();
    line->VertexCollection()->Add(x1, y1, 1e-4);
    line->VertexCollection()->Add(x2, y2, 1e-4);
    line->SetProperty("PenColor", Variant(int32_t{color}));
  }
  Handle<Graphic> arc = trajectory->Children()->AddArcThroughPoints(20, 18, 0, 21 - std::sqrt(0.5), 18 - std::sqrt(0.5), 0, 22, 18, 0);
  arc->SetProperty("PenColor", Variant(int32_t{255}));
  arc->MoveBy(0, 0, 1e-4);
  Handle<Graphic> removed = AddContourPolyline(*op->Children(), MakeContour({MakeLine(18, 20, 24, 20), MakeLine(24, 20, 24, 17),
                                                                             MakeArc(24, 17, 18, 17, 21, 17, -1), MakeLine(18, 17, 18, 20)}),
                                               "RemovedMaterial");
  removed->SetLayer("CAMOperations");
  removed->SetProperty("PenColor", Variant(int32_t{65280}));
  removed->SetFillBrush(drawing->BrushByName("ANSI36"));
  removed->SetProperty("BrushScale", Variant(hatchScale));
  Handle<Graphic> stock = AddContourPolyline(*op->Children(), kBlank, "LastPartBlank");
  stock->SetLayer("CAMOperations");
  stock->SetProperty("PenColor", Variant(int32_t{16711680}));
  return drawing;
}

TEST(DxfFile, RunDrawingPassesEzdxfAuditReadsInEzdxfAndComesBack) {
  const testing::ScratchDir dir("dxf_file");
  const std::string groups =
      "group Trajectory | ARC CAMOperations 1 (255, 0, 0), LINE CAMOperations 1 (255, 0, 0), "
      "LINE CAMOperations 2 (255, 255, 0), LINE CAMOperations 4 (0, 255, 255)\n"
      "group RemovedMaterial | HATCH CAMOperations 3 (0, 255, 0), LWPOLYLINE CAMOperations 3 (0, 255, 0)\n"
      "group LastPartBlank | LWPOLYLINE CAMOperations 5 (0, 0, 255)\n";
  const std::string polylines =
      "lwpolyline WorkContour 6 open arcs 2 area 0.0000\nlwpolyline Blank 4 closed arcs 1 area 1428.4912\n"
      "lwpolyline CAMOperations 4 closed arcs 1 area 32.1408\nlwpolyline CAMOperations 4 closed arcs 1 area 1428.4912\n"
      "layer Blank aci 7 entities 1 bylayer True\nlayer CAMOperations aci 7 entities 7 bylayer False\n"
      "layer WorkContour aci 7 entities 1 bylayer True\n";
  const struct {
    std::string units;
    double scale;
    std::string facts;
  } cases[] = {
      {"mm", 2.0, "version AC1024 units 4\n" + groups +
                      "hatch ANSI36 scale 2 lines 1 paths 1 angle 45 dashes 15.875 -3.175 0 -3.175 layer CAMOperations aci 3\n" +
                      polylines},
      {"in", 0.5, "version AC1024 units 1\n" + groups +
                      "hatch ANSI36 scale 0.5 lines 1 paths 1 angle 45 dashes 3.96875 -0.79375 0 -0.79375 layer CAMOperations aci 3\n" +
                      polylines},
  };
  for (const auto& c : cases) {
    const std::string path = (dir / ("run_" + c.units + ".dxf")).string();
    ExportDxfFile(*RunDrawing(c.scale, c.units), path);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    EXPECT_THAT(testing::EzdxfAudit(path), ::testing::HasSubstr("No errors found.")) << c.units;
    EXPECT_EQ(testing::Python(dir.Path(), {SULKOR_SOURCE_DIR "/testing/dxf_facts.py", path}).out, c.facts);
    // Read back into a drawing: the run's graphics return by their names and properties.
    auto back = NewDrawing("?");
    ImportDxfFile(path, *back);
    Handle<Graphics> got = back->TopGraphics();
    Handle<Graphic> t = got->ItemByName("Trajectory");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Children()->Count(), 4);
    EXPECT_EQ(t->Children()->Item(0)->Property("PenColor").ToLong(), 65535);
    EXPECT_NEAR(t->Children()->Item(0)->VertexCollection()->Item(0)->Z(), 1e-4, 1e-12);
    Handle<Graphic> r = got->ItemByName("RemovedMaterial");
    ASSERT_TRUE(r && r->FillBrush());
    EXPECT_EQ(r->FillBrush()->Name(), "ANSI36");
    EXPECT_DOUBLE_EQ(r->Property("BrushScale").ToDouble(), c.scale);
    EXPECT_EQ(r->Property("PenColor").ToLong(), 65280);
    EXPECT_EQ(got->ItemByName("LastPartBlank")->Property("PenColor").ToLong(), 16711680);
    EXPECT_EQ(Geometry(got->ItemByName("LastPartBlank")), GeometryOf(kBlank, true));
    EXPECT_EQ(Geometry(got->ItemByName("Blank")), GeometryOf(kBlank, true));
    EXPECT_EQ(Geometry(got->ItemByName("WorkContour")), GeometryOf(kWork, false));
    EXPECT_EQ(back->Property("LinearUnitName").ToText(), c.units);
  }
}

TEST(DxfFile, ArcGraphicsOfEitherDirectionAndWithoutCentre) {
  // Arcs as the trajectory holds them: counterclockwise, rewritten clockwise, and one kept by
  // start, end and quarter point alone. DXF arcs run counterclockwise, so each comes back as the
  // counterclockwise arc over the same points.
  auto drawing = PartDrawing("mm");
  Handle<Graphic> group = drawing->TopGraphics()->Add();
  group->SetName("Trajectory");
  Handle<Graphics> moves = group->Children();
  moves->AddArcThroughPoints(10, 0, 0, 0, 10, 0, -10, 0, 0);
  Handle<Vertices> v = moves->AddArcThroughPoints(10, 0, 0, 0, -10, 0, -10, 0, 0)->VertexCollection();
  v->Item(0)->SetX(-10);  // the upper half again, clockwise from (-10, 0)
  v->Item(1)->SetX(10);
  v->Item(2)->SetX(0);
  v->Item(2)->SetY(10);
  Handle<Graphic> three = moves->Add("Arc");  // half a turn clockwise from (0, 5) through (5, 0)
  for (const auto& [x, y] : {std::pair{0, 5}, {0, -5}, {5, 0}}) three->VertexCollection()->Add(x, y, 0);
  auto back = NewDrawing();
  ImportDxfText(ExportDxfText(*drawing), "arcs.dxf", *back);
  Handle<Graphics> t = back->TopGraphics()->ItemByName("Trajectory")->Children();
  ASSERT_EQ(t->Count(), 3);
  const std::string upper = GeometryOf(MakeContour({MakeArc(10, 0, -10, 0, 0, 0, 1)}), false);
  EXPECT_EQ(Geometry(t->Item(0)), upper);
  EXPECT_EQ(Geometry(t->Item(1)), upper);
  EXPECT_EQ(Geometry(t->Item(2)), GeometryOf(MakeContour({MakeArc(0, -5, 0, 5, 0, 0, 1)}), false));
}

TEST(DxfFile, FilesThatCannotBeOpenedWrittenOrReadWhole) {
  const testing::ScratchDir dir("dxf_fail");
  // An arc whose quarter point lies on the line through start and centre: no file at all.
  auto bad = NewDrawing();
  Handle<Vertices> v = bad->TopGraphics()->AddArcThroughPoints(0, 0, 0, 1, 1, 0, 2, 0, 0)->VertexCollection();
  v->Item(2)->SetX(-1.0);
  v->Item(2)->SetY(0.0);
  const struct {
    std::function<void()> act;
    std::string path, message;
  } cases[] = {
      {[&] { ImportDxfFile((dir / "missing.dxf").string(), *NewDrawing()); }, "", "missing.dxf: cannot be opened"},
      {[&] { ExportDxfFile(*RunDrawing(1.0), (dir / "no" / "out.dxf").string()); }, (dir / "no" / "out.dxf").string(),
       "out.dxf: cannot be written"},
      {[&] { ExportDxfFile(*bad, (dir / "bad.dxf").string()); }, (dir / "bad.dxf").string(),
       "bad.dxf: the drawing cannot be written: arc quarter point does not fix a direction"},
  };
  for (const auto& c : cases) {
    try {
      c.act();
      ADD_FAILURE() << c.message;
    } catch (const DxfError& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
    EXPECT_FALSE(std::filesystem::exists(c.path) || std::filesystem::exists(c.path + ".tmp")) << c.path;
  }
  // Cut after every line, every cut before the final EOF fails; every 7th line replaced by
  // garbage gives a clear error or a drawing. A failure adds nothing.
  const std::string text = ExportDxfText(*RunDrawing(1.0));
  std::vector<size_t> ends;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') ends.push_back(i);
  }
  size_t failures = 0;
  const auto import = [&](const std::string& damaged) {
    auto drawing = NewDrawing();
    try {
      ImportDxfText(damaged, "damaged.dxf", *drawing);
    } catch (const DxfError& e) {
      ++failures;
      EXPECT_EQ(std::string(e.what()).rfind("damaged.dxf: ", 0), 0u) << e.what();
      EXPECT_EQ(drawing->TopGraphics()->Count(), 0);
    }
  };
  for (size_t k = 0; k + 1 < ends.size(); ++k) import(text.substr(0, ends[k] + 1));
  EXPECT_EQ(failures, ends.size() - 1);
  for (size_t k = 0; k < ends.size(); k += 7) import(text.substr(0, k == 0 ? 0 : ends[k - 1] + 1) + "#~" + text.substr(ends[k]));
}

}  // namespace
}  // namespace sulkor::host
