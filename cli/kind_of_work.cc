#include "cli/kind_of_work.h"

#include <algorithm>
#include <cmath>

#include "contour/contour_area.h"
#include "contour/contour_ops.h"
#include "contour/primitives.h"
#include "kernel/contour_services.h"
#include "host/memory/scene.h"
#include "sulkor/graphic_names.h"

namespace sulkor::cli {

std::optional<KindGuess> GuessKindOfWork(const Contour& work) {
  if (work.Segs.empty()) return std::nullopt;
  const Point3 a = work.Segs.front().StartPt;
  const Point3 b = work.Segs.back().EndPt;
  const double area = SignedArea(work);
  double ux = b.x - a.x, uy = b.y - a.y;
  const double chord = std::hypot(ux, uy);
  if (chord < 1e-9 || std::fabs(area) < 1e-9 * chord * chord) return std::nullopt;
  KindGuess guess;
  const bool turn = std::fabs(ux) >= std::fabs(uy);
  guess.type = turn ? "Turn" : "Face";
  // The chord made to run +x (a diameter) or +y (a face); the point of the contour farthest
  // from it says on which side the groove lies: left of it (positive) or right.
  const double flip = (turn ? ux : uy) < 0.0 ? -1.0 : 1.0;
  ux = ux / chord * flip;
  uy = uy / chord * flip;
  double farthest = 0.0;
  for (const Segment& s : work.Segs) {
    // An arc's middle stands for its bulge; a line has none.
    for (const Point3& p : {s.StartPt, s.IsArc() ? s.MidPt : s.StartPt, s.EndPt}) {
      const double side = ux * (p.y - a.y) - uy * (p.x - a.x);
      if (std::fabs(side) > std::fabs(farthest)) farthest = side;
    }
  }
  if (turn) {
    guess.name = farthest < 0.0 ? "outside diameter" : "bore";
    guess.direction = farthest < 0.0 ? "External" : "Internal";
  } else {
    guess.name = farthest > 0.0 ? "front face" : "back face";
    guess.direction = farthest > 0.0 ? "Internal" : "External";
  }
  // Closed by its chord, the contour runs counterclockwise when the groove is on its left.
  guess.reverse = (guess.direction == "External") != (area > 0.0);
  return guess;
}

void FillKindOfWork(ParameterOptions& parameters, Drawing& drawing, Handle<Graphic>& work) {
  Contour contour;
  ConvertGraphicToContour(work, contour);
  const std::optional<KindGuess> guess = GuessKindOfWork(contour);
  if (!guess) return;
  if (!parameters.type) parameters.type = guess->type;
  if (*parameters.type != guess->type) return;
  if (!parameters.direction) parameters.direction = guess->direction;
  if (*parameters.direction != guess->direction || !guess->reverse) return;
  ReverseContour(contour);
  Handle<Graphic> reversed =
      host::AddContourPolyline(*drawing.TopGraphics(), contour, kWorkContourName);
  reversed->SetLayer(work->Layer());
  const Variant color = work->Property("PenColor");
  if (!color.IsEmpty()) reversed->SetProperty("PenColor", color);
  work->Delete();
  work = reversed;
}

void FillStartPoint(ParameterOptions& parameters, GeometryServices& geometry,
                    const Handle<Graphic>& stockGraphic, bool inch) {
  const bool given =
      parameters.startX || parameters.startZ ||
      std::any_of(parameters.sets.begin(), parameters.sets.end(),
                  [](const std::string& s) { return s.starts_with("CAM_TurningStartPoint"); });
  if (given || !stockGraphic) return;
  Contour stock;
  ConvertGraphicToContour(stockGraphic, stock);
  if (stock.Empty()) return;
  ContourBounds(geometry, stock);
  const double clear = ShopDefaultsFor(inch).clearance;
  const bool turn = parameters.type.value_or("Turn") == "Turn";
  const bool external = parameters.direction.value_or("External") == "External";
  const bool bore = turn && !external;
  const bool backFace = !turn && external;
  parameters.startX = 2.0 * (bore ? std::max(stock.MinY - clear, 0.0) : stock.MaxY + clear);
  parameters.startZ = backFace ? stock.MinX - clear : stock.MaxX + clear;
}

}  // namespace sulkor::cli
