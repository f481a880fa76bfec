// The kind of work a drawing asks for, read from its work contour: the chord between the
// contour's ends lies along the surface the groove opens in (along the axis: a diameter, across
// it: a face), and the groove lies on one side of that chord (towards the axis: the outside
// diameter; away from it: a bore; towards -x: the front face; towards +x: the back face).
#pragma once

#include <optional>
#include <string>

#include "cli/groove_options.h"
#include "contour/records.h"
#include "contour/geometry_services.h"
#include "sulkor/drawing.h"

namespace sulkor::cli {

struct KindGuess {
  std::string type;       // "Turn" or "Face"
  std::string direction;  // "External" (outside diameter, back face) or "Internal"
  std::string name;       // "outside diameter", "bore", "front face", "back face"
  // The operation takes the region on the left of the work contour for "External" and on its
  // right for "Internal": true when the contour as drawn runs the other way round.
  bool reverse = false;
};

// Nothing for a contour that encloses no area with its chord (a straight line, a zero-width
// groove).
std::optional<KindGuess> GuessKindOfWork(const Contour& work);

// The kind of work of the work contour where the options leave it open. The work contour is
// replaced in the drawing by the same contour turned round when the side its kind takes is not
// the side it was drawn with (and `work` then names the new graphic); given --type and
// --direction are kept as they are.
void FillKindOfWork(ParameterOptions& parameters, Drawing& drawing, Handle<Graphic>& work);

// The start point, where the options leave it open, clear of the stock by the shop's clearance
// radially and axially: above the stock (in the bore for a bore groove), in front of it (behind
// it for the back face).
void FillStartPoint(ParameterOptions& parameters, GeometryServices& geometry,
                    const Handle<Graphic>& stock, bool inch);

}  // namespace sulkor::cli
