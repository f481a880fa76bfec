// Grooves kept in a job file: what a run leaves in the host comes back from the file, and a
// loaded job runs and updates exactly as the host it was saved from.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "testing/scenes.h"
#include "contour/segment_build.h"
#include "kernel/contour_services.h"
#include "host/memory/scene.h"
#include "host/sqlite/host_dump.h"
#include "host/sqlite/job_file.h"
#include "sulkor/groove.h"

namespace sulkor {
namespace {

// What the default insert (corner radius 0.2) sweeps out of each 10 x 5 groove.
const double kGroove = testing::SweptRectangle(10.0, 5.0, 0.2);

// A rectangular groove 10 wide and 5 deep at x0 on a bar of radius 20.
Contour GrooveAt(double x0) { return MakePolyline({x0, 25, x0, 15, x0 + 10, 15, x0 + 10, 25}); }

Handle<Graphic> PartBlank(host::MemoryHost& host) {
  return host.store->ActivePart()->PartGraphic()->Children()->ItemByName("Blank");
}

Handle<Graphic> StartingStock(host::MemoryHost& host, int32_t index) {
  return host.store->BlockSetAt(index)->GraphicGroup()->Children()->ItemByName("LastPartBlank");
}

// Three grooves on one bar, each run once: the job of the command line's three-operation test.
host::GrooveScene ChainOfThree() {
  host::GrooveScene scene = host::BuildGrooveScene(MakePolygon({0, 0, 50, 0, 50, 20, 0, 20}),
                                                   GrooveAt(20), host::SceneTool{});
  scene.host.store->RemoveBlockSet(scene.blockSet->Index());
  Groove groove(scene.host.environment);
  for (double x0 : {5.0, 20.0, 35.0}) {
    auto set = std::make_shared<host::MemoryGraphicSet>();
    set->Add(x0 == 20.0 ? scene.workContour
                        : host::AddContourPolyline(*scene.host.Drawing()->TopGraphics(),
                                                   GrooveAt(x0), "WorkContour"));
    groove.SetParameter("CAM_TurningFinishThickness", Variant(0.25));
    Handle<BlockSet> op = groove.CreateBlockSet(Handle<GraphicSet>(set));
    EXPECT_TRUE(groove.DoGroove(op)) << x0;
  }
  return scene;
}

// The update handler a host wires to its store: a fresh operation object per request.
void WireUpdates(host::MemoryHost& host, std::vector<int32_t>* updated) {
  // Held weakly: the store belongs to the environment.
  std::weak_ptr<HostEnvironment> environment = host.environment;
  host.store->SetUpdateHandler([environment, updated](const Handle<BlockSet>& bs, bool first,
                                                      bool) {
    if (updated) updated->push_back(bs->Identifier());
    Groove groove(environment.lock());
    return groove.UpdateBlockSet(bs, first);
  });
}

TEST(JobFileGroove, RunComesBackAndRunsAgainTheSame) {
  host::GrooveScene scene = host::BuildGrooveScene(MakePolygon({0, 0, 50, 0, 50, 20, 0, 20}),
                                                   GrooveAt(20), host::SceneTool{});
  {
    Groove groove(scene.host.environment);
    groove.SetParameter("CAM_TurningDepthOnPass", Variant(2.0));
    ASSERT_TRUE(groove.SetParameters(Handle<BlockSet>(scene.blockSet)));
    ASSERT_TRUE(groove.DoGroove(Handle<BlockSet>(scene.blockSet)));
  }
  ASSERT_TRUE(scene.host.messages->Messages().empty());
  const std::string afterRun = host::DumpMemoryHost(scene.host);
  ASSERT_NE(afterRun.find("name \"RemovedMaterial\""), std::string::npos);

  host::JobFile job = host::JobFile::InMemory();
  job.Save(scene.host);
  host::MemoryHost loaded = job.Load();
  EXPECT_EQ(host::DumpMemoryHost(loaded), afterRun);

  // Running the operation again in both hosts gives the same hosts: the loaded operation finds
  // its tool, part, blank, work contour and group as the original did.
  for (host::MemoryHost* h : {&scene.host, &loaded}) {
    Groove groove(h->environment);
    ASSERT_TRUE(groove.DoGroove(h->store->BlockSetAt(0)));
    EXPECT_TRUE(h->messages->Messages().empty());
  }
  EXPECT_EQ(host::DumpMemoryHost(loaded), host::DumpMemoryHost(scene.host));
  EXPECT_NEAR(EnclosedArea(PartBlank(loaded)), 1000.0 - kGroove, 1e-3);
}

TEST(JobFileGroove, ChainOfThreeSurvivesSaveLoadAndUpdate) {
  host::GrooveScene scene = ChainOfThree();
  ASSERT_TRUE(scene.host.messages->Messages().empty());
  ASSERT_EQ(scene.host.store->BlockSetCount(), 3);
  EXPECT_NEAR(EnclosedArea(PartBlank(scene.host)), 1000.0 - 3 * kGroove, 1e-3);

  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("sulkor_chain_" + std::to_string(::getpid()) + ".sulkor");
  std::filesystem::remove(path);
  host::JobFile::Create(path.string()).Save(scene.host);

  // The first operation's work contour is moved 2 to the left in the loaded job; the update
  // recomputes it and hands the stock on to the two following operations.
  host::MemoryHost loaded = host::JobFile::Open(path.string()).Load();
  EXPECT_EQ(host::DumpMemoryHost(loaded), host::DumpMemoryHost(scene.host));
  std::vector<int32_t> updated;
  WireUpdates(loaded, &updated);
  WireUpdates(scene.host, nullptr);
  for (host::MemoryHost* h : {&scene.host, &loaded}) {
    h->store->BlockSetAt(0)->ContourSet()->Item(0)->MoveBy(-2.0, 0.0, 0.0);
    Groove groove(h->environment);
    ASSERT_TRUE(groove.UpdateBlockSet(h->store->BlockSetAt(0), true));
    EXPECT_TRUE(h->messages->Messages().empty());
  }
  const std::vector<int32_t> following = {loaded.store->BlockSetAt(1)->Identifier(),
                                          loaded.store->BlockSetAt(2)->Identifier()};
  EXPECT_EQ(updated, following);
  const double stock[] = {1000.0, 1000.0 - kGroove, 1000.0 - 2 * kGroove};
  for (int32_t i = 0; i < 3; ++i) EXPECT_NEAR(EnclosedArea(StartingStock(loaded, i)), stock[i], 1e-3);
  EXPECT_NEAR(EnclosedArea(PartBlank(loaded)), 1000.0 - 3 * kGroove, 1e-3);
  EXPECT_EQ(host::DumpMemoryHost(loaded), host::DumpMemoryHost(scene.host));

  // The updated job saved and read again, timed: the numbers a user waits for.
  const auto t0 = std::chrono::steady_clock::now();
  {
    host::JobFile job = host::JobFile::Open(path.string());
    host::JobChange change(job);
    job.Save(loaded);
    change.Commit();
  }
  const auto t1 = std::chrono::steady_clock::now();
  host::MemoryHost reread = host::JobFile::Open(path.string()).Load();
  const auto t2 = std::chrono::steady_clock::now();
  EXPECT_EQ(host::DumpMemoryHost(reread), host::DumpMemoryHost(loaded));
  host::JobFile memory = host::JobFile::InMemory();
  const auto t3 = std::chrono::steady_clock::now();
  memory.Save(loaded);
  const auto t4 = std::chrono::steady_clock::now();
  auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
  RecordProperty("save_ms", std::to_string(ms(t1 - t0)));
  RecordProperty("load_ms", std::to_string(ms(t2 - t1)));
  RecordProperty("file_bytes", std::to_string(std::filesystem::file_size(path)));
  RecordProperty("save_in_memory_ms", std::to_string(ms(t4 - t3)));
  std::printf("job of 3 operations: save %.1f ms (%.1f ms in memory), load %.1f ms, %ju bytes\n",
              ms(t1 - t0), ms(t4 - t3), ms(t2 - t1),
              static_cast<uintmax_t>(std::filesystem::file_size(path)));
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace sulkor
