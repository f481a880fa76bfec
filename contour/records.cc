#include "contour/records.h"

namespace sulkor {

SegmentKind SegmentKindFromText(std::string_view text) {
  if (text == kKindLine) return SegmentKind::Line;
  if (text == kKindArc) return SegmentKind::Arc;
  if (text == kKindCircle) return SegmentKind::Circle;
  return SegmentKind::None;
}

std::string_view SegmentKindText(SegmentKind kind) {
  switch (kind) {
    case SegmentKind::Line: return kKindLine;
    case SegmentKind::Arc: return kKindArc;
    case SegmentKind::Circle: return kKindCircle;
    case SegmentKind::None: break;
  }
  return "";
}

}  // namespace sulkor
