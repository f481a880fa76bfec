#include "host/dxf/dxf_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/dxf/dxf_chainer.h"
#include "host/dxf/dxf_collector.h"
#include "host/dxf/dxf_error.h"
#include "host/dxf/dxf_writer.h"
#include "host/dxf/entity_reader.h"

namespace sulkor::host {

void ImportDxfText(std::string_view text, std::string_view name, Drawing& drawing) {
  const DxfDocument doc = ReadDxf(text, name);
  AddDxfToDrawing(doc, name, drawing);
}

void ImportDxfFile(const std::string& path, Drawing& drawing) {
  const std::string name = std::filesystem::path(path).filename().string();
  std::ifstream in(path, std::ios::binary);
  if (!in) ThrowDxfError(name, 0, "cannot be opened");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) ThrowDxfError(name, 0, "cannot be read");
  ImportDxfText(text.str(), name, drawing);
}

std::string ExportDxfText(Drawing& drawing) { return WriteDxf(CollectDrawing(drawing)); }

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
