// The four kinds of work, selected by the trajectory type and the direction sign.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "operation/parameters.h"

namespace sulkor {

enum class WorkKind { OutsideDiameter, Bore, FrontFace, BackFace };

// Every test compares with "Turn" exactly: any other trajectory type is a face.
inline bool IsTurn(const std::string& trajectoryType) { return trajectoryType == kTrajectoryTurn; }

inline WorkKind KindOfWork(const std::string& trajectoryType, int16_t directionSign) {
  if (IsTurn(trajectoryType)) {
    return directionSign == -1 ? WorkKind::Bore : WorkKind::OutsideDiameter;
  }
  return directionSign == -1 ? WorkKind::BackFace : WorkKind::FrontFace;
}

}  // namespace sulkor
