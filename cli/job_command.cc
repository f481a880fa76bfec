// `sulkor job ...`: a job file (host/sqlite/job_file.h) holding one part, a tool library and a
// list of groove operations that hand the stock on from one to the next.
//
//   job new JOB PART.dxf          the part drawing: its blank (and "DATA"), and its work contour
//                                 for the first operation
//   job tool JOB --tool-number N  adds or replaces a tool of the tool table
//   job add JOB [WORK.dxf]        a new operation on a work contour, run at once
//   job update JOB N              recomputes operation N and hands the stock down the list
//   job list JOB                  the tools and the operations with their parameters
//   job export JOB -o OUT.dxf     the drawing
//
// A command that changes the job works on the whole job in memory and writes it back in one
// transaction, only when everything succeeded: a command that fails, shows a message or is
// killed leaves the file as it was.
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <vector>

#include <fmt/format.h>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/groove_options.h"
#include "cli/kind_of_work.h"
#include "cli/kill_point.h"
#include "cli/nc_options.h"
#include "cli/output_names.h"
#include "cli/previews.h"
#include "cli/run_report.h"
#include "cli/staged_files.h"
#include "cli/stream_message_box.h"
#include "operation/blank_graphic.h"
#include "operation/parameters.h"
#include "host/dxf/dxf_file.h"
#include "host/memory/memory_graphic_set.h"
#include "host/dxf/part_from_drawing.h"
#include "host/memory/scene.h"
#include "host/sqlite/job_file.h"
#include "sulkor/graphic_names.h"
#include "sulkor/drawing_unit.h"
#include "sulkor/groove.h"
#include "sulkor/store_names.h"
#include "groove/groove_state.h"

namespace sulkor::cli {
namespace {

namespace fs = std::filesystem;

// The parameters a job lists, in this order: the operation's own keys.
constexpr std::string_view kListedParameters[] = {
    kParamTrajectoryType, kParamDirection,   kParamStartPointX,     kParamStartPointZ,
    kParamFeed,           kParamSpeed,       kParamDepthOnPass,     kParamFinishThickness,
    kParamFinishFeed,     kParamFinishSpeed, kParamFeedFactor,      kParamSpeedFactor};

std::string FileName(const std::string& path) { return fs::path(path).filename().string(); }

// The job's own failures (missing, not a job, damaged, cannot be written) are bad input.
template <class F>
auto JobCall(F&& f) -> decltype(f()) {
  try {
    return f();
  } catch (const host::JobFileError& error) {
    throw UsageError(error.what());
  }
}

std::string ValueText(const Variant& value) {
  if (value.Type() == VariantType::Double) return fmt::format("{}", value.ToDouble());
  return value.ToText();
}

// A job loaded for a command: messages go to the command's error stream and the store answers
// the update requests of UpdateBlockSet with a fresh operation object, as a palette would.
struct LoadedJob {
  host::MemoryHost host;
  std::shared_ptr<StreamMessageBox> messages;
  std::shared_ptr<std::vector<int32_t>> updated = std::make_shared<std::vector<int32_t>>();

  host::MemoryDataStore& Store() { return *host.store; }
};

LoadedJob Load(host::JobFile& job, CommandContext& context) {
  LoadedJob loaded{JobCall([&] { return job.Load(); }),
                   std::make_shared<StreamMessageBox>(context.err)};
  loaded.host.environment->messageBox = loaded.messages;
  std::weak_ptr<HostEnvironment> environment = loaded.host.environment;
  loaded.host.store->SetUpdateHandler(
      [environment, updated = loaded.updated](const Handle<BlockSet>& blockSet, bool first, bool) {
        auto running = environment.lock();
        if (!running) return false;
        updated->push_back(blockSet->Index() + 1);
        Groove groove(running);
        return groove.UpdateBlockSet(blockSet, first);
      });
  return loaded;
}

// Runs `change` on the job inside one write transaction. The job is saved and the transaction
// committed only when it answers success; what it reported is printed after the commit.
int ChangeJob(const std::string& path, CommandContext& context,
              const std::function<int(LoadedJob&, std::ostream& report)>& change) {
  host::JobFile job = JobCall([&] { return host::JobFile::Open(path); });
  std::optional<host::JobChange> transaction;
  JobCall([&] { transaction.emplace(job); });
  LoadedJob loaded = Load(job, context);
  std::ostringstream report;
  const int status = change(loaded, report);
  if (status != kExitSuccess) return status;
  if (loaded.messages->Count() > 0) return kExitMessage;
  KillPoint(kKillAfterCompute);
  JobCall([&] {
    job.Save(loaded.host, [] { KillPoint(kKillMidSave); });
    transaction->Commit();
  });
  context.out << report.str();
  return kExitSuccess;
}

int32_t CheckedTool(LoadedJob& job, const std::string& path, int32_t number) {
  if (!job.Store().ToolList().ToolByNumber(number)) {
    throw UsageError(fmt::format("{}: the job has no tool {} (add it with `sulkor job tool`)",
                                 path, number));
  }
  return number;
}

std::set<const Graphic*> GraphicsInUse(LoadedJob& job) {
  std::set<const Graphic*> used;
  for (const auto& op : job.Store().BlockSets()) {
    Handle<GraphicSet> set = op->ContourSet();
    if (!set) continue;
    for (int32_t i = 0; i < set->Count(); ++i) used.insert(set->Item(i).shared().get());
  }
  return used;
}

// The work contour of a new operation: the "WorkContour" of the file, brought into the job's
// drawing; without a file, the first "WorkContour" of the drawing that no operation uses yet.
Handle<Graphic> WorkContourFor(LoadedJob& job, const std::string& jobPath,
                               const std::string& workPath) {
  Handle<Graphics> top = job.host.Drawing()->TopGraphics();
  if (workPath.empty()) {
    const std::set<const Graphic*> used = GraphicsInUse(job);
    for (int32_t i = 0; i < top->Count(); ++i) {
      Handle<Graphic> g = top->Item(i);
      if (g->Name() == kWorkContourName && used.count(g.shared().get()) == 0) return g;
    }
    throw UsageError(jobPath + ": the job's drawing has no unused \"WorkContour\"; name a " +
                     "drawing that holds the groove's profile");
  }
  const std::string file = FileName(workPath);
  auto scratch = host::MemoryDrawing::Create(job.host.application);
  scratch->SetProperty(kLinearUnitName, Variant());
  try {
    host::ImportDxfFile(workPath, *scratch);
  } catch (const Error& error) {
    throw UsageError(error.what());
  }
  Handle<Graphic> work = scratch->TopGraphics()->ItemByName(kWorkContourName);
  if (!work) throw UsageError("\"" + file + "\": the drawing has no \"WorkContour\"");
  const Variant unit = scratch->Property(kLinearUnitName);
  const std::string jobUnit = DrawingUnit(job.host);
  if (!unit.IsEmpty() && (LinearUnitOf(unit) == LinearUnit::Inch) != (jobUnit == kUnitInch)) {
    throw UsageError(fmt::format("\"{}\": the drawing is in {}, the job in {}", file,
                                 unit.ToText(), jobUnit));
  }
  top->AddGraphic(work);
  return work;
}

void PrintRun(std::ostream& out, Groove& groove, const std::string& units) {
  PrintReport(out, ReportOf(StateOf(groove), units));
}

// ---- the subcommands

struct NewOptions {
  std::string job;
  std::string part;
  bool force = false;
};

int RunNew(const NewOptions& options, CommandContext& context) {
  CheckOutputNames({{"the part drawing", options.part}}, {{"the job", options.job}});
  std::error_code error;
  if (fs::exists(options.job, error) && !options.force) {
    throw UsageError(options.job + ": a file of that name exists (--force replaces it)");
  }
  host::MemoryHost host = host::BuildMemoryHost();
  const std::string file = FileName(options.part);
  host::DrawingPart part;
  try {
    host::ImportDxfFile(options.part, *host.Drawing());
    part = host::SetUpPartFromDrawing(host, file);
  } catch (const Error& e) {
    throw UsageError(e.what());
  }
  StagedFiles files;
  files.StageWith(
      options.job,
      [&](const fs::path& temporary) {
        JobCall([&] { host::JobFile::Create(temporary.string(), options.job).Save(host); });
      },
      options.force);
  // Without --force, a job that another process created since the check above stays: the
  // commit fails instead of replacing it.
  files.Commit();
  context.out << fmt::format("{}: a job on the part \"{}\" of {} ({}){}\n", options.job,
                             part.blank->Name(), file, DrawingUnit(host),
                             ", with its work contour for the first operation");
  return kExitSuccess;
}

struct ToolCommandOptions {
  std::string job;
  ToolOptions tool;
};

int RunTool(const ToolCommandOptions& options, CommandContext& context) {
  return ChangeJob(options.job, context, [&](LoadedJob& job, std::ostream& report) {
    const std::string units = DrawingUnit(job.host);
    const host::SceneTool tool = ToSceneTool(options.tool, units);
    const bool replaced = static_cast<bool>(job.Store().ToolList().ToolByNumber(tool.number));
    host::AddTool(job.Store(), tool);
    report << fmt::format("tool {} {}: width {} {}, corner radius {} {}, orientation {}\n",
                          tool.number, replaced ? "replaced" : "added", tool.width, tool.measure,
                          tool.cornerRadius, tool.measure,
                          tool.orientation.empty() ? "(set by its first operation)"
                                                   : tool.orientation);
    std::vector<int32_t> users;
    for (const auto& op : job.Store().BlockSets()) {
      const Variant number = op->Property(kParamToolNumber);
      if (number.Type() == VariantType::Long && number.ToLong() == tool.number) {
        users.push_back(op->Index() + 1);
      }
    }
    if (!users.empty()) {
      report << fmt::format(
          "used by operation{} {}; `sulkor job update {} {}` recomputes from there\n",
          users.size() == 1 ? "" : "s", fmt::join(users, ", "), options.job, users.front());
    }
    return kExitSuccess;
  });
}

struct AddOptions {
  std::string job;
  std::string work;
  int32_t tool = 1;
  ParameterOptions parameters;
};

int RunAdd(const AddOptions& options, CommandContext& context) {
  return ChangeJob(options.job, context, [&](LoadedJob& job, std::ostream& report) {
    CheckedTool(job, options.job, options.tool);
    Groove groove(job.host.environment);
    Handle<Graphic> work = WorkContourFor(job, options.job, options.work);
    ParameterOptions parameters =
        WithShopDefaults(options.parameters, DrawingUnit(job.host) == "in");
    FillKindOfWork(parameters, *job.host.Drawing(), work);
    // The stock this operation starts from: the part's blank, which the earlier operations left.
    Handle<Graphic> stock;
    if (Handle<Part> active = job.Store().ActivePart()) {
      stock = FindBlankGraphic(active->PartGraphic(), BlankMatch::ByName);
    }
    FillStartPoint(parameters, *job.host.environment->geometry, stock,
                   DrawingUnit(job.host) == "in");
    ApplyParameters(groove, parameters);
    groove.SetParameter(std::string(kParamToolNumber), Variant(options.tool));
    auto selection = std::make_shared<host::MemoryGraphicSet>();
    selection->Add(work);
    const Handle<BlockSet> op = groove.CreateBlockSet(Handle<GraphicSet>(selection));
    if (!op || !groove.DoGroove(op)) {
      if (job.messages->Count() == 0) {
        context.err << "sulkor: no groove could be computed on the work contour\n";
      }
      PrintFailureDetail(context.err, groove);
      return kExitMessage;
    }
    report << fmt::format("operation {} added\n", op->Index() + 1);
    PrintRun(report, groove, DrawingUnit(job.host));
    return kExitSuccess;
  });
}

struct UpdateOptions {
  std::string job;
  int32_t number = 0;
  std::optional<int32_t> tool;
  ParameterOptions parameters;
};

bool ChangesParameters(const UpdateOptions& o) {
  const ParameterOptions& p = o.parameters;
  return o.tool || p.type || p.direction || p.startX || p.startZ || p.feed || p.speed ||
         p.depthPerPass || p.finishThickness || p.finishFeed || p.finishSpeed || !p.sets.empty();
}

int RunUpdate(const UpdateOptions& options, CommandContext& context) {
  return ChangeJob(options.job, context, [&](LoadedJob& job, std::ostream& report) {
    const int32_t count = job.Store().BlockSetCount();
    if (options.number < 1 || options.number > count) {
      throw UsageError(fmt::format("{}: no operation {} (the job has {})", options.job,
                                   options.number, count));
    }
    const Handle<BlockSet> op = job.Store().BlockSetAt(options.number - 1);
    Groove groove(job.host.environment);
    if (ChangesParameters(options)) {
      // The operation's parameters, changed as asked, written back before the update reads them.
      groove.SetParameters(op);
      ApplyParameters(groove, options.parameters);
      const Variant tool = options.tool ? Variant(CheckedTool(job, options.job, *options.tool))
                                        : op->Property(kParamToolNumber);
      groove.SetParameter(std::string(kParamToolNumber), tool);
      WriteParameters(StateOf(groove).params, *op);
    }
    if (!groove.UpdateBlockSet(op, true) || job.messages->Count() > 0) {
      if (job.messages->Count() == 0) {
        context.err << fmt::format("sulkor: operation {} could not be recomputed\n",
                                   options.number);
      }
      PrintFailureDetail(context.err, groove);
      return kExitMessage;
    }
    const std::vector<int32_t>& deleted = job.host.eventsSite->DeletedBlockSets();
    if (!deleted.empty()) {
      context.err << fmt::format(
          "sulkor: the stock could not be handed on: the operation of identifier {} failed to "
          "update\n",
          deleted.front());
      return kExitMessage;
    }
    report << fmt::format("operation {} recomputed\n", options.number);
    PrintRun(report, groove, DrawingUnit(job.host));
    if (!job.updated->empty()) {
      report << fmt::format("stock handed on to operation{} {}\n",
                            job.updated->size() == 1 ? "" : "s", fmt::join(*job.updated, ", "));
    }
    return kExitSuccess;
  });
}

struct ListOptions {
  std::string job;
};

std::string KindOfOperation(BlockSet& op) {
  const Variant subtype = op.Property(kKeySubType);
  if (subtype.Type() != VariantType::String) return "not computed";
  const std::string text = subtype.ToText();
  if (text == "External") return KindName(WorkKind::OutsideDiameter);
  if (text == "Internal") return KindName(WorkKind::Bore);
  if (text == "Face") return KindName(WorkKind::FrontFace);
  if (text == "BackFace") return KindName(WorkKind::BackFace);
  return text;
}

int RunList(const ListOptions& options, CommandContext& context) {
  host::JobFile job = JobCall([&] { return host::JobFile::Open(options.job); });
  LoadedJob loaded = Load(job, context);
  host::MemoryDataStore& store = loaded.Store();
  std::string part = "none";
  if (Handle<Part> active = store.ActivePart()) {
    Handle<Graphic> blank = FindBlankGraphic(active->PartGraphic(), BlankMatch::ByName);
    part = blank ? "\"" + blank->Name() + "\"" : "without a blank";
  }
  std::ostream& out = context.out;
  out << fmt::format("{}: part {} in {}, {} tool{}, {} operation{}\n", options.job, part,
                     DrawingUnit(loaded.host), store.ToolList().All().size(),
                     store.ToolList().All().size() == 1 ? "" : "s", store.BlockSetCount(),
                     store.BlockSetCount() == 1 ? "" : "s");
  for (const auto& [number, tool] : store.ToolList().All()) {
    const std::string measure = tool->Property(kToolMeasure).ToText();
    const std::string orientation = tool->Property(kToolOrientation).ToText();
    out << fmt::format("tool {}: {}, width {} {}, corner radius {} {}, orientation {}\n", number,
                       tool->Property(kToolSubType).ToText(),
                       ValueText(tool->Property(kToolWidth)), measure,
                       ValueText(tool->Property(kToolCornerRadius)), measure,
                       orientation.empty() ? "not yet set" : orientation);
  }
  for (const auto& op : store.BlockSets()) {
    out << fmt::format("operation {}: {}, tool {}\n", op->Index() + 1, KindOfOperation(*op),
                       ValueText(op->Property(kParamToolNumber)));
    std::vector<std::string> values;
    for (std::string_view name : kListedParameters) {
      const Variant value = op->Property(name);
      if (!value.IsEmpty()) values.push_back(fmt::format("{}={}", name, ValueText(value)));
    }
    out << fmt::format("  {}\n", fmt::join(values, " "));
  }
  return kExitSuccess;
}

struct ExportOptions {
  std::string job;
  std::string output;
  std::string preview;
  std::string layers = "default";
  NcOptions nc;
};

// Every operation in the job's order computed afresh from the stock the job holds for it, for
// the lathe program (when one is asked for) and the inserts of the picture; nothing is handed on
// (the job already holds the stock each operation left) and nothing is saved. False when an
// operation cannot be computed.
bool PostAll(LoadedJob& job, const ExportOptions& options, std::string& program,
             std::vector<host::PreviewInsert>& inserts, std::ostream& report) {
  job.Store().SetUpdateHandler([](const Handle<BlockSet>&, bool, bool) { return true; });
  std::vector<PostInput> operations;
  double minutes = 0.0;
  const std::string units = DrawingUnit(job.host);
  for (int32_t i = 0; i < job.Store().BlockSetCount(); ++i) {
    Groove groove(job.host.environment);
    if (!groove.UpdateBlockSet(job.Store().BlockSetAt(i), true) || job.messages->Count() > 0) {
      if (job.messages->Count() == 0) {
        report << fmt::format("sulkor: operation {} could not be computed\n", i + 1);
      }
      return false;
    }
    const std::vector<host::PreviewInsert> own = InsertsOf(StateOf(groove));
    inserts.insert(inserts.end(), own.begin(), own.end());
    if (options.nc.file.empty()) continue;
    operations.push_back(PostInputOf(StateOf(groove), options.nc));
    const RunReport run = ReportOf(StateOf(groove), units, RapidRate(options.nc, units == "in"),
                                   options.nc.dwell, options.nc.feedPerRev);
    minutes += run.timed ? run.cycle.minutes : 0.0;
  }
  if (options.nc.file.empty()) return true;
  if (operations.empty()) throw UsageError(options.job + ": the job has no operation to post");
  try {
    program = PostProcess(operations, ToPostOptions(options.nc));
  } catch (const PostError& error) {
    throw UsageError("\"" + options.nc.file + "\": " + error.what());
  }
  report << fmt::format("program: {} operation{}, cycle time {:.2f} min\n", operations.size(),
                        operations.size() == 1 ? "" : "s", minutes);
  return true;
}

int RunExport(const ExportOptions& options, CommandContext& context) {
  CheckOutputNames({{"the job", options.job}},
                   {{"-o", options.output}, {"--preview", options.preview},
                    {"--nc", options.nc.file}});
  if (!options.preview.empty()) CheckPreviewPath(options.preview);
  host::JobFile job = JobCall([&] { return host::JobFile::Open(options.job); });
  LoadedJob loaded = Load(job, context);
  std::string program;
  std::vector<host::PreviewInsert> inserts;
  std::ostringstream report;
  const bool compute = !options.nc.file.empty() || !options.preview.empty();
  if (compute && !PostAll(loaded, options, program, inserts, report)) {
    context.err << report.str();
    return kExitMessage;
  }
  StagedFiles files;
  std::string text;
  try {
    text = host::ExportDxfText(*loaded.host.Drawing(), {options.layers == "split"});
  } catch (const Error& error) {
    throw UsageError(options.job + ": the drawing cannot be written as DXF: " + error.what());
  }
  files.Stage(options.output, text);
  if (!options.preview.empty()) {
    StagePreview(files, *loaded.host.Drawing(), options.preview, {inserts, std::nullopt});
  }
  if (!options.nc.file.empty()) files.Stage(options.nc.file, program);
  files.Commit();
  context.out << report.str() << fmt::format("written: {}", options.output);
  for (const std::string* extra : {&options.preview, &options.nc.file}) {
    if (!extra->empty()) context.out << ", " << *extra;
  }
  context.out << '\n';
  return kExitSuccess;
}

}  // namespace

void AddJobCommand(CLI::App& app, CommandContext& context) {
  CLI::App* job = app.add_subcommand(
      "job", "A job file: one part, a tool library and a list of chained groove operations");
  job->require_subcommand(1);

  auto created = std::make_shared<NewOptions>();
  CLI::App* make = job->add_subcommand(
      "new", "Start a job from a part drawing: its blank (a closed outline on a layer of its "
             "own), its \"DATA\", and its \"WorkContour\" for the first operation");
  make->add_option("job", created->job, "the job file to create")->required();
  make->add_option("part", created->part, "the part drawing (DXF)")
      ->required()->check(CLI::ExistingFile);
  make->add_flag("--force", created->force, "replace an existing file");
  make->callback([created, &context] { context.status = RunNew(*created, context); });

  auto tooled = std::make_shared<ToolCommandOptions>();
  CLI::App* tool = job->add_subcommand("tool", "Add a grooving tool to the job's tool table, "
                                               "or replace the one of that number");
  tool->add_option("job", tooled->job, "the job file")->required();
  AddToolOptions(*tool, tooled->tool);
  tool->callback([tooled, &context] { context.status = RunTool(*tooled, context); });

  auto added = std::make_shared<AddOptions>();
  CLI::App* add = job->add_subcommand(
      "add", "Add a groove operation at the end of the list and run it: on the \"WorkContour\" "
             "of WORK.dxf, or without it on the part drawing's work contour");
  add->add_option("job", added->job, "the job file")->required();
  add->add_option("work", added->work, "a drawing whose \"WorkContour\" is the groove's profile")
      ->check(CLI::ExistingFile);
  add->add_option("--tool-number", added->tool, "the tool of the job's tool table")
      ->capture_default_str()->check(CLI::Range(1, 32767));
  AddParameterOptions(*add, added->parameters);
  add->callback([added, &context] { context.status = RunAdd(*added, context); });

  auto updated = std::make_shared<UpdateOptions>();
  CLI::App* update = job->add_subcommand(
      "update", "Recompute operation N, with changed parameters if given, and hand the stock "
                "it leaves on down the list");
  update->add_option("job", updated->job, "the job file")->required();
  update->add_option("number", updated->number, "the operation's number (job list)")->required();
  update->add_option("--tool-number", updated->tool, "use another tool of the job's tool table")
      ->check(CLI::Range(1, 32767));
  AddParameterOptions(*update, updated->parameters);
  update->callback([updated, &context] { context.status = RunUpdate(*updated, context); });

  auto listed = std::make_shared<ListOptions>();
  CLI::App* list = job->add_subcommand("list", "Print the job's tools and operations");
  list->add_option("job", listed->job, "the job file")->required();
  list->callback([listed, &context] { context.status = RunList(*listed, context); });

  auto exported = std::make_shared<ExportOptions>();
  CLI::App* exporting = job->add_subcommand(
      "export", "Write the job's drawing: the part's remaining stock and every operation's "
                "tool path and removed material on layer \"CAMOperations\"");
  exporting->add_option("job", exported->job, "the job file")->required();
  exporting->add_option("-o,--output", exported->output, "the drawing (DXF)")->required();
  exporting->add_option("--preview", exported->preview,
                        "a picture of the drawing: FILE.png, FILE.svg or FILE.pdf");
  exporting->add_option("--layers", exported->layers,
                         "default (all on \"CAMOperations\") or split (CAM_ layers of their own)")
      ->capture_default_str()->check(CLI::IsMember({"default", "split"}));
  AddNcOptions(*exporting, exported->nc);
  exporting->callback([exported, &context] { context.status = RunExport(*exported, context); });
}

}  // namespace sulkor::cli
