// Previews written by the commands: the picture of a drawing after a run, with the legend
// naming what the move colours mean.
#pragma once

#include <string>

#include "cli/staged_files.h"
#include "sulkor/drawing.h"

namespace sulkor::cli {

// Throws UsageError naming the file when its extension is not .png, .svg or .pdf: checked
// before a run, so that bad usage costs nothing.
void CheckPreviewPath(const std::string& path);

// Stages the picture of the drawing at path. Throws UsageError naming the file when the drawing
// cannot be drawn.
void StagePreview(StagedFiles& files, Drawing& drawing, const std::string& path);

}  // namespace sulkor::cli
