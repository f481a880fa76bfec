// DXF files in and out of a drawing: the reader, the chainer, the collector and the writer put
// together, with the file named in every error.
#pragma once

#include <string>
#include <string_view>

#include "sulkor/drawing.h"

namespace sulkor::host {

// Reads text (the contents of a file called name) into the drawing. Throws DxfError; a file
// that fails adds nothing to the drawing.
void ImportDxfText(std::string_view text, std::string_view name, Drawing& drawing);

// Reads the file at path; its file name (without folders) names it in errors.
void ImportDxfFile(const std::string& path, Drawing& drawing);

// The drawing as DXF R2010 text.
std::string ExportDxfText(Drawing& drawing);

// Writes the drawing to path whole or not at all: a temporary file beside it, then a rename.
// Throws DxfError naming the file when it cannot be written or a graphic's vertices do not
// describe its geometry (an arc whose points do not turn); nothing is written then.
void ExportDxfFile(Drawing& drawing, const std::string& path);

}  // namespace sulkor::host
