// `sulkor groove` run as a program on the example drawings: exit statuses, the summary, the
// output drawing read back by ezdxf (groups, colours, layer, hatch, the blank replaced by the
// remaining stock), error texts, and no output at all when a run fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include <cairo.h>

#include "testing/test_program.h"
#include "testing/png_colours.h"

namespace sulkor::cli {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing::Example;
using testing::InspectDxf;
using testing::RunSulkor;
using testing::ScratchDir;

double OutlineArea(const std::vector<std::string>& facts, const std::string& layer) {
  for (const std::string& line : facts) {
    if (line.starts_with("outline " + layer + " ")) {
      return std::stod(line.substr(line.find("area=") + 5));
    }
  }
  return -1.0;
}

// The value of a whole-number member of the one-line JSON summary; -1 when absent.
int JsonInteger(const std::string& json, const std::string& name) {
  const size_t at = json.find("\"" + name + "\": ");
  return at == std::string::npos ? -1 : std::atoi(json.c_str() + at + name.size() + 4);
}

struct ExampleRun {
  const char* name;
  const char* file;
  std::vector<std::string> options;
  const char* kind;
  const char* units;      // $INSUNITS
  const char* hatch;      // the hatch line ezdxf reads
  double blankAfter;      // area of the blank with the groove taken out
};

TEST(GrooveCommand, RunsTheExamplesAndWritesTheDrawing) {
  const std::vector<ExampleRun> runs = {
      // 10 x 5 with two bottom corners of radius 1: 50 - 2 (1 - pi / 4).
      {"outside", "outside_groove.dxf", {}, "outside diameter", "4", "25", 2000.0 - 49.5708},
      // 0.4 x 0.2 with two 0.02 chamfers.
      {"inch", "outside_groove_inch.dxf", {"--tool-width", "0.118", "--corner-radius", "0.008"},
       "outside diameter", "1", "1", 4.0 - 0.0804},
      {"bore", "bore_groove.dxf", {"--direction", "Internal", "--start-x", "10", "--start-z", "65"},
       "bore", "4", "25", 1200.0 - 32.0},
      {"front", "face_groove.dxf",
       {"--type", "Face", "--direction", "Internal", "--start-x", "20", "--start-z", "60"},
       "front face", "4", "25", 2000.0 - 24.0},
      {"back", "back_face_groove.dxf",
       {"--type", "Face", "--direction", "External", "--start-x", "100", "--start-z", "-10"},
       "back face", "4", "25", 2000.0 - 24.0},
  };
  for (const ExampleRun& run : runs) {
    SCOPED_TRACE(run.name);
    ScratchDir dir(std::string("groove_") + run.name);
    std::vector<std::string> args{"groove", Example(run.file), "-o", "out.dxf", "--json"};
    args.insert(args.end(), run.options.begin(), run.options.end());
    const testing::ProgramResult r = RunSulkor(dir.Path(), args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_THAT(r.out, HasSubstr(std::string("\"kind\": \"") + run.kind + "\""));
    EXPECT_THAT(dir.Files(), ElementsAre("out.dxf"));

    const std::vector<std::string> facts = InspectDxf(dir / "out.dxf");
    EXPECT_THAT(facts, Contains(std::string("units ") + run.units));
    EXPECT_THAT(facts, Contains(std::string("hatch pattern=ANSI36 scale=") + run.hatch +
                                " layer=CAMOperations aci=3"));
    EXPECT_THAT(facts, Contains("group RemovedMaterial HATCH:1 LWPOLYLINE:1"));
    EXPECT_THAT(facts, Contains("group LastPartBlank LWPOLYLINE:1"));
    EXPECT_THAT(facts, Contains(StartsWith("group Trajectory ")));
    int yellow = 0;
    int red = 0;
    for (const std::string& line : facts) {
      if (!line.starts_with("entity Trajectory ")) continue;
      EXPECT_THAT(line, HasSubstr("layer=CAMOperations"));
      yellow += line.ends_with("aci=2 rgb=255,255,0");
      red += line.ends_with("aci=1 rgb=255,0,0");
    }
    EXPECT_GT(yellow, 0);
    EXPECT_GT(red, 0);
    EXPECT_THAT(facts, Contains(HasSubstr("entity LastPartBlank LWPOLYLINE layer=CAMOperations "
                                          "aci=5 rgb=0,0,255")));
    // The part's blank is the stock that remains.
    EXPECT_NEAR(OutlineArea(facts, "Blank"), run.blankAfter, 1e-3 * run.blankAfter);

    const testing::ProgramResult audit = testing::RunIn(
        dir.Path(), {"/usr/bin/python3", "-m", "ezdxf", "audit", (dir / "out.dxf").string()});
    EXPECT_THAT(audit.out, HasSubstr("No errors found.")) << audit.out << audit.err;
  }
}

TEST(GrooveCommand, WritesTheLatheProgramInEitherDialect) {
  ScratchDir dir("groove_nc");
  const struct {
    const char* dialect;
    const char* first;   // the program's first line
    const char* setup;   // its modal set-up block
    const char* tool;
    const char* last;
  } dialects[] = {
      {"linuxcnc", "(Sulkor", "G18 G21 G7 G90 G94 G40 G49", "T1 M6 G43", "M2"},
      {"fanuc", "%", "G18 G21 G40 G98", "T0101", "%"},
  };
  for (const auto& d : dialects) {
    SCOPED_TRACE(d.dialect);
    const testing::ProgramResult r =
        RunSulkor(dir.Path(), {"groove", Example("outside_groove.dxf"), "-o", "out.dxf", "--nc",
                               "out.ngc", "--post", d.dialect, "--json", "--rapid-rate", "5000"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string program = testing::ReadText(dir / "out.ngc");
    EXPECT_THAT(program, StartsWith(d.first));
    EXPECT_THAT(program, HasSubstr(std::string("\n") + d.setup + "\n"));
    EXPECT_THAT(program, HasSubstr(std::string("\n") + d.tool + "\n"));
    EXPECT_THAT(program, ::testing::EndsWith(std::string("\n") + d.last + "\n"));
    EXPECT_THAT(r.out, HasSubstr("\"rapidRate\": 5000, \"cycleMinutes\": "));
    EXPECT_THAT(r.out, ::testing::Not(HasSubstr("\"cycleMinutes\": null")));
  }
}

TEST(GrooveCommand, OutputDrawsWithItsColours) {
  ScratchDir dir("groove_draw");
  ASSERT_EQ(RunSulkor(dir.Path(), {"groove", Example("outside_groove.dxf"), "-o", "out.dxf",
                                   "--preview", "own.png", "--view", "groove"})
                .status,
            0);
  // Our own preview (zoomed on the groove, the inserts orange) and ezdxf's rendering of the
  // file show the same colours.
  const std::map<std::string, int> own = sulkor::testing::CountColours((dir / "own.png").string());
  for (const char* colour : {"red", "yellow", "green", "orange"}) {
    EXPECT_GT(own.count(colour) ? own.at(colour) : 0, 100) << colour;
  }
  // ezdxf's own renderer: the moves in red and yellow, the removed material green, the stock
  // outlines blue.
  const testing::ProgramResult draw = testing::RunIn(
      dir.Path(), {"/usr/bin/python3", "-m", "ezdxf", "draw", "-o", (dir / "out.png").string(),
                   (dir / "out.dxf").string()});
  ASSERT_EQ(draw.status, 0) << draw.err;
  const std::map<std::string, int> colours = sulkor::testing::CountColours((dir / "out.png").string());
  for (const char* colour : {"red", "yellow", "green", "blue"}) {
    EXPECT_GT(colours.count(colour) ? colours.at(colour) : 0, 100) << colour;
  }
}

TEST(GrooveCommand, SummaryCountsPlungesAndPecks) {
  ScratchDir dir("groove_pecks");
  const auto counts = [&](const std::string& depthPerPass) {
    const testing::ProgramResult r = RunSulkor(
        dir.Path(), {"groove", Example("face_groove.dxf"), "-o", "out.dxf", "--json", "--type",
                     "Face", "--direction", "Internal", "--start-x", "20", "--start-z", "60",
                     "--finish-thickness", "1.27", "--set",
                     "CAM_TurningDepthOnPass=" + depthPerPass});
    EXPECT_EQ(r.status, 0) << r.err;
    return std::pair<int, int>(JsonInteger(r.out, "plunges"), JsonInteger(r.out, "pecks"));
  };
  // The groove is 6 wide: two plunges of the 3 mm insert. Each plunge runs from the profile's
  // end 3 in front of the face down to 47.47: 5.53 deep, one peck at 100 a pass and
  // Int(5.53 / 1.5) + 1 = 4 at 1.5 a pass.
  EXPECT_EQ(counts("100"), std::make_pair(2, 2));
  EXPECT_EQ(counts("1.5"), std::make_pair(2, 8));

  const testing::ProgramResult r =
      RunSulkor(dir.Path(), {"groove", Example("outside_groove.dxf"), "-o", "out.dxf", "--json"});
  EXPECT_THAT(r.out, HasSubstr("\"units\": \"mm\""));

  const testing::ProgramResult text =
      RunSulkor(dir.Path(), {"groove", Example("outside_groove_inch.dxf"), "-o", "in.dxf",
                             "--tool-width", "0.118", "--corner-radius", "0.008"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_THAT(text.out, StartsWith("groove: outside diameter\nplunges: "));
  EXPECT_THAT(text.out, HasSubstr(" in  rapid length: "));
}

struct Failure {
  const char* name;
  std::vector<std::string> args;  // "IN" stands for the prepared input file
  const char* input;              // contents of IN, or nullptr for an example named in args
  int status;
  const char* err;                // expected in standard error
};

TEST(GrooveCommand, FailuresExitWithTheirStatusAndWriteNothing) {
  const std::string outside = Example("outside_groove.dxf");
  const char* truncated = "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nBlank\n10\n0.0\n";
  const std::vector<Failure> failures = {
      {"no subcommand", {}, nullptr, 2, "A subcommand is required"},
      {"no output", {"groove", outside}, nullptr, 2, "--output is required"},
      {"missing input", {"groove", "missing.dxf", "-o", "out.dxf"}, nullptr, 2, "missing.dxf"},
      {"bad option", {"groove", outside, "-o", "out.dxf", "--tool-width", "-3"}, nullptr, 2,
       "--tool-width"},
      {"truncated", {"groove", "IN", "-o", "out.dxf"}, truncated, 2, "in.dxf"},
      {"unknown parameter", {"groove", outside, "-o", "out.dxf", "--set", "CAM_Nothing=1"},
       nullptr, 2, "unknown parameter \"CAM_Nothing\""},
      {"not a number", {"groove", outside, "-o", "out.dxf", "--set", "Feed=fast"}, nullptr, 2,
       "--set: Feed: \"fast\" is not a number"},
      {"not an assignment", {"groove", outside, "-o", "out.dxf", "--set", "Feed"}, nullptr, 2,
       "--set: \"Feed\": expected NAME=VALUE"},
      {"unknown dialect", {"groove", outside, "-o", "out.dxf", "--nc", "o.ngc", "--post", "heidenhain"},
       nullptr, 2, "--post: heidenhain not in {linuxcnc,fanuc}"},
      {"preview type", {"groove", outside, "-o", "out.dxf", "--preview", "out.bmp"}, nullptr, 2,
       "out.bmp: unknown preview type \".bmp\"; use .png, .svg or .pdf"},
      {"unwritable", {"groove", outside, "-o", "no/such/dir/out.dxf"}, nullptr, 2,
       "cannot write \"no/such/dir/out.dxf\""},
      // The system's own message box: TITLE: PROMPT.
      {"face from the wrong side",
       {"groove", Example("face_groove.dxf"), "-o", "out.dxf", "--nc", "out.ngc", "--type", "Face",
        "--direction", "External", "--start-x", "20", "--start-z", "60"},
       nullptr, 1,
       "Sulkor function cannot be performed.: Groove-Face operation can not be performed for "
       "selected work area\n"},
      // The reason on a second line.
      {"insert wider than the groove",
       {"groove", outside, "-o", "out.dxf", "--tool-width", "12", "--corner-radius", "0.2"},
       nullptr, 1,
       "Sulkor function cannot be performed.: Groove-Turn operation can not be performed for "
       "selected work area\ninsert 12.000 wide, groove 10.000 wide at its narrowest (x 35.000)\n"},
  };
  for (const Failure& f : failures) {
    SCOPED_TRACE(f.name);
    ScratchDir dir("groove_fail");
    std::vector<std::string> args = f.args;
    if (f.input) {
      std::ofstream(dir / "in.dxf") << f.input;
      for (std::string& a : args) {
        if (a == "IN") a = (dir / "in.dxf").string();
      }
    }
    const testing::ProgramResult r = RunSulkor(dir.Path(), args);
    EXPECT_EQ(r.status, f.status) << r.err;
    EXPECT_THAT(r.err, HasSubstr(f.err));
    EXPECT_EQ(r.out, "");
    const std::vector<std::string> expected =
        f.input ? std::vector<std::string>{"in.dxf"} : std::vector<std::string>{};
    EXPECT_EQ(dir.Files(), expected);
  }
}

TEST(GrooveCommand, DrawingsThatAreNoPartAreRefusedNamingTheFile) {
  ScratchDir dir("groove_part");
  // A blank but no "WorkContour"; two closed outlines that both reach the groove; a sketch
  // circle away from it, which is left out with a note.
  const std::string square =
      "0\nSECTION\n2\nENTITIES\n"
      "0\nLWPOLYLINE\n8\nBlank\n90\n4\n70\n1\n10\n0\n20\n0\n10\n50\n20\n0\n10\n50\n20\n20\n10\n0\n20\n20\n"
      "0\nENDSEC\n0\nEOF\n";
  const std::string work =
      "0\nLINE\n8\nWorkContour\n10\n10\n20\n25\n11\n10\n21\n15\n"
      "0\nLINE\n8\nWorkContour\n10\n10\n20\n15\n11\n20\n21\n15\n"
      "0\nLINE\n8\nWorkContour\n10\n20\n20\n15\n11\n20\n21\n25\n";
  std::string twoBlanks = square;
  twoBlanks.insert(twoBlanks.find("0\nENDSEC"),
                   work + "0\nCIRCLE\n8\nOther\n10\n15\n20\n20\n40\n8\n");
  std::string sketch = square;
  sketch.insert(sketch.find("0\nENDSEC"), work + "0\nCIRCLE\n8\nOther\n10\n30\n20\n10\n40\n2\n");
  std::ofstream(dir / "nowork.dxf") << square;
  std::ofstream(dir / "two.dxf") << twoBlanks;
  std::ofstream(dir / "sketch.dxf") << sketch;

  const testing::ProgramResult noWork =
      RunSulkor(dir.Path(), {"groove", "nowork.dxf", "-o", "out.dxf"});
  EXPECT_EQ(noWork.status, 2);
  EXPECT_THAT(noWork.err, HasSubstr("nowork.dxf"));
  EXPECT_THAT(noWork.err, HasSubstr("WorkContour"));

  const testing::ProgramResult two = RunSulkor(dir.Path(), {"groove", "two.dxf", "-o", "out.dxf"});
  EXPECT_EQ(two.status, 2);
  EXPECT_EQ(two.err, "sulkor: two.dxf: 2 closed outlines could be the part blank (on \"Blank\", "
                     "\"Other\"): name its layer with --blank-layer\n");
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"nowork.dxf", "sketch.dxf", "two.dxf"}));

  const testing::ProgramResult named =
      RunSulkor(dir.Path(), {"groove", "two.dxf", "-o", "out.dxf", "--blank-layer", "BLANK"});
  EXPECT_EQ(named.status, 0) << named.err;
  const testing::ProgramResult noted =
      RunSulkor(dir.Path(), {"groove", "sketch.dxf", "-o", "out.dxf"});
  EXPECT_EQ(noted.status, 0);
  EXPECT_EQ(noted.err, "sulkor: note: \"sketch.dxf\": layer \"Other\": 1 closed outline left out "
                       "(not the part blank)\n");
}

TEST(GrooveCommand, EverySubcommandHasHelp) {
  ScratchDir dir("groove_help");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, std::vector<std::string>{"groove", "--help"}}) {
    const testing::ProgramResult r = RunSulkor(dir.Path(), args);
    EXPECT_EQ(r.status, 0);
    EXPECT_THAT(r.out, HasSubstr("groove"));
  }
  EXPECT_THAT(RunSulkor(dir.Path(), {"groove", "--help"}).out, HasSubstr("--tool-width"));
}

}  // namespace
}  // namespace sulkor::cli

namespace sulkor::cli {
namespace {

// The shop's side of the command line: the version, the parameter list, help with units and
// defaults, and options refused with their reason.
TEST(GrooveCommand, OptionsAreDescribedAndCheckedBeforeAnythingRuns) {
  ScratchDir dir("groove_options");
  const std::string in = Example("outside_groove.dxf");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;  // a part of standard output
    std::string err;  // a part of standard error
  } cases[] = {
      {{"--version"}, 0, "sulkor 0.1\n", ""},
      {{"params"}, 0, "CAM_TurningDepthOnPass      --depth-per-pass    depth of one peck\n", ""},
      {{"params"}, 0, "unit: mm or in  default: 0.1 mm (0.004 in)\n", ""},
      {{"groove", "--help"}, 0,
       "finish allowance left by roughing, 0: no offset finishing pass, mm or in (default: 0.1 "
       "mm (0.004 in))", ""},
      {{"groove", "--help"}, 0, "--reference", ""},
      {{"groove", in, "-o", "o.dxf", "--tool-orientation", "Foo"}, 2, "",
       "--tool-orientation: Foo not in {TurnExternal,TurnInternal,Face,BackFace}"},
      {{"groove", in, "-o", "o.dxf", "--nc", "o.ngc", "--css", "200"}, 2, "",
       "sulkor: --css needs --max-rpm, the spindle's limit\n"},
      {{"groove", in, "-o", "o.dxf", "--nc", "o.ngc", "--home", "100"}, 2, "",
       "sulkor: --home \"100\": expected reference, none or X,Z\n"},
      {{"groove", in, "-o", "o.dxf", "--coolant", "oil"}, 2, "", "--coolant: oil not in"},
  };
  for (const Case& c : cases) {
    const testing::ProgramResult r = RunSulkor(dir.Path(), c.args);
    EXPECT_EQ(r.status, c.status) << c.args.back() << "\n" << r.err;
    EXPECT_THAT(r.out, HasSubstr(c.out)) << c.args.back();
    EXPECT_THAT(r.err, HasSubstr(c.err)) << c.args.back();
  }
  EXPECT_EQ(dir.Files(), std::vector<std::string>{});
}

// The shop defaults in the drawing's unit, as the job lists them after the run.
TEST(GrooveCommand, ShopDefaultsFollowTheDrawingsUnit) {
  ScratchDir dir("groove_defaults");
  struct Case {
    std::string file;
    std::vector<std::string> tool;
    std::string listed;
  } cases[] = {
      {"outside_groove.dxf", {}, "CAM_TurningDepthOnPass=1 CAM_TurningFinishThickness=0.1"},
      {"outside_groove_inch.dxf", {"--tool-width", "0.118", "--corner-radius", "0.008"},
       "CAM_TurningDepthOnPass=0.04 CAM_TurningFinishThickness=0.004"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> tool = {"job", "tool", "j.sulkor", "--tool-number", "1"};
    tool.insert(tool.end(), c.tool.begin(), c.tool.end());
    ASSERT_EQ(RunSulkor(dir.Path(), {"job", "new", "j.sulkor", Example(c.file), "--force"}).status, 0);
    ASSERT_EQ(RunSulkor(dir.Path(), tool).status, 0);
    const testing::ProgramResult add = RunSulkor(dir.Path(), {"job", "add", "j.sulkor"});
    ASSERT_EQ(add.status, 0) << add.err;
    const testing::ProgramResult list = RunSulkor(dir.Path(), {"job", "list", "j.sulkor"});
    EXPECT_THAT(list.out, HasSubstr(c.listed)) << list.out;
  }
}

}  // namespace
}  // namespace sulkor::cli

namespace sulkor::cli {
namespace {

// --layers split: the run's output on CAM_ layers coloured by layer, read back by ezdxf; a run
// on that drawing takes those layers for an earlier run's output, not for a second blank.
TEST(GrooveCommand, SplitLayersAreColouredByLayerAndReadBack) {
  ScratchDir dir("groove_layers");
  const testing::ProgramResult run = RunSulkor(
      dir.Path(), {"groove", Example("outside_groove.dxf"), "-o", "split.dxf", "--layers", "split"});
  ASSERT_EQ(run.status, 0) << run.err;
  const testing::ProgramResult facts = testing::RunIn(
      dir.Path(),
      {"/usr/bin/python3", "-c",
       "import ezdxf\n"
       "d = ezdxf.readfile('split.dxf')\n"
       "for l in sorted(d.layers, key=lambda l: l.dxf.name):\n"
       "    if l.dxf.name.startswith('CAM_'):\n"
       "        n = [e for e in d.modelspace() if e.dxf.layer == l.dxf.name]\n"
       "        print(l.dxf.name, l.dxf.color, len(n) > 0, all(e.dxf.color == 256 for e in n))\n"});
  EXPECT_EQ(facts.out,
            "CAM_Cutting 1 True True\nCAM_Positioning 2 True True\n"
            "CAM_RemovedMaterial 3 True True\nCAM_Stock 5 True True\n")
      << facts.err;
  const testing::ProgramResult again =
      RunSulkor(dir.Path(), {"groove", "split.dxf", "-o", "again.dxf"});
  EXPECT_EQ(again.status, 0) << again.err;
}

}  // namespace
}  // namespace sulkor::cli
