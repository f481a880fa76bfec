#include "kernel/contour_services.h"

namespace sulkor {

void ExactGeometryServices::ConvertGraphic(const Handle<Graphic>& graphic, Contour& target,
                                           double& /*arg1*/, double& /*arg2*/) {
  ConvertGraphicToContour(graphic, target);
}

bool ExactGeometryServices::Intersect(const Contour& first, const Contour& second,
                                      IntersectionResult& result) {
  return IntersectContours(first, second, result);
}

int16_t ExactGeometryServices::PointInContour(const Contour& contour, double x, double y) {
  return LocatePoint(contour, x, y);
}

bool ExactGeometryServices::Offset(const Contour& contour, std::string_view side, double distance,
                                   std::string_view mode, int16_t flag, ContourList& result) {
  return OffsetContour(contour, side, distance, mode, flag, result);
}

bool ExactGeometryServices::Merge(const Contour& a, const Contour& b, const IntersectionResult& ab,
                                  ContourList& result) {
  return MergeContours(a, b, ab, result);
}

bool ExactGeometryServices::Clip(const Contour& a, const Contour& b, const IntersectionResult& ab,
                                 ContourList& result) {
  return ClipContours(a, b, ab, result);
}

bool ExactGeometryServices::Common(const Contour& a, const Contour& b,
                                   const IntersectionResult& ab, ContourList& result) {
  return CommonContours(a, b, ab, result);
}

}  // namespace sulkor
