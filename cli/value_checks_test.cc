// Bad numbers on the command line: every numeric option and every --set parameter refuses
// non-finite, absurd and out-of-range values with exit status 2 and one message in plain
// numbers, before anything is computed or written; a job keeps what it held.
#include "cli/value_checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/app.h"
#include "host/sqlite/host_dump.h"
#include "host/sqlite/job_file.h"
#include "testing/process.h"

namespace sulkor::cli {
namespace {

using testing::Example;
using testing::ScratchDir;

struct Outcome {
  int status;
  std::string err;
};

// The command line run in this process, its standard error captured.
Outcome RunLine(std::vector<std::string> args) {
  args.insert(args.begin(), "sulkor");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  std::ostringstream out, err;
  const int status = RunCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
  return {status, err.str()};
}

const std::string kRange = "is out of range: the value must be ";
const std::string kLength = kRange + "at least 0.001 and below 1000000";
const std::string kSpeed = kRange + "at least 1 and below 1000000";
const std::string kCoordinate = kRange + "at least -1000000 and below 1000000";
const std::string kNotNegative = kRange + "at least 0 and below 1000000";
const std::string kPeck = kRange + "0 (no pecking) or at least 0.001 and below 1000000";

struct BadValue {
  std::vector<std::string> options;
  std::string message;  // after "sulkor: "
};

// Every option once with its range; the kinds of text that are no finite number once each.
const BadValue kBadValues[] = {
    {{"--tool-width", "0"}, "--tool-width: \"0\" " + kLength},
    {{"--tool-width", "inf"}, "--tool-width: \"inf\" is not a finite number"},
    {{"--corner-radius", "-0.1"}, "--corner-radius: \"-0.1\" " + kNotNegative},
    {{"--start-x", "1e300"}, "--start-x: \"1e300\" " + kCoordinate},
    {{"--start-z", "-1e6"}, ""},  // the lowest coordinate: accepted by the check
    {{"--start-z", "-1000000.5"}, "--start-z: \"-1000000.5\" " + kCoordinate},
    {{"--start-z", "-inf"}, "--start-z: \"-inf\" is not a finite number"},
    {{"--feed", "nan"}, "--feed: \"nan\" is not a finite number"},
    {{"--feed", "0.000999"}, "--feed: \"0.000999\" " + kLength},
    {{"--feed", "fast"}, "--feed: \"fast\" is not a number"},
    {{"--feed", "12mm"}, "--feed: \"12mm\" is not a number"},
    {{"--feed", ""}, "--feed: \"\" is not a number"},
    {{"--feed", "\x01\xff"}, "--feed: \"\\x01\\xFF\" is not a number"},
    {{"--speed", "0.5"}, "--speed: \"0.5\" " + kSpeed},
    {{"--speed", "1e6"}, "--speed: \"1e6\" " + kSpeed},
    {{"--depth-per-pass", "1e-9"}, "--depth-per-pass: \"1e-9\" " + kPeck},
    {{"--finish-thickness", "1e400"}, "--finish-thickness: \"1e400\" is not a finite number"},
    {{"--finish-thickness", "-0.01"}, "--finish-thickness: \"-0.01\" " + kNotNegative},
    {{"--finish-feed", "1e-9"}, "--finish-feed: \"1e-9\" " + kLength},
    {{"--finish-speed", "-1300"}, "--finish-speed: \"-1300\" " + kSpeed},
    {{"--dwell", "1e300"}, "--dwell: \"1e300\" " + kRange + "at least 0 and below 3600"},
    {{"--rapid-rate", "0"}, "--rapid-rate: \"0\" " + kRange + "at least 1 and below 10000000"},
    {{"--set", "Feed=nan"}, "--set: Feed: \"nan\" is not a finite number"},
    {{"--set", "Speed=0"}, "--set: Speed: \"0\" " + kSpeed},
    {{"--set", "CAM_SpeedFactor=0"}, "--set: CAM_SpeedFactor: \"0\" " + kRange + "at least 0.001 and below 1000"},
    {{"--set", "CAM_FeedFactor=inf"}, "--set: CAM_FeedFactor: \"inf\" is not a finite number"},
    {{"--set", "CAM_TurningStartPointX=1e7"}, "--set: CAM_TurningStartPointX: \"1e7\" " + kCoordinate},
    {{"--set", "CAM_TurningStartPointZ=nan"}, "--set: CAM_TurningStartPointZ: \"nan\" is not a finite number"},
    {{"--set", "CAM_TurningDepthOnPass=-2"}, "--set: CAM_TurningDepthOnPass: \"-2\" " + kPeck},
    {{"--set", "CAM_TurningFinishThickness=1e400"}, "--set: CAM_TurningFinishThickness: \"1e400\" is not a finite number"},
    {{"--set", "CAM_TurningFinishFeed=0"}, "--set: CAM_TurningFinishFeed: \"0\" " + kLength},
    {{"--set", "CAM_TurningFinishSpeed=nan"}, "--set: CAM_TurningFinishSpeed: \"nan\" is not a finite number"},
    {{"--set", "CAM_TurningTrajectoryType=Bogus"}, "--set: CAM_TurningTrajectoryType: \"Bogus\" is not one of Turn, Face"},
    {{"--set", "CAM_TurningDirection="}, "--set: CAM_TurningDirection: \"\" is not one of External, Internal"},
    {{"--set", "ToolNumber=7"}, "--set: ToolNumber is set by --tool-number"},
    {{"--set", "=5"}, "--set: \"=5\": expected NAME=VALUE"},
};

// The groove command: each bad value ends it with status 2 and its message, writing nothing.
TEST(ValueChecks, BadValuesOfEveryOptionEndTheGrooveCommandWritingNothing) {
  ScratchDir dir("bad_values");
  for (const BadValue& bad : kBadValues) {
    if (bad.message.empty()) {
      EXPECT_EQ(CheckValueText(bad.options[1], kCoordinateRange), "");
      continue;
    }
    std::vector<std::string> args{"groove", Example("outside_groove.dxf"), "-o", (dir / "out.dxf").string(), "--nc",
                                  (dir / "out.ngc").string(), "--preview", (dir / "out.png").string()};
    args.insert(args.end(), bad.options.begin(), bad.options.end());
    const Outcome r = RunLine(args);
    EXPECT_EQ(r.status, 2) << bad.options[0] << " " << bad.options[1];
    EXPECT_EQ(r.err, "sulkor: " + bad.message + "\n");
    EXPECT_TRUE(dir.Files().empty()) << bad.options[0] << " " << bad.options[1];
  }
}

// The job commands take the same options: a bad value changes nothing in the job.
TEST(ValueChecks, BadValuesLeaveTheJobAsItWas) {
  ScratchDir dir("bad_job_values");
  const std::string job = (dir / "job.sulkor").string();
  ASSERT_EQ(RunLine({"job", "new", job, Example("outside_groove.dxf")}).status, 0);
  ASSERT_EQ(RunLine({"job", "tool", job}).status, 0);
  ASSERT_EQ(RunLine({"job", "add", job}).status, 0);
  const std::string before = host::DumpMemoryHost(host::JobFile::Open(job).Load());
  const std::vector<std::vector<std::string>> commands = {
      {"job", "update", job, "1", "--start-x", "nan"},
      {"job", "update", job, "1", "--set", "CAM_TurningFinishThickness=inf"},
      {"job", "add", job, "--feed", "inf"},
      {"job", "tool", job, "--tool-width", "1e400"},
      {"job", "export", job, "-o", (dir / "out.dxf").string(), "--dwell", "nan"},
  };
  for (const std::vector<std::string>& command : commands) {
    const Outcome r = RunLine(command);
    EXPECT_EQ(r.status, 2) << command[1];
    EXPECT_NE(r.err.find(" is not a finite number\n"), std::string::npos) << r.err;
  }
  EXPECT_EQ(host::DumpMemoryHost(host::JobFile::Open(job).Load()), before);
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"job.sulkor"});
}

}  // namespace
}  // namespace sulkor::cli
