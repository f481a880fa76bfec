// The geometry services as free functions over contour records, and the class that offers them
// to the operation as its GeometryServices.
#pragma once

#include <cstdint>
#include <string_view>

#include "contour/records.h"
#include "contour/geometry_services.h"

namespace sulkor {

// Contour intersection: every crossing of two contours, in the order of travel along the first.
bool IntersectContours(const Contour& first, const Contour& second, IntersectionResult& result);

// Point in contour: kOutside, kOnOutline or kInside.
int16_t LocatePoint(const Contour& contour, double x, double y);

// The contour converter: a drawing graphic (lines, arcs, circles, polylines with arc vertices,
// or a group of them) to a contour in order of travel.
void ConvertGraphicToContour(const Handle<Graphic>& graphic, Contour& target);

// The area a closed graphic of lines and arcs encloses, whatever its direction of travel.
double EnclosedArea(const Handle<Graphic>& graphic);

// One-sided offset, mode "Single".
bool OffsetContour(const Contour& contour, std::string_view side, double distance,
                   std::string_view mode, int16_t flag, ContourList& result);

// Combination of closed contours.
bool MergeContours(const Contour& a, const Contour& b, const IntersectionResult& ab,
                   ContourList& result);
bool ClipContours(const Contour& a, const Contour& b, const IntersectionResult& ab,
                  ContourList& result);
bool CommonContours(const Contour& a, const Contour& b, const IntersectionResult& ab,
                    ContourList& result);

// The services of this project's own host: exact line/arc geometry.
class ExactGeometryServices : public GeometryServices {
 public:
  void ConvertGraphic(const Handle<Graphic>& graphic, Contour& target, double& arg1,
                      double& arg2) override;
  bool Intersect(const Contour& first, const Contour& second, IntersectionResult& result) override;
  int16_t PointInContour(const Contour& contour, double x, double y) override;
  bool Offset(const Contour& contour, std::string_view side, double distance,
              std::string_view mode, int16_t flag, ContourList& result) override;
  bool Merge(const Contour& a, const Contour& b, const IntersectionResult& ab,
             ContourList& result) override;
  bool Clip(const Contour& a, const Contour& b, const IntersectionResult& ab,
            ContourList& result) override;
  bool Common(const Contour& a, const Contour& b, const IntersectionResult& ab,
              ContourList& result) override;
};

}  // namespace sulkor
