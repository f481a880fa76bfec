// `sulkor job`: a job of three chained grooves built, listed, updated in the middle and
// exported through the program; a job killed in the middle of an update keeps its state; bad
// usage and failing runs change nothing and end with their statuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "testing/test_program.h"
#include "contour/segment_build.h"
#include "host/dxf/dxf_file.h"
#include "kernel/contour_services.h"
#include "host/memory/scene.h"
#include "host/sqlite/host_dump.h"
#include "host/sqlite/job_file.h"
#include "testing/png_colours.h"

namespace sulkor::cli {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing::Example;
using testing::InspectDxf;
using testing::ProgramResult;
using testing::RunSulkor;
using testing::ScratchDir;

// Writes a drawing whose only graphic is the open profile on layer "WorkContour".
void WriteWorkDrawing(const std::filesystem::path& path, const std::vector<double>& xy,
                      const std::string& unit = "mm") {
  std::vector<Segment> segs;
  for (size_t i = 0; i + 3 < xy.size(); i += 2) {
    segs.push_back(MakeLine(xy[i], xy[i + 1], xy[i + 2], xy[i + 3]));
  }
  host::MemoryHost host = host::BuildMemoryHost();
  host.Drawing()->SetProperty("LinearUnitName", Variant(unit));
  Handle<Graphic> work = host::AddContourPolyline(*host.Drawing()->TopGraphics(),
                                                  MakeContour(segs), "WorkContour");
  work->SetLayer("WorkContour");
  std::ofstream(path, std::ios::binary) << host::ExportDxfText(*host.Drawing());
}

Handle<Graphic> StartingStock(host::MemoryHost& host, int32_t index) {
  return host.store->BlockSetAt(index)->GraphicGroup()->Children()->ItemByName("LastPartBlank");
}

Handle<Graphic> PartBlank(host::MemoryHost& host) {
  return host.store->ActivePart()->PartGraphic()->Children()->ItemByName("Blank");
}

std::string Dump(const std::filesystem::path& job) {
  return host::DumpMemoryHost(host::JobFile::Open(job.string()).Load());
}

void ExpectSuccess(const ProgramResult& r, const std::string& what) {
  EXPECT_EQ(r.status, 0) << what << "\n" << r.err;
  EXPECT_EQ(r.err, "") << what;
}

// The bar of examples/outside_groove.dxf (80 long, radius 25, its groove between 30 and 40)
// with two more grooves, each operation in the job with its own tool.
class JobCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteWorkDrawing(dir_ / "right.dxf", {50, 28, 50, 21, 58, 21, 58, 28});
    WriteWorkDrawing(dir_ / "left.dxf", {10, 28, 10, 22, 18, 22, 18, 28});
    WriteWorkDrawing(dir_ / "inch.dxf", {1, 1.2, 1, 0.9, 1.2, 0.9, 1.2, 1.2}, "in");
    ExpectSuccess(Run({"job", "new", "job.sulkor", Example("outside_groove.dxf")}), "new");
    ExpectSuccess(Run({"job", "tool", "job.sulkor", "--tool-width", "3", "--corner-radius",
                       "0.5"}),
                  "tool 1");
    ExpectSuccess(Run({"job", "tool", "job.sulkor", "--tool-number", "2", "--tool-width",
                       "0.1", "--tool-unit", "in", "--corner-radius", "0"}),
                  "tool 2");
    ExpectSuccess(Run({"job", "add", "job.sulkor"}), "add 1");
    ExpectSuccess(Run({"job", "add", "job.sulkor", "right.dxf", "--tool-number", "2"}), "add 2");
    ExpectSuccess(Run({"job", "add", "job.sulkor", "left.dxf", "--depth-per-pass", "2"}),
                  "add 3");
  }

  ProgramResult Run(const std::vector<std::string>& args,
                    const std::vector<std::string>& environment = {}) {
    return RunSulkor(dir_.Path(), args, environment);
  }

  std::filesystem::path Job() const { return dir_ / "job.sulkor"; }

  ScratchDir dir_{"job_command"};
};

TEST_F(JobCommandTest, ThreeChainedGroovesListUpdateAndExport) {
  {
    host::MemoryHost job = host::JobFile::Open(Job().string()).Load();
    ASSERT_EQ(job.store->BlockSetCount(), 3);
    // Each operation starts from the stock the one before left; the part keeps the last.
    EXPECT_NEAR(EnclosedArea(StartingStock(job, 0)), 2000.0, 1e-6);
    const double second = EnclosedArea(StartingStock(job, 1));
    const double third = EnclosedArea(StartingStock(job, 2));
    EXPECT_LT(second, 2000.0 - 45.0);
    EXPECT_NEAR(second - third, 8.0 * 4.0, 0.5);  // the right groove, 8 wide and 4 deep
    EXPECT_NEAR(third - EnclosedArea(PartBlank(job)), 8.0 * 3.0, 0.5);
    EXPECT_EQ(job.store->BlockSetAt(1)->Property("ToolNumber"), Variant(int32_t{2}));
  }

  const ProgramResult list = Run({"job", "list", "job.sulkor"});
  ExpectSuccess(list, "list");
  EXPECT_THAT(list.out, StartsWith("job.sulkor: part \"Blank\" in mm, 2 tools, 3 operations\n"
                                   "tool 1: Groove, width 3 mm, corner radius 0.5 mm, "
                                   "orientation TurnExternal\n"
                                   "tool 2: Groove, width 0.1 in, corner radius 0 in, "
                                   "orientation TurnExternal\n"
                                   "operation 1: outside diameter, tool 1\n"));
  EXPECT_THAT(list.out, HasSubstr("operation 2: outside diameter, tool 2\n"));
  EXPECT_THAT(list.out, HasSubstr("operation 3: outside diameter, tool 1\n  "
                                  "CAM_TurningTrajectoryType=Turn CAM_TurningDirection=External"));
  EXPECT_THAT(list.out, HasSubstr(" CAM_TurningDepthOnPass=2 "));

  // Spoil the third operation's starting stock: updating the second hands its stock on again.
  double rightStock = 0.0;
  double partStock = 0.0;
  {
    host::JobFile file = host::JobFile::Open(Job().string());
    host::MemoryHost job = file.Load();
    rightStock = EnclosedArea(StartingStock(job, 2));
    partStock = EnclosedArea(PartBlank(job));
    StartingStock(job, 2)->Delete();
    host::AddContourPolyline(*job.store->BlockSetAt(2)->GraphicGroup()->Children(),
                             MakePolygon({0, 0, 1, 0, 1, 1, 0, 1}), "LastPartBlank");
    file.Save(job);
  }
  const ProgramResult update = Run({"job", "update", "job.sulkor", "2", "--feed", "40"});
  ExpectSuccess(update, "update");
  EXPECT_THAT(update.out, StartsWith("operation 2 recomputed\ngroove: outside diameter\n"));
  EXPECT_THAT(update.out, HasSubstr("stock handed on to operation 3\n"));
  {
    host::MemoryHost job = host::JobFile::Open(Job().string()).Load();
    EXPECT_NEAR(EnclosedArea(StartingStock(job, 2)), rightStock, 1e-6);
    EXPECT_EQ(StartingStock(job, 2)->Property("PenColor"), Variant(int32_t{16711680}));
    EXPECT_NEAR(EnclosedArea(PartBlank(job)), partStock, 1e-6);
    EXPECT_EQ(job.store->BlockSetAt(1)->Property("Feed"), Variant(40.0));
    EXPECT_EQ(job.store->BlockSetAt(1)->Property("ToolNumber"), Variant(int32_t{2}));
  }

  ExpectSuccess(Run({"job", "export", "job.sulkor", "-o", "job.dxf"}), "export");
  const std::vector<std::string> facts = InspectDxf(dir_ / "job.dxf");
  EXPECT_THAT(facts, Contains("units 4"));
  int trajectories = 0;
  int removed = 0;
  for (const std::string& line : facts) {
    trajectories += line.starts_with("group Trajectory");
    removed += line.starts_with("group RemovedMaterial") && line.ends_with(" HATCH:1 LWPOLYLINE:1");
  }
  EXPECT_EQ(trajectories, 3);
  EXPECT_EQ(removed, 3);

  // The job's program: one tool call per operation, in the job's order, and its picture.
  const ProgramResult posted = Run({"job", "export", "job.sulkor", "-o", "job.dxf", "--nc",
                                    "job.ngc", "--preview", "job.png", "--post", "fanuc"});
  ExpectSuccess(posted, "export with a program");
  EXPECT_THAT(posted.out, StartsWith("program: 3 operations, cycle time "));
  const std::string program = testing::ReadText(dir_ / "job.ngc");
  std::vector<std::string> calls;
  std::istringstream lines(program);
  for (std::string line; std::getline(lines, line);) {
    if (line.size() == 5 && line[0] == 'T') calls.push_back(line);
  }
  EXPECT_THAT(calls, ::testing::ElementsAre("T0101", "T0202", "T0101"));
  EXPECT_EQ(testing::ReadText(dir_ / "job.png").substr(0, 4), "\x89PNG");
  // The inserts of every operation, drawn orange.
  EXPECT_GT(sulkor::testing::CountColours((dir_ / "job.png").string())["orange"], 100);
}

// Killed after computing the update or in the middle of saving it, the job keeps its state.
TEST_F(JobCommandTest, KilledUpdateLeavesTheJobAsItWas) {
  const std::string before = Dump(Job());
  for (const char* point : {"after-compute", "mid-save"}) {
    const ProgramResult r = Run({"job", "update", "job.sulkor", "1", "--depth-per-pass", "2"},
                                {std::string("SULKOR_TEST_KILL_AT=") + point});
    EXPECT_EQ(r.status, 128 + 9) << point << "\n" << r.err;
    // Killed while writing, SQLite leaves its journal to roll the change back.
    EXPECT_EQ(std::filesystem::exists(dir_ / "job.sulkor-journal"),
              std::string(point) == "mid-save")
        << point;
    EXPECT_EQ(Dump(Job()), before) << point;
  }
  ExpectSuccess(Run({"job", "update", "job.sulkor", "1", "--depth-per-pass", "2"}), "update");
  EXPECT_NE(Dump(Job()), before);
}

TEST_F(JobCommandTest, FailuresChangeNothingAndEndWithTheirStatus) {
  const std::string before = Dump(Job());
  const std::string dxf = Example("outside_groove.dxf");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  const Case cases[] = {
      {{"job", "list", "missing.sulkor"}, 2, "sulkor: missing.sulkor: no such job file\n"},
      {{"job", "list", dxf}, 2,
       "sulkor: " + dxf + ": not a Sulkor job file (file is not a database)\n"},
      {{"job", "new", "job.sulkor", dxf}, 2,
       "sulkor: job.sulkor: a file of that name exists (--force replaces it)\n"},
      {{"job", "update", "job.sulkor", "4"}, 2,
       "sulkor: job.sulkor: no operation 4 (the job has 3)\n"},
      {{"job", "add", "job.sulkor", "left.dxf", "--tool-number", "5"}, 2,
       "sulkor: job.sulkor: the job has no tool 5 (add it with `sulkor job tool`)\n"},
      {{"job", "add", "job.sulkor", "left.dxf", "--set", "Depth=2"}, 2,
       "sulkor: unknown parameter \"Depth\"\n"},
      {{"job", "add", "job.sulkor"}, 2,
       "sulkor: job.sulkor: the job's drawing has no unused \"WorkContour\"; name a drawing "
       "that holds the groove's profile\n"},
      {{"job", "add", "job.sulkor", "inch.dxf"}, 2,
       "sulkor: \"inch.dxf\": the drawing is in in, the job in mm\n"},
      {{"job", "update", "job.sulkor", "2", "--set", "Feed=-5"}, 2,
       "sulkor: --set: Feed: \"-5\" is out of range: the value must be at least 0.001 and "
       "below 1000000\n"},
  };
  for (const Case& c : cases) {
    const ProgramResult r = Run(c.args);
    std::string command;
    for (const std::string& a : c.args) command += a + " ";
    EXPECT_EQ(r.status, c.status) << command;
    EXPECT_EQ(r.err, c.err) << command;
    EXPECT_EQ(Dump(Job()), before) << command;
  }

  // Usage without a subcommand, and the help of each.
  EXPECT_EQ(Run({"job"}).status, 2);
  for (const char* sub : {"new", "tool", "add", "update", "list", "export"}) {
    const ProgramResult help = Run({"job", sub, "--help"});
    EXPECT_EQ(help.status, 0) << sub;
    EXPECT_THAT(help.out, HasSubstr(std::string("Usage: sulkor job ") + sub)) << sub;
  }
}

// How many rounds the race and kill tests run: a few in the ordinary test run, more when the
// environment variable names a number (SULKOR_RACE_ROUNDS=100 for the long run).
int Rounds(const char* variable, int fallback) {
  const char* value = std::getenv(variable);
  return value != nullptr ? std::max(1, std::atoi(value)) : fallback;
}

// No file the commands leave behind but the job (and its drawings).
void ExpectNoLeftovers(const ScratchDir& dir, const std::string& what) {
  for (const std::string& name : dir.Files()) {
    EXPECT_EQ(name.find(".tmp-"), std::string::npos) << what << ": " << name;
  }
}

// Two commands on one job at once, in many rounds: each either does its whole change or is
// refused with a message; no change is lost and the job stays readable.
TEST_F(JobCommandTest, ConcurrentCommandsLoseNothing) {
  WriteWorkDrawing(dir_ / "a.dxf", {20, 28, 20, 22, 27, 22, 27, 28});
  WriteWorkDrawing(dir_ / "b.dxf", {62, 28, 62, 22, 70, 22, 70, 28});
  std::filesystem::copy_file(Job(), dir_ / "base.sulkor");
  struct Race {
    std::string name;
    std::vector<std::string> first, second;
    int32_t operationsAdded;  // when both succeed
  };
  const std::vector<Race> races = {
      {"new+new", {"job", "new", "fresh.sulkor", Example("outside_groove.dxf")},
       {"job", "new", "fresh.sulkor", Example("outside_groove.dxf")}, 0},
      {"add+add", {"job", "add", "job.sulkor", "a.dxf"}, {"job", "add", "job.sulkor", "b.dxf"}, 2},
      {"update+add", {"job", "update", "job.sulkor", "1", "--depth-per-pass", "1"},
       {"job", "add", "job.sulkor", "a.dxf"}, 1},
      {"update+update", {"job", "update", "job.sulkor", "1", "--depth-per-pass", "1"},
       {"job", "update", "job.sulkor", "2", "--depth-per-pass", "0.5"}, 0},
      {"update+tool", {"job", "update", "job.sulkor", "3", "--feed", "50"},
       {"job", "tool", "job.sulkor", "--tool-number", "3", "--tool-width", "2"}, 0},
      // A reader beside a writer sees the job before or after the change, never a mixture.
      {"list+update", {"job", "list", "job.sulkor"},
       {"job", "update", "job.sulkor", "1", "--depth-per-pass", "1"}, 0},
      {"export+add", {"job", "export", "job.sulkor", "-o", "e.dxf"},
       {"job", "add", "job.sulkor", "a.dxf"}, 1},
  };
  const int rounds = Rounds("SULKOR_RACE_ROUNDS", 2);
  for (const Race& race : races) {
    int bothWon = 0, oneLost = 0;
    for (int round = 0; round < rounds; ++round) {
      std::filesystem::remove(dir_ / "fresh.sulkor");
      std::filesystem::copy_file(dir_ / "base.sulkor", Job(),
                                 std::filesystem::copy_options::overwrite_existing);
      std::vector<std::string> first{SULKOR_PROGRAM}, second{SULKOR_PROGRAM};
      first.insert(first.end(), race.first.begin(), race.first.end());
      second.insert(second.end(), race.second.begin(), race.second.end());
      const testing::StartedProgram a = testing::StartIn(dir_.Path(), first, {}, "a");
      const testing::StartedProgram b = testing::StartIn(dir_.Path(), second, {}, "b");
      const ProgramResult ra = testing::Finish(a);
      const ProgramResult rb = testing::Finish(b);
      const std::string what = race.name + " round " + std::to_string(round);
      ExpectNoLeftovers(dir_, what);
      if (race.name == "new+new") {
        // Exactly one creates the job; the other is told that it exists.
        ASSERT_EQ((ra.status == 0) + (rb.status == 0), 1) << what << "\n" << ra.err << rb.err;
        const ProgramResult& loser = ra.status == 0 ? rb : ra;
        EXPECT_EQ(loser.status, 2) << what;
        EXPECT_THAT(loser.err, StartsWith("sulkor: fresh.sulkor: a file of that name exists"))
            << what;
        EXPECT_EQ(host::JobFile::Open((dir_ / "fresh.sulkor").string()).Load().store->Parts().size(),
                  1u);
        ++oneLost;
        continue;
      }
      // The job file's lock serialises the two: both succeed, one after the other.
      EXPECT_EQ(ra.status, 0) << what << "\n" << ra.err;
      EXPECT_EQ(rb.status, 0) << what << "\n" << rb.err;
      if (ra.status != 0 || rb.status != 0) continue;
      host::MemoryHost job = host::JobFile::Open(Job().string()).Load();
      EXPECT_EQ(job.store->BlockSetCount(), 3 + race.operationsAdded) << what;
      if (race.name == "update+tool") {
        EXPECT_TRUE(job.store->ToolList().ToolByNumber(3)) << what;
        EXPECT_EQ(job.store->BlockSetAt(2)->Property("Feed").ToDouble(), 50.0) << what;
      }
      ++bothWon;
    }
    std::printf("%s: %d rounds, both done %d, one refused %d\n", race.name.c_str(), rounds,
                bothWon, oneLost);
  }
}

// Commands killed at random moments: the job holds either the state before or the state
// after the command, never anything else, and it opens.
TEST_F(JobCommandTest, CommandsKilledAtRandomMomentsLeaveTheOldOrTheNewJob) {
  WriteWorkDrawing(dir_ / "a.dxf", {20, 28, 20, 22, 27, 22, 27, 28});
  std::filesystem::copy_file(Job(), dir_ / "base.sulkor");
  const std::string before = Dump(Job());
  const auto started = std::chrono::steady_clock::now();
  ExpectSuccess(Run({"job", "add", "job.sulkor", "a.dxf"}), "add");
  const auto took = std::chrono::steady_clock::now() - started;
  const std::string after = Dump(Job());
  ASSERT_NE(before, after);

  const int rounds = Rounds("SULKOR_KILL_ROUNDS", 4);
  const unsigned seed = static_cast<unsigned>(::getpid());
  std::mt19937 random(seed);
  std::uniform_int_distribution<int64_t> moment(
      0, std::chrono::duration_cast<std::chrono::microseconds>(took).count());
  int old = 0, changed = 0, finished = 0;
  for (int round = 0; round < rounds; ++round) {
    std::filesystem::copy_file(dir_ / "base.sulkor", Job(),
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(dir_ / "job.sulkor-journal");
    const testing::StartedProgram p = testing::StartIn(
        dir_.Path(), {SULKOR_PROGRAM, "job", "add", "job.sulkor", "a.dxf"});
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    ::kill(p.pid, SIGKILL);
    const ProgramResult r = testing::Finish(p);
    const std::string now = Dump(Job());
    const bool isOld = now == before, isNew = now == after;
    EXPECT_TRUE(isOld || isNew) << "seed " << seed << " round " << round;
    old += isOld;
    changed += isNew;
    finished += r.status == 0;
    if (r.status == 0) {
      EXPECT_TRUE(isNew) << "seed " << seed << " round " << round;
    }
  }
  std::printf("%d kills (seed %u): %d left the old job, %d the new one (%d had finished)\n",
              rounds, seed, old, changed, finished);
}

// Beyond the file size limit the write fails with a message instead of killing the program,
// and no temporary file stays behind.
TEST_F(JobCommandTest, FileSizeLimitFailsCleanly) {
  const struct {
    std::string command;
    std::string err;
  } cases[] = {
      {"job new big.sulkor " + Example("outside_groove.dxf"), "sulkor: big.sulkor: "},
      {"job export job.sulkor -o out.dxf", "sulkor: cannot write \"out.dxf\""},
  };
  for (const auto& c : cases) {
    const ProgramResult r = testing::RunIn(
        dir_.Path(), {"/bin/sh", "-c", "ulimit -f 4; exec " + std::string(SULKOR_PROGRAM) + " " +
                                           c.command});
    EXPECT_EQ(r.status, 2) << c.command << "\n" << r.err;
    EXPECT_THAT(r.err, StartsWith(c.err)) << c.command;
    ExpectNoLeftovers(dir_, c.command);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "big.sulkor"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out.dxf"));
  }
}

// Two outputs of one command naming one file, or an output naming the input, are refused
// before anything is computed.
TEST_F(JobCommandTest, OutputsNamingOneFileAreRefused) {
  const std::string dxf = Example("outside_groove.dxf");
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"groove", dxf, "-o", "x", "--nc", "x"}, "-o and --nc name the same file \"x\""},
      {{"groove", dxf, "-o", "x.dxf", "--preview", "./x.dxf"},
       "-o and --preview name the same file \"./x.dxf\""},
      {{"groove", dxf, "-o", dxf}, "-o \"" + dxf + "\" names the input drawing, which the "
                                   "command reads: choose another name"},
      {{"job", "export", "job.sulkor", "-o", "x", "--nc", "../" + dir_.Path().filename().string() +
                                                           "/x"},
       "-o and --nc name the same file \"../" + dir_.Path().filename().string() + "/x\""},
      {{"job", "export", "job.sulkor", "-o", "job.sulkor"},
       "-o \"job.sulkor\" names the job, which the command reads: choose another name"},
      {{"job", "new", "left.dxf", "left.dxf", "--force"},
       "the job \"left.dxf\" names the part drawing, which the command reads: choose another "
       "name"},
  };
  const std::vector<std::string> files = dir_.Files();
  const std::string before = Dump(Job());
  for (const auto& c : cases) {
    const ProgramResult r = Run(c.args);
    EXPECT_EQ(r.status, 2) << c.err;
    EXPECT_EQ(r.err, "sulkor: " + c.err + "\n");
    EXPECT_EQ(dir_.Files(), files) << c.err;
  }
  EXPECT_EQ(Dump(Job()), before);
}

// The drawing `from` with its "WorkContour" replaced by the open profile xy: the next groove
// on the part that an earlier run left.
void NextGrooveDrawing(const std::filesystem::path& from, const std::filesystem::path& to,
                       const std::vector<double>& xy) {
  host::MemoryHost host = host::BuildMemoryHost();
  host::ImportDxfFile(from.string(), *host.Drawing());
  Handle<Graphics> top = host.Drawing()->TopGraphics();
  for (int32_t i = top->Count() - 1; i >= 0; --i) {
    if (top->Item(i)->Name() == "WorkContour") top->Remove(i);
  }
  Handle<Graphic> work = host::AddContourPolyline(*top, MakePolyline(xy), "WorkContour");
  work->SetLayer("WorkContour");
  std::ofstream(to, std::ios::binary) << host::ExportDxfText(*host.Drawing());
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
    if (k > 0) WriteWorkDrawing(dir_ / ("work" + n + ".dxf"), grooves[k]);
    std::vector<std::string> add{"job", "add", "chain.sulkor"};
    if (k > 0) add.push_back("work" + n + ".dxf");  // the first: the part drawing's own
    const ProgramResult job = Run(add);
    ExpectSuccess(job, "job add " + n);
    if (k > 0) NextGrooveDrawing(previous, dir_ / ("in" + n + ".dxf"), grooves[k]);
    const std::string in = k == 0 ? previous : "in" + n + ".dxf";
    const ProgramResult drawing = Run({"groove", in, "-o", "out" + n + ".dxf"});
    ExpectSuccess(drawing, "groove " + n);
    // The same report: plunges, pecks, moves and lengths of the same cut.
    EXPECT_EQ(drawing.out, job.out.substr(job.out.find('\n') + 1)) << "groove " << n;
    previous = (dir_ / ("out" + n + ".dxf")).string();
  }
  host::MemoryHost job = host::JobFile::Open((dir_ / "chain.sulkor").string()).Load();
  host::MemoryHost last = host::BuildMemoryHost();
  host::ImportDxfFile(previous, *last.Drawing());
  Handle<Graphic> stock = last.Drawing()->TopGraphics()->ItemByName("Blank");
  ASSERT_TRUE(stock);
  EXPECT_NEAR(EnclosedArea(stock), EnclosedArea(PartBlank(job)), 1e-6);
  // Every run's output is kept: three of each group.
  int kept = 0;
  Handle<Graphics> top = last.Drawing()->TopGraphics();
  for (int32_t i = 0; i < top->Count(); ++i) kept += top->Item(i)->Layer() == "CAMOperations";
  EXPECT_EQ(kept, 9);
}

}  // namespace
}  // namespace sulkor::cli
