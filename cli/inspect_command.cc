// `sulkor inspect FILE`: what a drawing holds as this program reads it: its unit, its layers with
// their entities, the chains with their extents and the role each would play, the kind of work
// the work contour asks for, and why the drawing cannot be used when it cannot. The first thing
// to run on a drawing of one's own.
#include <filesystem>
#include <memory>

#include <fmt/format.h>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/kind_of_work.h"
#include "host/dxf/dxf_error.h"
#include "host/dxf/dxf_file.h"
#include "host/dxf/dxf_names.h"

namespace sulkor::cli {
namespace {

std::string UnitsLine(const host::DxfLayout& layout) {
  const bool inch = layout.insUnits == host::kDxfUnitsInch;
  std::string line = inch ? "inch" : "millimetre";
  if (layout.fileInsUnits == 0) return line + " (the file gives no $INSUNITS)";
  line += " ($INSUNITS " + std::to_string(layout.fileInsUnits);
  if (layout.fileInsUnits != layout.insUnits) {
    static constexpr const char* kFrom[] = {"", "", "feet", "", "", "centimetres", "metres"};
    line += std::string(", converted from ") + kFrom[layout.fileInsUnits];
  }
  return line + ")";
}

int RunInspect(const std::string& input, CommandContext& context) {
  const std::string file = std::filesystem::path(input).filename().string();
  host::DxfLayout layout;
  try {
    layout = host::InspectDxfFile(input);
  } catch (const host::DxfError& error) {
    throw UsageError(error.what());
  }
  std::ostream& out = context.out;
  out << "drawing: " << file << "\nunits: " << UnitsLine(layout) << "\nlayers:\n";
  for (const host::DxfLayerCount& layer : layout.layers) {
    out << fmt::format("  {:<20} {} {}\n", "\"" + layer.name + "\"", layer.entities,
                       layer.entities == 1 ? "entity" : "entities");
  }
  out << "chains:\n";
  const host::LaidChain* work = nullptr;
  for (std::size_t i = 0; i < layout.chains.size(); ++i) {
    const host::DxfChainInfo& c = layout.chains[i];
    out << fmt::format("  {:<20} {:<6} {:>3} {}  x {:.4g} .. {:.4g}  y {:.4g} .. {:.4g}  {}\n",
                       "\"" + c.layer + "\"", c.closed ? "closed" : "open", c.pieces,
                       c.pieces == 1 ? "piece " : "pieces", c.minX, c.maxX, c.minY, c.maxY,
                       host::ChainRoleName(c.role));
    if (c.role == host::DxfChainRole::WorkContour) work = &layout.contours[i];
  }
  if (work) {
    const std::optional<KindGuess> guess = GuessKindOfWork(work->contour);
    if (guess) {
      out << "kind of work: " << guess->name << " (--type " << guess->type << " --direction "
          << guess->direction << ")\n";
    } else {
      out << "kind of work: unknown: the work contour encloses nothing with its ends' chord\n";
    }
  }
  for (const std::string& note : layout.notes) out << "note: " << note << '\n';
  if (!layout.problem.empty()) {
    out << "cannot be grooved: " << layout.problem << '\n';
    return kExitUsage;
  }
  return kExitSuccess;
}

}  // namespace

void AddInspectCommand(CLI::App& app, CommandContext& context) {
  auto input = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand(
      "inspect", "Show what a drawing holds: units, layers, chains, the blank, the work "
                 "contour and the kind of work");
  command->add_option("input", *input, "the drawing (DXF)")->required()->check(CLI::ExistingFile);
  command->callback([input, &context] { context.status = RunInspect(*input, context); });
}

}  // namespace sulkor::cli
