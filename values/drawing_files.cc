// Drawings of the value interface: a part drawing read from DXF into chains, and the drawing
// after a run written out or drawn as a picture.
#include <filesystem>

#include "host/dxf/dxf_file.h"
#include "host/dxf/dxf_names.h"
#include "contour/geometry_services.h"
#include "host/dxf/part_from_drawing.h"
#include "host/preview/preview.h"
#include "output/graphic_builders.h"
#include "sulkor/drawing_unit.h"
#include "sulkor/graphic_names.h"
#include "values/chains.h"
#include "values/run_record.h"

namespace sulkor {
namespace {

Chain ChainOf(host::MemoryHost& host, const Handle<Graphic>& graphic) {
  Contour contour;
  double unused1 = 0.0;
  double unused2 = 0.0;
  host.environment->geometry->ConvertGraphic(graphic, contour, unused1, unused2);
  return values::ToChain(contour);
}

const RunRecord& RecordOf(const GrooveResult& result) {
  if (!result.Ok() || !result.record) {
    throw Error("the groove was not computed (" + std::string(GrooveStatusName(result.status)) +
                "): there is no drawing after the run");
  }
  return *result.record;
}

}  // namespace

PartDrawing ReadDrawing(const std::string& path) {
  host::MemoryHost host = host::BuildMemoryHost();
  host::ImportDxfFile(path, *host.Drawing());
  const host::DrawingPart part =
      host::SetUpPartFromDrawing(host, std::filesystem::path(path).filename().string());
  PartDrawing drawing;
  const bool inch = ReadDrawingUnit(*host.Drawing()) == LinearUnit::Inch;
  drawing.units = inch ? Units::Inch : Units::Millimetre;
  drawing.blank = ChainOf(host, part.blank);
  drawing.profile = ChainOf(host, part.workContour);
  if (part.lastPartBlank) drawing.stock = ChainOf(host, part.lastPartBlank);
  return drawing;
}

GrooveRequest RequestFor(const PartDrawing& drawing) {
  GrooveRequest request;
  request.blank = drawing.blank;
  request.profile = drawing.profile;
  request.stock = drawing.stock;
  request.units = drawing.units;
  return request;
}

std::string DrawingText(const GrooveResult& result) {
  const RunRecord& record = RecordOf(result);
  std::lock_guard<std::mutex> hold(record.lock);
  return host::ExportDxfText(*record.host.Drawing());
}

void WriteDrawing(const GrooveResult& result, const std::string& path) {
  const RunRecord& record = RecordOf(result);
  std::lock_guard<std::mutex> hold(record.lock);
  host::ExportDxfFile(*record.host.Drawing(), path);
}

std::string RenderPreview(const GrooveResult& result, std::string_view format, int width) {
  const RunRecord& record = RecordOf(result);
  host::PreviewOptions options;
  options.width = width;
  options.labels = {
      {std::string(kTrajectoryName), kColorYellow, "positioning moves"},
      {std::string(kTrajectoryName), kColorRed, "cutting moves"},
  };
  host::PreviewFormat type = host::PreviewFormat::Svg;
  if (format == "png") {
    type = host::PreviewFormat::Png;
  } else if (format == "pdf") {
    type = host::PreviewFormat::Pdf;
  } else if (format != "svg") {
    throw Error("unknown picture format \"" + std::string(format) +
                "\"; use \"png\", \"svg\" or \"pdf\"");
  }
  std::lock_guard<std::mutex> hold(record.lock);
  return host::RenderPreviewData(*record.host.Drawing(), type, options);
}

}  // namespace sulkor
