// `sulkor job`: a job of three chained grooves built, listed, updated in the middle and
// exported; commands killed, racing, beyond the file size limit or failing keep the job whole;
// grooves chained through drawings cut as in a job; outputs naming one file are refused.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "contour/segment_build.h"
#include "host/dxf/dxf_file.h"
#include "host/memory/scene.h"
#include "host/sqlite/host_dump.h"
#include "host/sqlite/job_file.h"
#include "kernel/contour_services.h"
#include "testing/png_colours.h"
#include "testing/process.h"

namespace sulkor::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing::Example;
using testing::ProgramResult;

// A drawing whose only graphic is the open profile on layer "WorkContour": `from` with its work
// contour replaced, or a new one.
void WriteWorkDrawing(const fs::path& path, const std::vector<double>& xy, const std::string& unit = "mm",
                      const std::string& from = "") {
  host::MemoryHost host = host::BuildMemoryHost();
  host.Drawing()->SetProperty("LinearUnitName", Variant(unit));
  if (!from.empty()) host::ImportDxfFile(from, *host.Drawing());
  Handle<Graphics> top = host.Drawing()->TopGraphics();
  for (int32_t i = top->Count() - 1; i >= 0; --i) {
    if (top->Item(i)->Name() == "WorkContour") top->Remove(i);
  }
  host::AddContourPolyline(*top, MakePolyline(xy), "WorkContour")->SetLayer("WorkContour");
  std::ofstream(path, std::ios::binary) << host::ExportDxfText(*host.Drawing());
}

double StockArea(host::MemoryHost& job, int32_t operation) {  // -1: the part's blank
  Handle<Graphic> g = operation < 0 ? job.store->ActivePart()->PartGraphic() : job.store->BlockSetAt(operation)->GraphicGroup();
  return EnclosedArea(g->Children()->ItemByName(operation < 0 ? "Blank" : "LastPartBlank"));
}

std::string Dump(const fs::path& job) { return host::DumpMemoryHost(host::JobFile::Open(job.string()).Load()); }

void ExpectSuccess(const ProgramResult& r, const std::string& what) {
  EXPECT_EQ(std::to_string(r.status) + r.err, "0") << what;
}

// How many rounds the race and kill tests run: a few in the ordinary test run, more when the
// environment variable names a number (SULKOR_RACE_ROUNDS=100 for the long run).
int Rounds(const char* variable, int fallback) {
  const char* value = std::getenv(variable);
  return value != nullptr ? std::max(1, std::atoi(value)) : fallback;
}

// The bar of examples/outside_groove.dxf (80 long, radius 25, its groove between 30 and 40)
// with two more grooves, each operation in the job with its own tool.
class JobCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteWorkDrawing(dir_ / "right.dxf", {50, 28, 50, 21, 58, 21, 58, 28});
    WriteWorkDrawing(dir_ / "left.dxf", {10, 28, 10, 22, 18, 22, 18, 28});
    WriteWorkDrawing(dir_ / "inch.dxf", {1, 1.2, 1, 0.9, 1.2, 0.9, 1.2, 1.2}, "in");
    WriteWorkDrawing(dir_ / "a.dxf", {20, 28, 20, 22, 27, 22, 27, 28});
    WriteWorkDrawing(dir_ / "b.dxf", {62, 28, 62, 22, 70, 22, 70, 28});
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"new", "job.sulkor", Example("outside_groove.dxf")},
          {"tool", "job.sulkor", "--tool-width", "3", "--corner-radius", "0.5"},
          {"tool", "job.sulkor", "--tool-number", "2", "--tool-width", "0.1", "--tool-unit", "in", "--corner-radius", "0"},
          {"add", "job.sulkor"}, {"add", "job.sulkor", "right.dxf", "--tool-number", "2"},
          {"add", "job.sulkor", "left.dxf", "--depth-per-pass", "2"}}) {
      std::vector<std::string> args{"job"};
      args.insert(args.end(), command.begin(), command.end());
      ExpectSuccess(Run(args), command[0]);
    }
    fs::copy_file(Job(), dir_ / "base.sulkor");
  }
  ProgramResult Run(const std::vector<std::string>& args, const std::vector<std::string>& environment = {}) {
    return testing::RunSulkor(dir_.Path(), args, environment);
  }
  fs::path Job() const { return dir_ / "job.sulkor"; }
  void Restore() {  // the job as SetUp left it
    fs::remove(dir_ / "job.sulkor-journal");
    fs::copy_file(dir_ / "base.sulkor", Job(), fs::copy_options::overwrite_existing);
  }
  void ExpectNoLeftovers(const std::string& what) {  // no temporary file stays behind
    for (const std::string& name : dir_.Files()) EXPECT_EQ(name.find(".tmp-"), std::string::npos) << what << ": " << name;
  }
  testing::ScratchDir dir_{"job_command"};
};

TEST_F(JobCommandTest, ThreeChainedGroovesListUpdateAndExport) {
  {
    host::MemoryHost job = host::JobFile::Open(Job().string()).Load();
    ASSERT_EQ(job.store->BlockSetCount(), 3);
    // Each operation starts from the stock the one before left; the part keeps the last.
    EXPECT_NEAR(StockArea(job, 0), 2000.0, 1e-6);
    EXPECT_LT(StockArea(job, 1), 2000.0 - 45.0);
    EXPECT_NEAR(StockArea(job, 1) - StockArea(job, 2), 8.0 * 4.0, 0.5);  // the right groove, 8 x 4
    EXPECT_NEAR(StockArea(job, 2) - StockArea(job, -1), 8.0 * 3.0, 0.5);
    EXPECT_EQ(job.store->BlockSetAt(1)->Property("ToolNumber"), Variant(int32_t{2}));
  }
  const ProgramResult list = Run({"job", "list", "job.sulkor"});
  ExpectSuccess(list, "list");
  EXPECT_THAT(list.out, StartsWith("job.sulkor: part \"Blank\" in mm, 2 tools, 3 operations\n"
                                   "tool 1: Groove, width 3 mm, corner radius 0.5 mm, orientation TurnExternal\n"
                                   "tool 2: Groove, width 0.1 in, corner radius 0 in, orientation TurnExternal\n"
                                   "operation 1: outside diameter, tool 1\n"));
  EXPECT_THAT(list.out, HasSubstr("operation 2: outside diameter, tool 2\n"));
  EXPECT_THAT(list.out, HasSubstr("operation 3: outside diameter, tool 1\n  CAM_TurningTrajectoryType=Turn "
                                  "CAM_TurningDirection=External"));
  EXPECT_THAT(list.out, HasSubstr(" CAM_TurningDepthOnPass=2 "));

  // Spoil the third operation's starting stock: updating the second hands its stock on again.
  double rightStock = 0.0, partStock = 0.0;
  {
    host::JobFile file = host::JobFile::Open(Job().string());
    host::MemoryHost job = file.Load();
    rightStock = StockArea(job, 2);
    partStock = StockArea(job, -1);
    job.store->BlockSetAt(2)->GraphicGroup()->Children()->ItemByName("LastPartBlank")->Delete();
    host::AddContourPolyline(*job.store->BlockSetAt(2)->GraphicGroup()->Children(), MakePolygon({0, 0, 1, 0, 1, 1, 0, 1}),
                             "LastPartBlank");
    file.Save(job);
  }
  const ProgramResult update = Run({"job", "update", "job.sulkor", "2", "--feed", "40"});
  ExpectSuccess(update, "update");
  EXPECT_THAT(update.out, StartsWith("operation 2 recomputed\ngroove: outside diameter\n"));
  EXPECT_THAT(update.out, HasSubstr("stock handed on to operation 3\n"));
  {
    host::MemoryHost job = host::JobFile::Open(Job().string()).Load();
    EXPECT_NEAR(StockArea(job, 2), rightStock, 1e-6);
    EXPECT_EQ(job.store->BlockSetAt(2)->GraphicGroup()->Children()->ItemByName("LastPartBlank")->Property("PenColor"),
              Variant(int32_t{16711680}));
    EXPECT_NEAR(StockArea(job, -1), partStock, 1e-6);
    EXPECT_EQ(job.store->BlockSetAt(1)->Property("Feed"), Variant(40.0));
    EXPECT_EQ(job.store->BlockSetAt(1)->Property("ToolNumber"), Variant(int32_t{2}));
  }
  // The drawing with every operation's output, the program with one tool call per operation
  // in the job's order, and the picture with every operation's insert drawn orange.
  const ProgramResult posted = Run({"job", "export", "job.sulkor", "-o", "job.dxf", "--nc", "job.ngc", "--preview",
                                    "job.png", "--post", "fanuc"});
  ExpectSuccess(posted, "export");
  EXPECT_THAT(posted.out, StartsWith("program: 3 operations, cycle time "));
  const std::vector<std::string> facts = testing::DxfFacts(dir_ / "job.dxf");
  EXPECT_EQ(facts.at(0), "version AC1024 units 4");
  int trajectories = 0, removed = 0;
  for (const std::string& line : facts) {
    trajectories += line.starts_with("group Trajectory");
    removed += line.starts_with("group RemovedMaterial") &&
               line.ends_with(" | HATCH CAMOperations 3 (0, 255, 0), LWPOLYLINE CAMOperations 3 (0, 255, 0)");
  }
  EXPECT_EQ(trajectories, 3);
  EXPECT_EQ(removed, 3);
  std::vector<std::string> calls;
  std::istringstream lines(testing::ReadText(dir_ / "job.ngc"));
  for (std::string line; std::getline(lines, line);) {
    if (line.size() == 5 && line[0] == 'T') calls.push_back(line);
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"T0101", "T0202", "T0101"}));
  EXPECT_GT(testing::CountColours((dir_ / "job.png").string())["orange"], 100);
}

TEST_F(JobCommandTest, FailuresChangeNothingAndEndWithTheirStatus) {
  const std::string before = Dump(Job()), dxf = Example("outside_groove.dxf");
  const struct {
    std::vector<std::string> args;
    std::string err;  // after "sulkor: "; the status is 2
  } cases[] = {
      {{"job", "list", "missing.sulkor"}, "missing.sulkor: no such job file"},
      {{"job", "list", dxf}, dxf + ": not a Sulkor job file (file is not a database)"},
      {{"job", "new", "job.sulkor", dxf}, "job.sulkor: a file of that name exists (--force replaces it)"},
      {{"job", "update", "job.sulkor", "4"}, "job.sulkor: no operation 4 (the job has 3)"},
      {{"job", "add", "job.sulkor", "left.dxf", "--tool-number", "5"},
       "job.sulkor: the job has no tool 5 (add it with `sulkor job tool`)"},
      {{"job", "add", "job.sulkor", "left.dxf", "--set", "Depth=2"}, "unknown parameter \"Depth\""},
      {{"job", "add", "job.sulkor"},
       "job.sulkor: the job's drawing has no unused \"WorkContour\"; name a drawing that holds the groove's profile"},
      {{"job", "add", "job.sulkor", "inch.dxf"}, "\"inch.dxf\": the drawing is in in, the job in mm"},
      {{"job", "update", "job.sulkor", "2", "--set", "Feed=-5"},
       "--set: Feed: \"-5\" is out of range: the value must be at least 0.001 and below 1000000"},
      // Two outputs of one command naming one file, or an output naming the input, are
      // refused before anything is computed.
      {{"groove", dxf, "-o", "x", "--nc", "x"}, "-o and --nc name the same file \"x\""},
      {{"groove", dxf, "-o", "x.dxf", "--preview", "./x.dxf"}, "-o and --preview name the same file \"./x.dxf\""},
      {{"groove", dxf, "-o", dxf}, "-o \"" + dxf + "\" names the input drawing, which the command reads: choose another name"},
      {{"job", "export", "job.sulkor", "-o", "x", "--nc", "../" + dir_.Path().filename().string() + "/x"},
       "-o and --nc name the same file \"../" + dir_.Path().filename().string() + "/x\""},
      {{"job", "export", "job.sulkor", "-o", "job.sulkor"},
       "-o \"job.sulkor\" names the job, which the command reads: choose another name"},
      {{"job", "new", "left.dxf", "left.dxf", "--force"},
       "the job \"left.dxf\" names the part drawing, which the command reads: choose another name"},
  };
  const std::vector<std::string> files = dir_.Files();
  for (const auto& c : cases) {
    const ProgramResult r = Run(c.args);
    EXPECT_EQ(r.status, 2) << c.err;
    EXPECT_EQ(r.err, "sulkor: " + c.err + "\n");
    EXPECT_EQ(Dump(Job()), before) << c.err;
    EXPECT_EQ(dir_.Files(), files) << c.err;
  }
  // Beyond the file size limit the write fails with a message instead of killing the program.
  for (const auto& [command, err] : {std::pair{"job new big.sulkor " + dxf, "sulkor: big.sulkor: "},
                                     {std::string("job export job.sulkor -o out.dxf"), "sulkor: cannot write \"out.dxf\""}}) {
    const ProgramResult r = testing::RunIn(dir_.Path(), {"/bin/sh", "-c", "ulimit -f 4; exec " SULKOR_PROGRAM " " + command});
    EXPECT_EQ(r.status, 2) << command << "\n" << r.err;
    EXPECT_THAT(r.err, StartsWith(err)) << command;
    EXPECT_EQ(dir_.Files(), files) << command;
  }
  EXPECT_EQ(Run({"job"}).status, 2);
  for (const char* sub : {"new", "tool", "add", "update", "list", "export"}) {
    EXPECT_THAT(Run({"job", sub, "--help"}).out, HasSubstr(std::string("Usage: sulkor job ") + sub)) << sub;
  }
}

// Killed after computing the update or while saving it (SQLite's journal then rolls the change
// back), or at random moments of an add: the job holds the state before or after, never
// anything else, and it opens.
TEST_F(JobCommandTest, KilledCommandsLeaveTheOldOrTheNewJob) {
  const std::string before = Dump(Job());
  for (const std::string point : {"after-compute", "mid-save"}) {
    const ProgramResult r = Run({"job", "update", "job.sulkor", "1", "--depth-per-pass", "2"}, {"SULKOR_TEST_KILL_AT=" + point});
    EXPECT_EQ(r.status, 128 + SIGKILL) << point << "\n" << r.err;
    EXPECT_EQ(fs::exists(dir_ / "job.sulkor-journal"), point == "mid-save") << point;
    EXPECT_EQ(Dump(Job()), before) << point;
  }
  Restore();
  const auto started = std::chrono::steady_clock::now();
  ExpectSuccess(Run({"job", "add", "job.sulkor", "a.dxf"}), "add");
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
  const std::string after = Dump(Job());
  ASSERT_NE(before, after);
  const unsigned seed = static_cast<unsigned>(::getpid());
  std::mt19937 random(seed);
  std::uniform_int_distribution<int64_t> moment(0, took.count());
  const int rounds = Rounds("SULKOR_KILL_ROUNDS", 4);
  int old = 0, changed = 0;
  for (int round = 0; round < rounds; ++round) {
    Restore();
    const testing::StartedProgram p = testing::StartIn(dir_.Path(), {SULKOR_PROGRAM, "job", "add", "job.sulkor", "a.dxf"});
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    ::kill(p.pid, SIGKILL);
    const ProgramResult r = testing::Finish(p);
    const std::string now = Dump(Job());
    EXPECT_TRUE(now == before || now == after) << "seed " << seed << " round " << round;
    EXPECT_TRUE(r.status != 0 || now == after) << "seed " << seed << " round " << round;
    old += now == before;
    changed += now == after;
  }
  std::printf("%d kills (seed %u): %d left the old job, %d the new one\n", rounds, seed, old, changed);
}

// Two commands on one job at once, in many rounds: the job file's lock serialises them, so both
// do their whole change; a reader beside a writer sees the job before or after the change; of
// two `job new` exactly one creates the job and the other is told that it exists.
TEST_F(JobCommandTest, ConcurrentCommandsLoseNothing) {
  const std::vector<std::string> fresh = {"job", "new", "fresh.sulkor", Example("outside_groove.dxf")};
  const struct {
    std::string name;
    std::vector<std::string> first, second;
    int32_t operationsAdded;
  } races[] = {
      {"new+new", fresh, fresh, 0},
      {"add+add", {"job", "add", "job.sulkor", "a.dxf"}, {"job", "add", "job.sulkor", "b.dxf"}, 2},
      {"update+add", {"job", "update", "job.sulkor", "1", "--depth-per-pass", "1"}, {"job", "add", "job.sulkor", "a.dxf"}, 1},
      {"update+update", {"job", "update", "job.sulkor", "1", "--depth-per-pass", "1"},
       {"job", "update", "job.sulkor", "2", "--depth-per-pass", "0.5"}, 0},
      {"update+tool", {"job", "update", "job.sulkor", "3", "--feed", "50"},
       {"job", "tool", "job.sulkor", "--tool-number", "3", "--tool-width", "2"}, 0},
      {"list+update", {"job", "list", "job.sulkor"}, {"job", "update", "job.sulkor", "1", "--depth-per-pass", "1"}, 0},
      {"export+add", {"job", "export", "job.sulkor", "-o", "e.dxf"}, {"job", "add", "job.sulkor", "a.dxf"}, 1},
  };
  const int rounds = Rounds("SULKOR_RACE_ROUNDS", 2);
  for (const auto& race : races) {
    for (int round = 0; round < rounds; ++round) {
      fs::remove(dir_ / "fresh.sulkor");
      Restore();
      std::vector<std::string> first{SULKOR_PROGRAM}, second{SULKOR_PROGRAM};
      first.insert(first.end(), race.first.begin(), race.first.end());
      second.insert(second.end(), race.second.begin(), race.second.end());
      const testing::StartedProgram a = testing::StartIn(dir_.Path(), first, {}, "a");
      const testing::StartedProgram b = testing::StartIn(dir_.Path(), second, {}, "b");
      const ProgramResult ra = testing::Finish(a), rb = testing::Finish(b);
      const std::string what = race.name + " round " + std::to_string(round);
      ExpectNoLeftovers(what);
      if (race.name == "new+new") {
        ASSERT_EQ((ra.status == 0) + (rb.status == 0), 1) << what << "\n" << ra.err << rb.err;
        const ProgramResult& loser = ra.status == 0 ? rb : ra;
        EXPECT_EQ(loser.status, 2) << what;
        EXPECT_THAT(loser.err, StartsWith("sulkor: fresh.sulkor: a file of that name exists")) << what;
        EXPECT_EQ(host::JobFile::Open((dir_ / "fresh.sulkor").string()).Load().store->Parts().size(), 1u);
        continue;
      }
      ASSERT_EQ(std::to_string(ra.status) + ra.err + std::to_string(rb.status) + rb.err, "00") << what;
      host::MemoryHost job = host::JobFile::Open(Job().string()).Load();
      EXPECT_EQ(job.store->BlockSetCount(), 3 + race.operationsAdded) << what;
      if (race.name == "update+tool") {
        EXPECT_TRUE(job.store->ToolList().ToolByNumber(3)) << what;
        EXPECT_EQ(job.store->BlockSetAt(2)->Property("Feed").ToDouble(), 50.0) << what;
      }
    }
  }
  std::printf("%zu races of %d rounds\n", std::size(races), rounds);
}

// Three overlapping grooves chained through the drawings `sulkor groove` writes cut exactly
// what the same three cut in a job: each starts from the stock the one before left, and the
// earlier runs' output stays in the drawing as it was.
TEST_F(JobCommandTest, GroovesChainedThroughDrawingsCutAsInAJob) {
  const std::vector<std::vector<double>> grooves = {
      {},                                // the example's own groove, 30 to 40, 5 deep
      {36, 28, 36, 22, 46, 22, 46, 28},  // overlapping the first
      {44, 28, 44, 23, 52, 23, 52, 28},  // overlapping the second
  };
  ExpectSuccess(Run({"job", "new", "chain.sulkor", Example("outside_groove.dxf")}), "new");
  ExpectSuccess(Run({"job", "tool", "chain.sulkor"}), "tool");
  std::string previous = Example("outside_groove.dxf");
  for (size_t k = 0; k < grooves.size(); ++k) {
    const std::string n = std::to_string(k + 1);
    std::vector<std::string> add{"job", "add", "chain.sulkor"};
    if (k > 0) {  // the first: the part drawing's own
      WriteWorkDrawing(dir_ / ("work" + n + ".dxf"), grooves[k]);
      WriteWorkDrawing(dir_ / ("in" + n + ".dxf"), grooves[k], "mm", previous);
      add.push_back("work" + n + ".dxf");
    }
    const ProgramResult job = Run(add);
    ExpectSuccess(job, "job add " + n);
    const ProgramResult drawing = Run({"groove", k == 0 ? previous : "in" + n + ".dxf", "-o", "out" + n + ".dxf"});
    ExpectSuccess(drawing, "groove " + n);
    // The same report: plunges, pecks, moves and lengths of the same cut.
    EXPECT_EQ(drawing.out, job.out.substr(job.out.find('\n') + 1)) << "groove " << n;
    previous = (dir_ / ("out" + n + ".dxf")).string();
  }
  host::MemoryHost job = host::JobFile::Open((dir_ / "chain.sulkor").string()).Load();
  host::MemoryHost last = host::BuildMemoryHost();
  host::ImportDxfFile(previous, *last.Drawing());
  Handle<Graphics> top = last.Drawing()->TopGraphics();
  ASSERT_TRUE(top->ItemByName("Blank"));
  EXPECT_NEAR(EnclosedArea(top->ItemByName("Blank")), StockArea(job, -1), 1e-6);
  int kept = 0;  // every run's output: three of each group
  for (int32_t i = 0; i < top->Count(); ++i) kept += top->Item(i)->Layer() == "CAMOperations";
  EXPECT_EQ(kept, 9);
}

// A job's unit is its drawing's, and a drawing may name inch by its mark: a tool given without a
// unit is then in inch, the unit the operation converts it into.
TEST(JobUnitTest, ToolWithoutUnitTakesTheDrawingsUnitInchMarkIncluded) {
  testing::ScratchDir dir{"job_unit"};
  for (const auto& [drawingUnit, toolUnit] : {std::pair{"in", "in"}, {"\"", "in"}, {"mm", "mm"}}) {
    host::GrooveScene scene = host::BuildGrooveScene(MakePolygon({0, 0, 4, 0, 4, 1, 0, 1}),
                                                     MakePolyline({1, 1, 1, 0.8, 1.2, 0.8, 1.2, 1}), host::SceneTool{},
                                                     drawingUnit);
    fs::remove(dir / "unit.sulkor");
    host::JobFile::Create((dir / "unit.sulkor").string()).Save(scene.host);
    const ProgramResult r = testing::RunSulkor(
        dir.Path(), {"job", "tool", "unit.sulkor", "--tool-number", "2", "--tool-width", "0.12", "--corner-radius", "0"});
    EXPECT_EQ(r.status, 0) << drawingUnit << ": " << r.err;
    EXPECT_THAT(r.out, HasSubstr(std::string("width 0.12 ") + toolUnit + ", corner radius 0 " + toolUnit)) << drawingUnit;
  }
}

}  // namespace
}  // namespace sulkor::cli
