// `sulkor groove IN.dxf -o OUT.dxf ...`: one groove on a drawing, run through the public Groove
// interface as a host runs it: the tool into the tool table, the parameters set by name, the
// block set created from the selected "WorkContour", then DoGroove.
#include <algorithm>
#include <filesystem>
#include <memory>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/groove_options.h"
#include "cli/kind_of_work.h"
#include "cli/nc_options.h"
#include "cli/output_names.h"
#include "cli/previews.h"
#include "cli/run_report.h"
#include "cli/staged_files.h"
#include "cli/stream_message_box.h"
#include "contour/contour_ops.h"
#include "host/dxf/dxf_file.h"
#include "kernel/contour_services.h"
#include "host/dxf/part_from_drawing.h"
#include "host/memory/scene.h"
#include "values/run_on_part.h"
#include "groove/groove_state.h"
#include "sulkor/store_names.h"

namespace sulkor::cli {
namespace {

struct GrooveCommandOptions {
  std::string input;
  std::string output;
  std::string preview;
  std::string view = "all";
  std::string layers = "default";
  std::string blankLayer;
  ToolOptions tool;
  ParameterOptions parameters;
  NcOptions nc;
  bool json = false;
};

int RunGroove(const GrooveCommandOptions& options, CommandContext& context) {
  CheckOutputNames({{"the input drawing", options.input}},
                   {{"-o", options.output}, {"--preview", options.preview},
                    {"--nc", options.nc.file}});
  if (!options.preview.empty()) CheckPreviewPath(options.preview);
  ToPostOptions(options.nc);  // bad program options are refused before anything runs
  host::MemoryHost host = host::BuildMemoryHost();
  auto messages = std::make_shared<StreamMessageBox>(context.err);
  host.environment->messageBox = messages;

  const std::string file = std::filesystem::path(options.input).filename().string();
  host::DrawingPart part;
  try {
    for (const std::string& note :
         host::ImportDxfFile(options.input, *host.Drawing(), {options.blankLayer})) {
      context.err << "sulkor: note: \"" << file << "\": " << note << '\n';
    }
    part = host::SetUpPartFromDrawing(host, file);
  } catch (const Error& error) {
    throw UsageError(error.what());
  }
  const std::string units = DrawingUnit(host);
  host::AddTool(*host.store, ToSceneTool(options.tool, units));

  Groove groove(host.environment);
  const bool inch = units == "in";
  ParameterOptions parameters = WithShopDefaults(options.parameters, inch);
  if (options.nc.feedPerRev) {
    const double perRev = inch ? kDefaultFeedPerRevInches : kDefaultFeedPerRevMillimetres;
    if (!parameters.feed) parameters.feed = perRev;
    if (!parameters.finishFeed) parameters.finishFeed = perRev;
  }
  FillKindOfWork(parameters, *host.Drawing(), part.workContour);
  FillStartPoint(parameters, *host.environment->geometry,
                 part.lastPartBlank ? part.lastPartBlank : part.blank, inch);
  ApplyParameters(groove, parameters);
  groove.SetParameter(std::string(kParamToolNumber), Variant(options.tool.number));

  const bool done = values::RunOnPart(groove, part);
  if (!done || messages->Count() > 0) {
    if (messages->Count() == 0) {
      context.err << "sulkor: no groove could be computed on \"" << file << "\"\n";
    }
    PrintFailureDetail(context.err, groove);
    return kExitMessage;
  }

  StagedFiles files;
  files.Stage(options.output,
              host::ExportDxfText(*host.Drawing(), {options.layers == "split"}));
  if (!options.preview.empty()) {
    PreviewContent content{InsertsOf(StateOf(groove)), std::nullopt};
    if (options.view == "groove") content.view = GrooveView(StateOf(groove));
    StagePreview(files, *host.Drawing(), options.preview, content);
  }
  if (!options.nc.file.empty()) {
    try {
      files.Stage(options.nc.file,
                  PostProcess(PostInputOf(StateOf(groove), options.nc), ToPostOptions(options.nc)));
    } catch (const PostError& error) {
      throw UsageError("\"" + options.nc.file + "\": " + error.what());
    }
  }
  files.Commit();

  const RunReport report =
      ReportOf(StateOf(groove), units, RapidRate(options.nc, units == "in"), options.nc.dwell,
               options.nc.feedPerRev);
  if (options.json) {
    PrintReportJson(context.out, report);
  } else {
    PrintReport(context.out, report);
  }
  return kExitSuccess;
}

}  // namespace

void AddGrooveCommand(CLI::App& app, CommandContext& context) {
  auto options = std::make_shared<GrooveCommandOptions>();
  CLI::App* command = app.add_subcommand(
      "groove", "Cut one groove on a drawing: the \"WorkContour\" profile on the part blank");
  command->add_option("input", options->input, "the part drawing (DXF)")
      ->required()->check(CLI::ExistingFile);
  command->add_option("-o,--output", options->output, "the drawing after the run (DXF)")
      ->required();
  command->add_option("--preview", options->preview,
                      "a picture of the result: FILE.png, FILE.svg or FILE.pdf (SVG and PDF at "
                      "a stated scale, in millimetres)");
  command->add_option("--layers", options->layers,
                      "the run's output in the drawing: default (all on \"CAMOperations\") or "
                      "split (tool path, removed material and stock on CAM_ layers of their own, "
                      "coloured by layer)")
      ->capture_default_str()->check(CLI::IsMember({"default", "split"}));
  command->add_option("--view", options->view,
                      "the picture's extent: all (the whole drawing) or groove (zoomed on it)")
      ->capture_default_str()->check(CLI::IsMember({"all", "groove"}));
  command->add_option("--blank-layer", options->blankLayer,
                      "the layer of the part blank (default: the one closed outline on a "
                      "layer of its own)");
  AddToolOptions(*command, options->tool);
  AddParameterOptions(*command, options->parameters);
  AddNcOptions(*command, options->nc);
  command->add_flag("--json", options->json, "print the summary as JSON");
  command->callback([options, &context] { context.status = RunGroove(*options, context); });
}

}  // namespace sulkor::cli
