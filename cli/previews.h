// Previews written by the commands: the picture of a drawing after a run, with the legend
// naming what the move colours mean, the positioning moves dashed under the cuts, and the
// insert drawn where each plunge bottoms out and each finishing pass ends.
#pragma once

#include <string>
#include <vector>

#include "cli/staged_files.h"
#include "host/preview/preview.h"
#include "sulkor/drawing.h"

namespace sulkor {
struct OperationState;
}

namespace sulkor::cli {

// Throws UsageError naming the file when its extension is not .png, .svg or .pdf: checked
// before a run, so that bad usage costs nothing.
void CheckPreviewPath(const std::string& path);

// The inserts of an operation's last tool path: at the end of every plunge and of every
// finishing pass (a run of finishing cuts), placed as the kind of work turns the insert.
std::vector<host::PreviewInsert> InsertsOf(const OperationState& state);

// The part of the drawing around an operation's cuts and inserts, for `--view groove`.
std::pair<host::Point2, host::Point2> GrooveView(const OperationState& state);

struct PreviewContent {
  std::vector<host::PreviewInsert> inserts;
  std::optional<std::pair<host::Point2, host::Point2>> view;
};

// Stages the picture of the drawing at path. Throws UsageError naming the file when the drawing
// cannot be drawn.
void StagePreview(StagedFiles& files, Drawing& drawing, const std::string& path,
                  const PreviewContent& content = {});

}  // namespace sulkor::cli
