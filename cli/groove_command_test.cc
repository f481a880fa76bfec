// `sulkor groove` and `sulkor demo` run as programs on the example drawings: the summary, the
// output drawing as ezdxf reads it (groups, colours, layers, hatch, the blank replaced by the
// remaining stock) and audits it, the pictures' colours, and every failure with its status and
// message and no output at all.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "testing/png_colours.h"
#include "testing/process.h"

namespace sulkor::cli {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing::Example;
using testing::ProgramResult;
using testing::RunSulkor;
using testing::ScratchDir;

// The area of the closed polyline on the layer that is no group's member: the part's blank.
double BlankArea(const std::vector<std::string>& facts) {
  for (const std::string& line : facts) {
    if (line.starts_with("lwpolyline Blank ")) return std::stod(line.substr(line.find(" area ") + 6));
  }
  return -1.0;
}

TEST(GrooveCommand, RunsTheExamplesAndWritesTheDrawing) {
  const struct {
    const char* file;
    std::vector<std::string> options;
    const char* kind;
    const char* units;   // $INSUNITS
    const char* hatch;   // the hatch's scale
    double blankAfter;   // area of the blank with the groove taken out
  } runs[] = {
      // 10 x 5 with two bottom corners of radius 1: 50 - 2 (1 - pi / 4).
      {"outside_groove.dxf", {}, "outside diameter", "4", "25", 2000.0 - 49.5708},
      // 0.4 x 0.2 with two 0.02 chamfers.
      {"outside_groove_inch.dxf", {"--tool-width", "0.118", "--corner-radius", "0.008"}, "outside diameter", "1", "1",
       4.0 - 0.0804},
      {"bore_groove.dxf", {"--direction", "Internal", "--start-x", "10", "--start-z", "65"}, "bore", "4", "25", 1200.0 - 32.0},
      {"face_groove.dxf", {"--type", "Face", "--direction", "Internal", "--start-x", "20", "--start-z", "60"}, "front face",
       "4", "25", 2000.0 - 24.0},
      {"back_face_groove.dxf", {"--type", "Face", "--direction", "External", "--start-x", "100", "--start-z", "-10"},
       "back face", "4", "25", 2000.0 - 24.0},
  };
  for (const auto& run : runs) {
    SCOPED_TRACE(run.file);
    ScratchDir dir("groove_run");
    std::vector<std::string> args{"groove", Example(run.file), "-o", "out.dxf", "--json"};
    args.insert(args.end(), run.options.begin(), run.options.end());
    const ProgramResult r = RunSulkor(dir.Path(), args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_THAT(r.out, HasSubstr(std::string("\"kind\": \"") + run.kind + "\""));
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"out.dxf"});
    const std::vector<std::string> facts = testing::DxfFacts(dir / "out.dxf");
    EXPECT_THAT(facts, Contains(StartsWith(std::string("version AC1024 units ") + run.units)));
    EXPECT_THAT(facts, Contains(StartsWith(std::string("hatch ANSI36 scale ") + run.hatch + " ")));
    EXPECT_THAT(facts, Contains("group RemovedMaterial | HATCH CAMOperations 3 (0, 255, 0), LWPOLYLINE CAMOperations 3 (0, 255, 0)"));
    EXPECT_THAT(facts, Contains("group LastPartBlank | LWPOLYLINE CAMOperations 5 (0, 0, 255)"));
    EXPECT_THAT(facts, Contains(::testing::AllOf(StartsWith("group Trajectory | "), HasSubstr("LINE CAMOperations 1 (255, 0, 0)"),
                                      HasSubstr("LINE CAMOperations 2 (255, 255, 0)"))));
    EXPECT_NEAR(BlankArea(facts), run.blankAfter, 1e-3 * run.blankAfter);  // the stock that remains
    EXPECT_THAT(testing::EzdxfAudit(dir / "out.dxf"), HasSubstr("No errors found."));
  }
}

// The program in either dialect, our preview zoomed on the groove with the inserts orange, and
// ezdxf's own rendering of the drawing: the moves red and yellow, the removed material green,
// the stock blue. --layers split puts the output on CAM_ layers coloured by layer, and a run on
// that drawing takes them for an earlier run's output.
TEST(GrooveCommand, ProgramPicturesAndLayers) {
  ScratchDir dir("groove_outputs");
  for (const auto& [dialect, setup, tool] : {std::tuple{"linuxcnc", "G18 G21 G7 G90 G94 G40 G49", "T1 M6 G43"},
                                             {"fanuc", "G18 G21 G40 G98", "T0101"}}) {
    const ProgramResult r = RunSulkor(dir.Path(), {"groove", Example("outside_groove.dxf"), "-o", "out.dxf", "--nc", "out.ngc",
                                                   "--post", dialect, "--json", "--rapid-rate", "5000", "--preview", "own.png",
                                                   "--view", "groove"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string program = testing::ReadText(dir / "out.ngc");
    EXPECT_THAT(program, HasSubstr(std::string("\n") + setup + "\n")) << dialect;
    EXPECT_THAT(program, HasSubstr(std::string("\n") + tool + "\n")) << dialect;
    EXPECT_THAT(r.out, HasSubstr("\"rapidRate\": 5000, \"cycleMinutes\": 0."));
  }
  ASSERT_EQ(testing::Python(dir.Path(), {"-m", "ezdxf", "draw", "-o", (dir / "out.png").string(), (dir / "out.dxf").string()})
                .status, 0);
  for (const auto& [picture, colours] : {std::pair{"own.png", std::vector<std::string>{"red", "yellow", "green", "orange"}},
                                         {"out.png", {"red", "yellow", "green", "blue"}}}) {
    std::map<std::string, int> counted = sulkor::testing::CountColours((dir / picture).string());
    for (const std::string& colour : colours) EXPECT_GT(counted[colour], 100) << picture << " " << colour;
  }
  ASSERT_EQ(RunSulkor(dir.Path(), {"groove", Example("outside_groove.dxf"), "-o", "split.dxf", "--layers", "split"}).status, 0);
  std::vector<std::string> layers;
  for (const std::string& line : testing::DxfFacts(dir / "split.dxf")) {
    if (line.starts_with("layer CAM_")) layers.push_back(line.substr(0, line.find(" entities")) + line.substr(line.rfind(' ')));
  }
  EXPECT_EQ(layers, (std::vector<std::string>{"layer CAM_Cutting aci 1 True", "layer CAM_Positioning aci 2 True",
                                              "layer CAM_RemovedMaterial aci 3 True", "layer CAM_Stock aci 5 True"}));
  EXPECT_EQ(RunSulkor(dir.Path(), {"groove", "split.dxf", "-o", "again.dxf"}).status, 0);
}

TEST(GrooveCommand, SummaryCountsPlungesAndPecksAndShopDefaultsFollowTheUnit) {
  ScratchDir dir("groove_summary");
  // The face groove is 6 wide: two plunges of the 3 mm insert, each from 3 in front of the face
  // down to 47.47: 5.53 deep, one peck at 100 a pass and Int(5.53 / 1.5) + 1 = 4 at 1.5 a pass.
  for (const auto& [depth, counts] : {std::pair{"100", "\"plunges\": 2, \"pecks\": 2"}, {"1.5", "\"plunges\": 2, \"pecks\": 8"}}) {
    const ProgramResult r = RunSulkor(dir.Path(), {"groove", Example("face_groove.dxf"), "-o", "out.dxf", "--json", "--type",
                                                   "Face", "--direction", "Internal", "--start-x", "20", "--start-z", "60",
                                                   "--finish-thickness", "1.27", "--set", std::string("CAM_TurningDepthOnPass=") + depth});
    EXPECT_THAT(r.out, HasSubstr(counts)) << r.err;
  }
  // The shop defaults in the drawing's unit, as the job lists them after the run.
  const std::string inchTool[] = {"--tool-width", "0.118", "--corner-radius", "0.008"};
  for (const bool inch : {false, true}) {
    const std::string file = inch ? "outside_groove_inch.dxf" : "outside_groove.dxf";
    std::vector<std::string> tool = {"job", "tool", "j.sulkor"};
    if (inch) tool.insert(tool.end(), std::begin(inchTool), std::end(inchTool));
    ASSERT_EQ(RunSulkor(dir.Path(), {"job", "new", "j.sulkor", Example(file), "--force"}).status, 0);
    ASSERT_EQ(RunSulkor(dir.Path(), tool).status, 0);
    ASSERT_EQ(RunSulkor(dir.Path(), {"job", "add", "j.sulkor"}).status, 0);
    EXPECT_THAT(RunSulkor(dir.Path(), {"job", "list", "j.sulkor"}).out,
                HasSubstr(inch ? "CAM_TurningDepthOnPass=0.04 CAM_TurningFinishThickness=0.004"
                               : "CAM_TurningDepthOnPass=1 CAM_TurningFinishThickness=0.1"));
    std::vector<std::string> run = {"groove", Example(file), "-o", "o.dxf"};
    if (inch) run.insert(run.end(), std::begin(inchTool), std::end(inchTool));
    const std::string out = RunSulkor(dir.Path(), run).out;
    EXPECT_THAT(out, StartsWith("groove: outside diameter\nplunges: "));
    EXPECT_THAT(out, HasSubstr(inch ? " in  rapid length: " : " mm  rapid length: "));
  }
}

TEST(GrooveCommand, EveryFailureHasItsStatusAndMessageAndWritesNothing) {
  const std::string outside = Example("outside_groove.dxf"), refused = "Sulkor function cannot be performed.: ";
  // A blank but no "WorkContour"; two closed outlines that both reach the groove; a sketch
  // circle away from it, left out with a note.
  const std::string square = "0\nSECTION\n2\nENTITIES\n0\nLWPOLYLINE\n8\nBlank\n90\n4\n70\n1\n10\n0\n20\n0\n10\n50\n20\n0\n"
                             "10\n50\n20\n20\n10\n0\n20\n20\n";
  const std::string work = "0\nLINE\n8\nWorkContour\n10\n10\n20\n25\n11\n10\n21\n15\n0\nLINE\n8\nWorkContour\n10\n10\n20\n15\n"
                           "11\n20\n21\n15\n0\nLINE\n8\nWorkContour\n10\n20\n20\n15\n11\n20\n21\n25\n";
  const std::string end = "0\nENDSEC\n0\nEOF\n";
  const struct {
    std::vector<std::string> args;  // "IN" stands for the file written from `input`
    std::string input;
    int status;
    std::string out, err;  // parts of the outputs
    bool written = false;  // the run writes out.dxf
  } cases[] = {
      {{}, "", 2, "", "A subcommand is required"},
      {{"groove", outside}, "", 2, "", "--output is required"},
      {{"groove", "missing.dxf", "-o", "out.dxf"}, "", 2, "", "missing.dxf"},
      {{"groove", "IN", "-o", "out.dxf"}, "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nBlank\n10\n0.0\n", 2, "", "in.dxf"},
      {{"groove", outside, "-o", "o.dxf", "--nc", "o.ngc", "--post", "heidenhain"}, "", 2, "",
       "--post: heidenhain not in {linuxcnc,fanuc}"},
      {{"groove", outside, "-o", "out.dxf", "--preview", "out.bmp"}, "", 2, "",
       "out.bmp: unknown preview type \".bmp\"; use .png, .svg or .pdf"},
      {{"groove", outside, "-o", "no/such/dir/out.dxf"}, "", 2, "", "cannot write \"no/such/dir/out.dxf\""},
      {{"groove", outside, "-o", "o.dxf", "--tool-orientation", "Foo"}, "", 2, "",
       "--tool-orientation: Foo not in {TurnExternal,TurnInternal,Face,BackFace}"},
      {{"groove", outside, "-o", "o.dxf", "--nc", "o.ngc", "--css", "200"}, "", 2, "",
       "sulkor: --css needs --max-rpm, the spindle's limit\n"},
      {{"groove", outside, "-o", "o.dxf", "--nc", "o.ngc", "--home", "100"}, "", 2, "",
       "sulkor: --home \"100\": expected reference, none or X,Z\n"},
      {{"groove", outside, "-o", "o.dxf", "--coolant", "oil"}, "", 2, "", "--coolant: oil not in"},
      {{"groove", "IN", "-o", "out.dxf"}, square + end, 2, "", "in.dxf: no entities on layer \"WorkContour\""},
      {{"groove", "IN", "-o", "out.dxf"}, square + work + "0\nCIRCLE\n8\nOther\n10\n15\n20\n20\n40\n8\n" + end, 2, "",
       "sulkor: in.dxf: 2 closed outlines could be the part blank (on \"Blank\", \"Other\"): name its layer with --blank-layer\n"},
      {{"groove", "IN", "-o", "out.dxf", "--blank-layer", "BLANK"}, square + work + "0\nCIRCLE\n8\nOther\n10\n15\n20\n20\n40\n8\n" + end,
       0, "groove: outside diameter", "", true},
      {{"groove", "IN", "-o", "out.dxf"}, square + work + "0\nCIRCLE\n8\nOther\n10\n30\n20\n10\n40\n2\n" + end, 0, "",
       "sulkor: note: \"in.dxf\": layer \"Other\": 1 closed outline left out (not the part blank)\n", true},
      // The system's own message box: TITLE: PROMPT, and the reason on a second line.
      {{"groove", Example("face_groove.dxf"), "-o", "out.dxf", "--nc", "out.ngc", "--type", "Face", "--direction", "External",
        "--start-x", "20", "--start-z", "60"}, "", 1, "",
       refused + "Groove-Face operation can not be performed for selected work area\n"},
      {{"groove", outside, "-o", "out.dxf", "--tool-width", "12", "--corner-radius", "0.2"}, "", 1, "",
       refused + "Groove-Turn operation can not be performed for selected work area\ninsert 12.000 wide, groove 10.000 "
                 "wide at its narrowest (x 35.000)\n"},
      // The version, the parameter list, help with units and defaults.
      {{"--version"}, "", 0, "sulkor 0.1\n", ""},
      {{"params"}, "", 0, "CAM_TurningDepthOnPass      --depth-per-pass    depth of one peck\n", ""},
      {{"params"}, "", 0, "unit: mm or in  default: 0.1 mm (0.004 in)\n", ""},
      {{"--help"}, "", 0, "groove", ""},
      {{"groove", "--help"}, "", 0,
       "finish allowance left by roughing, 0: no offset finishing pass, mm or in (default: 0.1 mm (0.004 in))", ""},
      {{"groove", "--help"}, "", 0, "--reference", ""},
  };
  for (const auto& c : cases) {
    ScratchDir dir("groove_fail");
    std::vector<std::string> args = c.args;
    if (!c.input.empty()) std::ofstream(dir / "in.dxf") << c.input;
    std::replace(args.begin(), args.end(), std::string("IN"), std::string("in.dxf"));
    const ProgramResult r = RunSulkor(dir.Path(), args);
    const std::string name = c.err + c.out;
    EXPECT_EQ(r.status, c.status) << name << "\n" << r.err;
    EXPECT_THAT(r.err, HasSubstr(c.err)) << name;
    EXPECT_THAT(r.out, HasSubstr(c.out)) << name;
    EXPECT_TRUE(!c.out.empty() || c.status == 0 || r.out.empty()) << name;
    std::vector<std::string> files;
    if (!c.input.empty()) files.push_back("in.dxf");
    if (c.written) files.push_back("out.dxf");
    std::sort(files.begin(), files.end());
    EXPECT_EQ(dir.Files(), files) << name;
  }
}

// `sulkor demo`: the example shaft's three grooves chained, written as a drawing ezdxf audits
// and reads with the stock of all three taken out of the part's blank, and its pictures.
TEST(DemoCommand, WritesTheChainedShaftAndItsSummary) {
  ScratchDir dir("demo");
  const ProgramResult r = RunSulkor(dir.Path(), {"demo", "out"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string summary = testing::ReadText(dir / "out/summary.txt");
  EXPECT_THAT(r.out, HasSubstr(summary));
  for (const char* op : {"operation 1: outside groove (tool 1)\ngroove: outside diameter\n",
                         "operation 2: bore groove (tool 2)\ngroove: bore\n",
                         "operation 3: front face groove (tool 3)\ngroove: front face\n"}) {
    EXPECT_THAT(summary, HasSubstr(op));
  }
  const std::vector<std::string> facts = testing::DxfFacts(dir / "out/shaft.dxf");
  for (const char* suffix : {"", "_2", "_3"}) {
    EXPECT_THAT(facts, Contains(StartsWith(std::string("group RemovedMaterial") + suffix + " | HATCH ")));
    EXPECT_THAT(facts, Contains(StartsWith(std::string("group LastPartBlank") + suffix + " | LWPOLYLINE ")));
  }
  // The tube 80 x 20 less the outside groove (50 less its two rounded corners), the bore groove
  // (8 x 4) and the face groove (6 x 4), less in each of the last two the two square corners
  // that the inserts' corner radius of 0.2 leaves (0.0172 each).
  EXPECT_NEAR(BlankArea(facts), 1494.4632, 1e-3);
  for (const auto& [file, signature] : {std::pair{"shaft.png", "\x89PNG"}, {"shaft.svg", "<?xml"}, {"shaft.pdf", "%PDF"}}) {
    EXPECT_TRUE(testing::ReadText(dir / "out" / file).starts_with(signature)) << file;
  }
  EXPECT_THAT(testing::EzdxfAudit(dir / "out/shaft.dxf"), HasSubstr("No errors found."));
}

}  // namespace
}  // namespace sulkor::cli
