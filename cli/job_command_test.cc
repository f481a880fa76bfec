// `sulkor job`: a job of three chained grooves built, listed, updated in the middle and
// exported through the program; a job killed in the middle of an update keeps its state; bad
// usage and failing runs change nothing and end with their statuses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/test_program.h"
#include "geometry/segment_build.h"
#include "host/dxf/dxf_file.h"
#include "host/geometry/contour_services.h"
#include "host/memory/scene.h"
#include "host/sqlite/host_dump.h"
#include "host/sqlite/job_file.h"

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
      {{"job", "update", "job.sulkor", "2", "--feed", "-5"}, 1,
       "Sulkor function cannot be performed.: Feed value must be more than zero.\r\n\r\n"
       "Please, check parameters.\n"},
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

}  // namespace
}  // namespace sulkor::cli
