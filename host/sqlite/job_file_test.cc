// The job file: a host comes back exactly, broken files give one clear error, and a save that
// fails or a process killed while saving leaves the file as it was.
#include "host/sqlite/job_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include <SQLiteCpp/SQLiteCpp.h>

#include "testing/failing_host.h"
#include "host/sqlite/host_dump.h"
#include "host/sqlite/job_checksums.h"
#include "testing/process.h"

namespace sulkor::host {
namespace {

namespace fs = std::filesystem;

// A host with something of every kind a job holds, in awkward values.
MemoryHost RichHost() {
  MemoryHost host = BuildMemoryHost();
  MemoryDrawing& drawing = *host.Drawing();
  const std::pair<const char*, Variant> properties[] = {
      {"LinearUnitName", Variant("in")}, {"NaN", Variant(std::numeric_limits<double>::quiet_NaN())},
      {"NegativeZero", Variant(-0.0)}, {"Tiny", Variant(std::numeric_limits<double>::denorm_min())},
      {"Huge", Variant(-std::numeric_limits<double>::max())}, {"Infinite", Variant(std::numeric_limits<double>::infinity())},
      {"Third", Variant(1.0 / 3.0)}, {"Flag", Variant::Boolean(true)}, {"Short", Variant(int16_t{-32768})},
      {"Long", Variant(int32_t{2147483647})}, {"Nothing", Variant()}, {"EmptyText", Variant("")},
      {"Text", Variant("quote \" line\nbreak, ümlaut, ''")}};
  for (const auto& [name, value] : properties) drawing.SetProperty(name, value);
  drawing.AddBrush("CROSS");
  Graphics& top = *drawing.TopGraphics();
  Handle<Graphic> part = top.Add();
  part->SetName("Part");
  Handle<Graphic> blank = part->Children()->Add("QVL50Polyline");
  blank->SetName("Blank");
  blank->SetClosed(true);
  for (auto [x, y, arc] : {std::tuple{0.0, 0.0, false}, {50.0, 0.0, false}, {50.0, 20.0, false},
                           {25.0, 20.0, true}, {25.0, 45.0, true}, {0.1 + 0.2, 20.0, false}}) {
    blank->VertexCollection()->Add(x, y, -0.0)->SetArcMark(arc);
  }
  Handle<Graphic> group = top.Add();
  group->SetName("Operation 1");
  Handle<Graphic> trajectory = group->Children()->Add();
  trajectory->SetName("Trajectory");
  Handle<Graphic> arc = trajectory->Children()->AddArcThroughPoints(1, 0, 0, 0, 1, 0, -1, 0, 0);
  arc->SetProperty("PenColor", Variant(int32_t{255}));
  arc->SetProperty("PenWidth", Variant(int16_t{0}));
  arc->SetLayer("CAMOperations");
  Handle<Graphic> circle = trajectory->Children()->AddCircleCenterPoint(3, 4, 0, 3, 5.5, 0);
  circle->SetFlag(true);
  circle->SetState(0);
  Handle<Graphic> removed = group->Children()->Add("QVL50Polyline");
  removed->SetName("RemovedMaterial");
  removed->SetFillBrush(drawing.BrushByName("ANSI36"));
  removed->SetProperty("BrushScale", Variant(25.0));
  Handle<Graphic> work = top.Add("QVL50Polyline");
  work->SetName("WorkContour");
  work->VertexCollection()->Add(20, 25, 0);
  work->VertexCollection()->Add(20, 15, 1e-300);
  // A graphic out of every collection, deleted, that a contour set still holds.
  Handle<Graphic> gone = top.Add("QVL50Polyline");
  gone->SetName("Gone");
  gone->Children()->Add()->SetName("GoneChild");
  gone->Delete();

  MemoryDataStore& store = *host.store;
  store.SetSetting("CAM_UnitsSystem", Variant(int32_t{1}));
  store.SetSetting("Ratio", Variant(0.1));
  auto first = store.NewPart(part);
  auto second = store.NewPart(nullptr);
  store.SetActivePart(second);
  auto tool = std::make_shared<MemoryTool>();
  for (auto& [key, value] : {std::pair{"CAM_ToolType", "Turning"}, {"CAM_ToolSubType", "Groove"}, {"Measure", "in"},
                             {"CAM_ToolHand", "Neutral"}, {"CAM_ToolOrientation", "TurnExternal"}}) {
    tool->SetProperty(key, Variant(value));
  }
  double d = 0.1;
  for (const char* key : {"Angle", "CAM_ToolFrontAngle", "CAM_ToolCornerRadius", "CAM_ToolWidth",
                          "CAM_ToolInscribedCircle", "CAM_ToolOverallLength", "CAM_ToolHeadLength", "CAM_ToolHeight"}) {
    tool->SetProperty(key, Variant(d *= 1.7));
  }
  tool->SetProperty("CAM_ToolIsSide", Variant::Boolean(true));
  tool->AllowOperation("Groove");
  tool->AllowOperation("Part");
  store.ToolList().SetTool(7, tool);
  store.ToolList().SetTool(-3, std::make_shared<MemoryTool>());

  auto op1 = store.NewBlockSet();
  op1->SetGraphicGroup(group);
  op1->Initialize();
  op1->SetProperty("CAM_PartID", Variant(first->Identifier()));
  op1->SetProperty("ToolNumber", Variant(int32_t{7}));
  op1->SetProperty("Feed", Variant(0.05));
  op1->SetProperty("OperationType", Variant("Groove"));
  op1->SetTrajectory(trajectory);
  auto set1 = std::make_shared<MemoryGraphicSet>();
  for (const Handle<Graphic>& g : {work, gone->Children()->Item(0), work, gone}) set1->Add(g);
  op1->SetContourSet(Handle<GraphicSet>(set1));
  auto dropped = store.NewBlockSet();  // an identifier that no operation keeps
  dropped->Initialize();
  auto op3 = store.NewBlockSet();
  op3->Initialize();  // gets its group "Operation 3" from the group maker
  op3->SetPart(Handle<Part>(second));
  op3->SetContourSet(nullptr);
  store.RemoveBlockSet(dropped->Index());
  store.NewBlockSet();  // made and never initialized: no operation of the store
  return host;
}

// Each test in a fresh folder, removed after it.
class JobFileTest : public ::testing::Test {
 protected:
  const testing::ScratchDir scratch_{"job_file"};
  const fs::path dir = scratch_.Path();
};

TEST_F(JobFileTest, HostComesBackExactly) {
  const std::string expected = DumpMemoryHost(RichHost());
  // The dump sees what the test built: it is no empty oracle.
  for (const char* piece : {"7ff8000000000000", "8000000000000000", "String:\"\"", "Gone", "GoneChild", "no contour set",
                            "part 2 graphic - active", "deleted 1", "next part 3 next operation 5", "performs Part"}) {
    EXPECT_NE(expected.find(piece), std::string::npos) << piece;
  }
  JobFile memory = JobFile::InMemory();
  memory.Save(RichHost());
  MemoryHost loaded = memory.Load();
  EXPECT_EQ(DumpMemoryHost(loaded), expected);
  // Through a file on disk, saved again from what was read: still the same. A new job holds an
  // empty host and is created only where no file is.
  const std::string path = (dir / "a.sulkor").string();
  JobFile::Create(path).Save(loaded);
  MemoryHost again = JobFile::Open(path).Load();
  EXPECT_EQ(DumpMemoryHost(again), expected);
  JobFile::Create((dir / "new.sulkor").string());
  EXPECT_EQ(DumpMemoryHost(JobFile::Open((dir / "new.sulkor").string()).Load()), DumpMemoryHost(BuildMemoryHost()));
  try {
    JobFile::Create(path);
    ADD_FAILURE() << "created over an existing file";
  } catch (const JobFileError& e) {
    EXPECT_EQ(std::string(e.what()), path + ": a file of that name exists");
  }
  // The wiring: the loaded operation answers its part by CAM_PartID, its group is the drawing's
  // graphic, the deleted graphic is still held by the contour set, new ids go on from the saved.
  Handle<BlockSet> op = again.store->BlockSetAt(0);
  EXPECT_EQ(op->OwnerPart()->Identifier(), 1);
  EXPECT_TRUE(op->GraphicGroup() == again.Drawing()->TopGraphics()->ItemByName("Operation 1"));
  EXPECT_TRUE(op->Trajectory() == op->GraphicGroup()->Children()->ItemByName("Trajectory"));
  EXPECT_EQ(op->ContourSet()->Item(1)->Name(), "GoneChild");
  EXPECT_TRUE(op->ContourSet()->Item(0) == op->ContourSet()->Item(2));
  EXPECT_EQ(again.store->NewBlockSet()->Identifier(), 5);
  EXPECT_EQ(again.store->BlockSetAt(1)->GraphicGroup()->Name(), "Operation 3");
}

// A job with the rich host changed by SQL. Resealed, its checksums are made to fit the change, as a faulty writer
// would leave it: the reader's own checks must find what is wrong.
std::string SpoiledJob(const fs::path& dir, const std::string& name, const std::string& spoil, bool reseal = true) {
  const std::string path = (dir / name).string();
  JobFile job = JobFile::Create(path);
  job.Save(RichHost());
  job.Database().exec("PRAGMA foreign_keys = OFF");
  job.Database().exec(spoil);
  if (reseal) SealJobRows(job.Database());
  return path;
}

TEST_F(JobFileTest, BrokenFilesGiveOneErrorNamingTheFile) {
  std::ofstream(dir / "part.dxf") << "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n" + std::string(600, ' ');
  std::ofstream(dir / "empty.sulkor");
  SQLite::Database((dir / "other.db").string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE).exec("CREATE TABLE t(x)");
  const std::string truncated = SpoiledJob(dir, "truncated.sulkor", "SELECT 1");
  fs::resize_file(truncated, fs::file_size(truncated) / 2);
  // Spoiled and resealed: the reader's structural checks find it; not resealed: the checksums.
  const auto spoiled = [&](const std::string& sql, bool reseal) {
    return SpoiledJob(dir, std::to_string(std::hash<std::string>()(sql)) + ".sulkor", sql, reseal);
  };
  const std::string damaged = "damaged job file: ", mismatch = ": the content does not match its checksum";
  const std::pair<std::string, std::string> cases[] = {  // the file, the message after "PATH: "
      {(dir / "missing.sulkor").string(), "no such job file"},
      {dir.string(), "not a file"},
      {(dir / "part.dxf").string(), "not a Sulkor job file (file is not a database)"},
      {(dir / "empty.sulkor").string(), "not a Sulkor job file"},
      {(dir / "other.db").string(), "not a Sulkor job file"},
      {spoiled("PRAGMA user_version = 3", true),
       "job file of version 3, written by a newer Sulkor; this one reads up to version 2"},
      {spoiled("PRAGMA user_version = 1", true),
       "job file of version 1, written by an earlier Sulkor without checksums; this one reads version 2"},
      {spoiled("CREATE INDEX extra ON graphic(name)", true),
       damaged + "the definition of \"extra\" differs from the one this program writes"},
      {spoiled("UPDATE setting SET value = 0.2 WHERE key = 'Ratio'", false), damaged + "table \"setting\", row 'Ratio'" + mismatch},
      {spoiled("UPDATE operation_property SET checksum = ~checksum WHERE key = 'Feed'", false),
       damaged + "table \"operation_property\", row 1, 'Feed'" + mismatch},
      {spoiled("UPDATE setting SET key = CAST(x'526107FF0A' AS TEXT) WHERE key = 'Ratio'", false),
       damaged + "table \"setting\", row 'Ra\\x07\\xFF\\x0A'" + mismatch},
      {spoiled("DELETE FROM tool_property WHERE key = 'Measure'", false),
       damaged + "table \"tool_property\" has 13 rows, its total says 14"},
      {spoiled("UPDATE row_total SET total = ~total WHERE name = 'brush'", false),
       damaged + "the rows of table \"brush\" do not add up to its total"},
      {spoiled("DELETE FROM row_total WHERE name = 'part'", false), damaged + "the totals of table \"part\" are missing"},
      {spoiled("DROP TABLE contour_set_item", false), damaged + "the table \"contour_set_item\" is missing"},
      {spoiled("UPDATE graphic SET vertices = x'00' WHERE id = 2", true), damaged + "graphic 2: vertices of a broken length"},
      {spoiled("UPDATE graphic SET vertices = zeroblob(24) || x'02' WHERE id = 2", true),
       damaged + "graphic 2: a vertex whose arc mark is neither 0 nor 1"},
      {spoiled("UPDATE setting SET type = 'Currency' WHERE key = 'Ratio'", true),
       damaged + "setting \"Ratio\": the unknown value type \"Currency\""},
      {spoiled("UPDATE drawing_property SET value = 2147483648 WHERE name = 'Long'", true),
       damaged + "drawing property \"Long\": a Long value out of range"},
      {spoiled("UPDATE drawing_property SET value = 'x' WHERE name = 'Third'", true),
       damaged + "drawing property \"Third\": a Double value that is no double"},
      {spoiled("UPDATE graphic SET owner = 999 WHERE id = 2", true), damaged + "graphic 2: its owner 999 is missing"},
      {spoiled("UPDATE graphic SET owner = 2, place = 'child' WHERE id = 1", true),
       damaged + "graphics that belong to no tree (owners in a circle)"},
      {spoiled("UPDATE contour_set_item SET graphic = 999", true),
       damaged + "the contour set of operation 1 refers to the missing graphic 999"},
      {spoiled("UPDATE operation SET part = 77 WHERE part IS NOT NULL", true), damaged + "operation 3 refers to a missing part"},
      // A file cut in half: SQLite finds the damage when it reads the missing pages.
      {truncated, "damaged job file"},
  };
  for (const auto& [path, message] : cases) {
    try {
      JobFile::Open(path).Load();
      ADD_FAILURE() << path << " opened";
    } catch (const JobFileError& e) {
      const std::string what = e.what();
      EXPECT_EQ(path == truncated ? what.substr(0, path.size() + 18) : what, path + ": " + message);
    }
  }
}

// A save that throws half way (the old rows deleted by then), a foreign graphic refused, a
// change not committed: the file keeps what it held, and another reader never sees the change.
TEST_F(JobFileTest, FailedSaveLeavesThePreviousContent) {
  const std::string path = (dir / "job.sulkor").string();
  JobFile job = JobFile::Create(path);
  job.Save(RichHost());
  const std::string expected = DumpMemoryHost(RichHost());
  MemoryHost changed = RichHost();
  changed.Drawing()->TopGraphics()->Item(0)->SetName("Renamed");
  EXPECT_THROW(job.Save(changed, [] { throw std::runtime_error("midway"); }), std::runtime_error);
  auto set = std::make_shared<MemoryGraphicSet>();
  set->Add(Handle<Graphic>(std::make_shared<FaultyGraphic>(std::make_shared<FaultPlan>(),
                                                           changed.Drawing()->TopGraphics()->Item(0), "foreign")));
  MemoryHost foreign = RichHost();
  foreign.store->BlockSets()[0]->SetContourSet(Handle<GraphicSet>(set));
  EXPECT_THROW(job.Save(foreign), JobFileError);
  {
    JobChange change(job);
    job.Save(changed);
    EXPECT_EQ(DumpMemoryHost(job.Load()), DumpMemoryHost(changed));
    EXPECT_EQ(DumpMemoryHost(JobFile::Open(path).Load()), expected);
  }
  EXPECT_EQ(DumpMemoryHost(job.Load()), expected);
}

// A process killed in the middle of a save leaves a hot journal; the next open rolls back.
TEST_F(JobFileTest, ProcessKilledWhileSavingLeavesThePreviousContent) {
  const std::string path = (dir / "job.sulkor").string();
  const MemoryHost before = RichHost();
  JobFile::Create(path).Save(before);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    JobFile job = JobFile::Open(path);
    MemoryHost changed = BuildMemoryHost();
    job.Save(changed, [] { ::raise(SIGKILL); });
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
  EXPECT_TRUE(fs::exists(path + "-journal"));
  EXPECT_EQ(DumpMemoryHost(JobFile::Open(path).Load()), DumpMemoryHost(before));
}

// Every byte of a job file damaged in turn (all pages, each byte inverted): the job is either
// read exactly as it was or refused as damaged; nothing else is ever read from it. The file is
// rewritten with small pages first so that every kind of page is there in few bytes.
TEST_F(JobFileTest, EveryDamagedByteIsHarmlessOrReported) {
  const std::string path = (dir / "job.sulkor").string();
  JobFile::Create(path).Save(RichHost());
  {
    SQLite::Database db(path, SQLite::OPEN_READWRITE);
    db.exec("PRAGMA page_size = 512");
    db.exec("VACUUM");
  }
  const std::string expected = DumpMemoryHost(JobFile::Open(path).Load());
  std::stringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  const std::string original = bytes.str();
  ASSERT_GT(original.size(), 2048u);
  const int fd = ::open(path.c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  size_t harmless = 0, reported = 0;
  for (size_t at = 0; at < original.size(); ++at) {
    const char damaged = static_cast<char>(~original[at]);
    ASSERT_EQ(::pwrite(fd, &damaged, 1, static_cast<off_t>(at)), 1);
    try {
      const std::string read = DumpMemoryHost(JobFile::Open(path).Load());
      ++harmless;
      EXPECT_EQ(read, expected) << "byte " << at << " changed what the job holds";
    } catch (const JobFileError& e) {
      ++reported;
      EXPECT_EQ(std::string(e.what()).rfind(path + ": ", 0), 0u) << e.what();
    }
    ASSERT_EQ(::pwrite(fd, &original[at], 1, static_cast<off_t>(at)), 1);
  }
  ::close(fd);
  std::printf("%zu bytes: %zu damages harmless, %zu reported\n", original.size(), harmless,
              reported);
  EXPECT_GT(reported, original.size() / 4);
}

}  // namespace
}  // namespace sulkor::host
