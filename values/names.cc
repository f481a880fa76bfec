// The names of the value interface's enumerations.
#include "sulkor/values.h"

namespace sulkor {

std::string_view GrooveKindName(GrooveKind kind) {
  switch (kind) {
    case GrooveKind::OutsideDiameter: return "outside diameter";
    case GrooveKind::Bore: return "bore";
    case GrooveKind::FrontFace: return "front face";
    case GrooveKind::BackFace: return "back face";
  }
  return "unknown";
}

std::string_view GrooveStatusName(GrooveStatus status) {
  switch (status) {
    case GrooveStatus::Done: return "done";
    case GrooveStatus::Refused: return "refused";
    case GrooveStatus::Failed: return "failed";
    case GrooveStatus::InvalidRequest: return "invalid request";
  }
  return "unknown";
}

}  // namespace sulkor
