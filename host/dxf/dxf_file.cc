#include "host/dxf/dxf_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/dxf/dxf_chainer.h"
#include "host/dxf/dxf_collector.h"
#include "host/dxf/dxf_error.h"
#include "host/dxf/dxf_world.h"
#include "host/dxf/dxf_writer.h"
#include "host/dxf/entity_reader.h"

namespace sulkor::host {

namespace {

DxfDocument WorldDocument(std::string_view text, std::string_view name) {
  DxfDocument doc = ReadDxf(text, name);
  ToWorldEntities(doc, name);
  return doc;
}

std::string FileText(const std::string& path, const std::string& name) {
  std::ifstream in(path, std::ios::binary);
  if (!in) ThrowDxfError(name, 0, "cannot be opened");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) ThrowDxfError(name, 0, "cannot be read");
  return text.str();
}

}  // namespace

std::vector<std::string> ImportDxfText(std::string_view text, std::string_view name,
                                       Drawing& drawing, const DxfImportOptions& options) {
  const DxfDocument doc = WorldDocument(text, name);
  return AddDxfToDrawing(doc, name, drawing, options);
}

std::vector<std::string> ImportDxfFile(const std::string& path, Drawing& drawing,
                                       const DxfImportOptions& options) {
  const std::string name = std::filesystem::path(path).filename().string();
  return ImportDxfText(FileText(path, name), name, drawing, options);
}

DxfLayout InspectDxfFile(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  const DxfDocument doc = WorldDocument(FileText(path, name), name);
  DxfLayout layout = PlanDxf(doc);
  // The chains' contours point into the document, which ends here.
  for (LaidChain& c : layout.contours) c.first = nullptr;
  return layout;
}

std::string ExportDxfText(Drawing& drawing, const DxfWriteOptions& options) {
  return WriteDxf(CollectDrawing(drawing, options));
}

void ExportDxfFile(Drawing& drawing, const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  std::string text;
  try {
    text = ExportDxfText(drawing);
  } catch (const DxfError&) {
    throw;
  } catch (const Error& e) {
    ThrowDxfError(name, 0, std::string("the drawing cannot be written: ") + e.what());
  }
  const std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    if (!out) {
      std::remove(temporary.c_str());
      ThrowDxfError(name, 0, "cannot be written");
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    std::remove(temporary.c_str());
    ThrowDxfError(name, 0, "cannot be written: " + ec.message());
  }
}

}  // namespace sulkor::host
