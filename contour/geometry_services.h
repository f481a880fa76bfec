// The geometry services that work on contour records: the contour converter, contour
// intersection, point in contour, one-sided offset, and the combination of closed contours.
// A service that fails throws (HostError or GeometryError); the calling routine's error
// handling turns that into its own failure.
#pragma once

#include <cstdint>
#include <string_view>

#include "contour/records.h"
#include "sulkor/drawing.h"

namespace sulkor {

// Answers of PointInContour.
inline constexpr int16_t kOutside = -1;
inline constexpr int16_t kOnOutline = 0;
inline constexpr int16_t kInside = 1;

class GeometryServices {
 public:
  virtual ~GeometryServices() = default;

  // Fills target with the graphic's lines and arcs as segments in order of travel, every
  // geometric field set consistently. The two Doubles are passed as 0 and not used.
  virtual void ConvertGraphic(const Handle<Graphic>& graphic, Contour& target, double& arg1,
                              double& arg2) = 0;

  // The crossings of two contours, in the order of travel along the first. Answers whether at
  // least one crossing exists.
  virtual bool Intersect(const Contour& first, const Contour& second,
                         IntersectionResult& result) = 0;

  // kOutside, kOnOutline or kInside.
  virtual int16_t PointInContour(const Contour& contour, double x, double y) = 0;

  // The offset of a contour on one side at a distance, mode "Single": Contours[0] of result.
  virtual bool Offset(const Contour& contour, std::string_view side, double distance,
                      std::string_view mode, int16_t flag, ContourList& result) = 0;

  // Closed contours A and B with their intersection: Contours[0] of result is the outline of
  // A and B together (Merge), A with the part inside B cut away (Clip), or what A and B have in
  // common (Common).
  virtual bool Merge(const Contour& a, const Contour& b, const IntersectionResult& ab,
                     ContourList& result) = 0;
  virtual bool Clip(const Contour& a, const Contour& b, const IntersectionResult& ab,
                    ContourList& result) = 0;
  virtual bool Common(const Contour& a, const Contour& b, const IntersectionResult& ab,
                      ContourList& result) = 0;
};

}  // namespace sulkor
