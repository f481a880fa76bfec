// `sulkor demo [DIR]`: the example shaft with its three grooves, run as a host runs a job: the
// part and the tools set up, the operations created and run in order, then the first one updated
// so that each operation hands the stock it leaves to the next. Writes the drawing and the
// summary into DIR.
#include <filesystem>
#include <memory>
#include <sstream>

#include <fmt/format.h>

#include "cli/commands.h"
#include "cli/demo_part.h"
#include "cli/exit_codes.h"
#include "cli/previews.h"
#include "cli/run_report.h"
#include "cli/staged_files.h"
#include "cli/stream_message_box.h"
#include "host/dxf/dxf_file.h"
#include "host/memory/memory_graphic_set.h"
#include "host/memory/scene.h"
#include "sulkor/graphic_names.h"
#include "sulkor/groove.h"
#include "sulkor/store_names.h"
#include "groove/groove_state.h"

namespace sulkor::cli {
namespace {

namespace fs = std::filesystem;

struct DemoOptions {
  std::string directory = "sulkor-demo";
};

void SetUp(Groove& groove, const DemoOperation& op) {
  groove.SetParameter(std::string(kParamToolNumber), Variant(op.tool.number));
  groove.SetParameter(std::string(kParamTrajectoryType), Variant(op.trajectoryType));
  groove.SetParameter(std::string(kParamDirection), Variant(op.direction));
  groove.SetParameter(std::string(kParamStartPointX), Variant(op.startX));
  groove.SetParameter(std::string(kParamStartPointZ), Variant(op.startZ));
  groove.SetParameter(std::string(kParamDepthOnPass), Variant(op.depthPerPass));
  groove.SetParameter(std::string(kParamFinishThickness), Variant(op.finishThickness));
}

int RunDemo(const DemoOptions& options, CommandContext& context) {
  const DemoPart demo = MakeDemoPart();
  host::GrooveScene scene;
  scene.host = host::BuildMemoryHost();
  auto messages = std::make_shared<StreamMessageBox>(context.err);
  scene.host.environment->messageBox = messages;
  host::MemoryDataStore& store = *scene.host.store;
  scene.host.Drawing()->SetProperty(kLinearUnitName, Variant(kUnitMillimetre));
  store.SetSetting(kSettingUnitsSystem, Variant(int32_t{kUnitsSystemMetric}));
  Handle<Graphics> top = scene.host.Drawing()->TopGraphics();
  scene.partGroup = top->Add();
  scene.partGroup->SetName("Part");
  scene.blank = host::AddContourPolyline(*scene.partGroup->Children(), demo.blank, "Blank");
  scene.part = store.NewPart(scene.partGroup);
  store.SetActivePart(scene.part);

  std::ostringstream summary;
  std::vector<Handle<BlockSet>> operations;
  PreviewContent picture;  // the inserts of every operation
  for (const DemoOperation& op : demo.operations) {
    host::AddTool(store, op.tool);
    Groove groove(scene.host.environment);
    SetUp(groove, op);
    auto selection = std::make_shared<host::MemoryGraphicSet>();
    selection->Add(host::AddContourPolyline(*top, op.profile, kWorkContourName));
    const Handle<BlockSet> blockSet = groove.CreateBlockSet(Handle<GraphicSet>(selection));
    if (!blockSet || !groove.DoGroove(blockSet) || messages->Count() > 0) return kExitMessage;
    operations.push_back(blockSet);
    const std::vector<host::PreviewInsert> inserts = InsertsOf(StateOf(groove));
    picture.inserts.insert(picture.inserts.end(), inserts.begin(), inserts.end());
    summary << fmt::format("operation {}: {} (tool {})\n", operations.size(), op.title,
                           op.tool.number);
    std::ostringstream report;
    PrintReport(report, ReportOf(StateOf(groove), "mm"));
    summary << report.str();
  }

  // The host answers an update request with a fresh operation object; updating the first
  // operation hands each one's remaining stock down the list as its "LastPartBlank".
  store.SetUpdateHandler([&](const Handle<BlockSet>& blockSet, bool first, bool) {
    Groove groove(scene.host.environment);
    return groove.UpdateBlockSet(blockSet, first);
  });
  {
    Groove groove(scene.host.environment);
    if (!groove.UpdateBlockSet(operations.front(), true) || messages->Count() > 0) {
      return kExitMessage;
    }
  }

  const fs::path dir(options.directory);
  std::error_code error;
  fs::create_directories(dir, error);
  if (error) throw UsageError("cannot create \"" + dir.string() + "\": " + error.message());
  StagedFiles files;
  files.Stage(dir / "shaft.dxf", host::ExportDxfText(*scene.host.Drawing()));
  files.Stage(dir / "summary.txt", summary.str());
  for (const char* name : {"shaft.png", "shaft.svg", "shaft.pdf"}) {
    StagePreview(files, *scene.host.Drawing(), (dir / name).string(), picture);
  }
  files.Commit();
  context.out << summary.str() << "written in " << dir.string()
              << ": shaft.dxf, summary.txt, shaft.png, shaft.svg, shaft.pdf\n";
  return kExitSuccess;
}

}  // namespace

void AddDemoCommand(CLI::App& app, CommandContext& context) {
  auto options = std::make_shared<DemoOptions>();
  CLI::App* command = app.add_subcommand(
      "demo", "Run the example shaft: an outside, a bore and a front-face groove, chained");
  command->add_option("dir", options->directory, "folder for the files written")
      ->capture_default_str();
  command->callback([options, &context] { context.status = RunDemo(*options, context); });
}

}  // namespace sulkor::cli
