// A run's drawing written as DXF: what the drawing holds after DoGroove (trajectory arcs made
// through points and rewritten clockwise, the hatched removed material, the stock outlines, the
// replaced blank) passes ezdxf's audit and reads back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "contour/segment_build.h"
#include "host/dxf/dxf_file.h"
#include "testing/process.h"
#include "host/dxf/entity_reader.h"
#include "kernel/contour_services.h"
#include "host/memory/scene.h"
#include "sulkor/groove.h"

namespace sulkor {
namespace {

// A groove 10 wide and 5 deep with rounded bottom corners in a bar 50 long of radius 20.
Contour RoundedGroove(double x0) {
  return MakeContour({MakeLine(x0, 25, x0, 20), MakeLine(x0, 20, x0, 17),
                      MakeArc(x0, 17, x0 + 2, 15, x0 + 2, 17, 1), MakeLine(x0 + 2, 15, x0 + 8, 15),
                      MakeArc(x0 + 8, 15, x0 + 10, 17, x0 + 8, 17, 1),
                      MakeLine(x0 + 10, 17, x0 + 10, 25)});
}

TEST(DxfExport, RunDrawingPassesEzdxfAuditAndReadsBack) {
  host::GrooveScene scene = host::BuildGrooveScene(MakePolygon({0, 0, 50, 0, 50, 20, 0, 20}),
                                                   RoundedGroove(20), host::SceneTool{});
  Groove groove(scene.host.environment);
  ASSERT_TRUE(groove.DoGroove(Handle<BlockSet>(scene.blockSet)));
  for (const auto& m : scene.host.messages->Messages()) ADD_FAILURE() << m.prompt;

  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("sulkor_run_dxf_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "run.dxf").string();
  host::ExportDxfFile(*scene.host.Drawing(), path);
  EXPECT_THAT(testing::EzdxfAudit(path),
              ::testing::HasSubstr("No errors found."));

  std::ifstream in(path);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const host::DxfDocument doc = host::ReadDxf(text, "run.dxf");
  std::vector<std::string> groups;
  for (const host::DxfGroup& g : doc.groups) groups.push_back(g.name);
  EXPECT_THAT(groups, ::testing::ElementsAre("Trajectory", "RemovedMaterial", "LastPartBlank"));
  int arcs = 0;
  for (const host::DxfEntity& e : doc.entities) {
    arcs += e.type == host::DxfType::Arc && e.layer == "CAMOperations";
  }
  EXPECT_GT(arcs, 0);  // the tool's corner follows the rounded bottom

  // The file read back: the work contour, the blank with the groove taken out, the run's groups.
  auto app = host::MemoryApplication::Create({});
  host::ImportDxfFile(path, *app->Active());
  Handle<Graphics> top = app->Active()->TopGraphics();
  Handle<Graphic> work = top->ItemByName("WorkContour");
  ASSERT_TRUE(work);
  Handle<Graphic> blank = top->ItemByName("Blank");
  ASSERT_TRUE(blank);
  EXPECT_TRUE(blank->Closed());
  EXPECT_NEAR(EnclosedArea(blank), EnclosedArea(scene.partGroup->Children()->Item(0)), 1e-9);
  EXPECT_LT(EnclosedArea(blank), 1000.0 - 40.0);
  Handle<Graphic> removed = top->ItemByName("RemovedMaterial");
  ASSERT_TRUE(removed);
  EXPECT_EQ(removed->FillBrush()->Name(), "ANSI36");
  EXPECT_EQ(removed->Property("BrushScale").ToDouble(), 25.0);
  Handle<Graphic> trajectory = top->ItemByName("Trajectory");
  ASSERT_TRUE(trajectory);
  EXPECT_EQ(trajectory->Children()->Count(),
            Handle<BlockSet>(scene.blockSet)->Trajectory()->Children()->Count());
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace sulkor
