#include "toolpath/path_summary.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "contour/tolerances.h"
#include "toolpath/groove_path.h"

namespace sulkor {

PathSummary SummarizePath(const Contour& path, bool faceGroove) {
  PathSummary summary;
  std::vector<double> positions;
  for (const Segment& s : path.Segs) {
    ++summary.moves;
    if (s.MoveType == kMoveCutting) {
      summary.cuttingLength += s.Length;
    } else {
      summary.rapidLength += s.Length;
    }
    if (s.MoveType == kMoveCutting && s.Phase == kPhaseRoughing) {
      ++summary.pecks;
      positions.push_back(faceGroove ? s.StartPt.y : s.StartPt.x);
    }
  }
  std::sort(positions.begin(), positions.end());
  for (size_t i = 0; i < positions.size(); ++i) {
    if (i == 0 || positions[i] - positions[i - 1] >= kEps) ++summary.plunges;
  }
  return summary;
}

}  // namespace sulkor
