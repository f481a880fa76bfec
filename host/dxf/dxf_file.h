// DXF files in and out of a drawing: the reader, the chainer, the collector and the writer put
// together, with the file named in every error.
#pragma once

#include <string>
#include <string_view>

#include "host/dxf/dxf_chainer.h"
#include "host/dxf/dxf_collector.h"
#include "sulkor/drawing.h"

namespace sulkor::host {

// Reads text (the contents of a file called name, text or binary DXF) into the drawing and
// returns the notes on what was left out. Throws DxfError; a file that fails adds nothing to
// the drawing.
std::vector<std::string> ImportDxfText(std::string_view text, std::string_view name,
                                       Drawing& drawing, const DxfImportOptions& options = {});

// Reads the file at path; its file name (without folders) names it in errors.
std::vector<std::string> ImportDxfFile(const std::string& path, Drawing& drawing,
                                       const DxfImportOptions& options = {});

// The file at path read and laid out without a drawing, for looking at what it holds. Throws
// DxfError for a file that cannot be read; a drawing that could not be used says why in its
// problem.
DxfLayout InspectDxfFile(const std::string& path);

// The drawing as DXF R2010 text.
std::string ExportDxfText(Drawing& drawing, const DxfWriteOptions& options = {});

// Writes the drawing to path whole or not at all: a temporary file beside it, then a rename.
// Throws DxfError naming the file when it cannot be written or a graphic's vertices do not
// describe its geometry (an arc whose points do not turn); nothing is written then.
void ExportDxfFile(Drawing& drawing, const std::string& path);

}  // namespace sulkor::host
