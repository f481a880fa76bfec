// Segment primitives: small exact operations on points, segments and contours that need no
// geometry service. Their tolerances, tie-breaks and degenerate cases are part of their
// behaviour: the work area and the tool path depend on them exactly.
#pragma once

#include <cstdint>

#include "contour/records.h"

namespace sulkor {

// One point to the geometry: |dx| < 1e-6 and |dy| < 1e-6 (strictly, so that points exactly 1e-6
// apart are two).
bool SamePoint(double x1, double y1, double x2, double y2);
bool SamePoint(const Point3& a, const Point3& b);

// Length and direction angle of the chord (x1, y1) -> (x2, y2); both 0 below 1e-6.
void LineLengthAngle(double x1, double y1, double x2, double y2, double& length, double& angle);

// The angle in [0, 2*pi) whose sine and cosine are s and c (tolerance 1e-13).
double AngleFromSinCos(double s, double c);

void ArcMidPoint(double cx, double cy, double sx, double sy, double ex, double ey, double radius,
                 int16_t direction, double& mx, double& my);

void ArcEndTangents(double sx, double sy, double ex, double ey, double cx, double cy,
                    double radius, int16_t direction, double& startTangent, double& endTangent);

int16_t SideOfChord(double x1, double y1, double x2, double y2, double px, double py,
                    int16_t direction);

double SignWithTolerance(double x);

bool IntersectLineCircle(double px, double py, double angle, double cx, double cy, double radius,
                         double& x1, double& y1, double& x2, double& y2);

bool IntersectCircles(double cx1, double cy1, double r1, double cx2, double cy2, double r2,
                      double& x1, double& y1, double& x2, double& y2);

bool PointInArcSweep(const Segment& arc, double px, double py);

// The angle an arc turns through, in (0, 2*pi], from the angles of its ends (AngleFromSinCos);
// start and end within 1e-6 make a full turn, a radius below 1e-6 none. Direction 1 turns
// counterclockwise, any other value clockwise.
double ArcSweep(const Segment& arc);
// The signed angle an arc turns through, counterclockwise positive, from atan2 of its end
// vectors: in (0, 2*pi] for direction 1, in [-2*pi, 0) otherwise. Ends in the same place make a
// full turn.
double SignedArcSweep(const Segment& arc);

void ReverseContour(Contour& contour);

void RestartContourNearPoint(Contour& contour, double px, double py);

// An angle normalised once: 2*pi subtracted a single time when it exceeds 2*pi.
double NormalizeOnce(double angle);

}  // namespace sulkor
