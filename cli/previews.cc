#include "cli/previews.h"

#include "cli/exit_codes.h"
#include "host/preview/preview.h"
#include "output/graphic_builders.h"
#include "sulkor/graphic_names.h"

namespace sulkor::cli {

void CheckPreviewPath(const std::string& path) {
  try {
    host::PreviewFormatFor(path);
  } catch (const host::PreviewError& error) {
    throw UsageError(error.what());
  }
}

void StagePreview(StagedFiles& files, Drawing& drawing, const std::string& path) {
  host::PreviewOptions options;
  options.labels = {
      {std::string(kTrajectoryName), kColorYellow, "positioning moves"},
      {std::string(kTrajectoryName), kColorRed, "cutting moves"},
  };
  try {
    files.Stage(path, host::RenderPreviewData(drawing, host::PreviewFormatFor(path), options));
  } catch (const host::PreviewError& error) {
    throw UsageError(error.what());
  }
}

}  // namespace sulkor::cli
