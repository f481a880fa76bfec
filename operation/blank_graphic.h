// Finding the blank among a part group's graphics.
#pragma once

#include "sulkor/drawing.h"

namespace sulkor {

// How a blank graphic is told from the part group's data graphics.
enum class BlankMatch { ByName, ByKind };

// The last child of the part group whose name (or kind) is not "DATA": all children are
// visited and the last such one wins. Nothing when there is none.
Handle<Graphic> FindBlankGraphic(const Handle<Graphic>& partGroup, BlankMatch match);

// A flat ("2D") blank: its bounding box has no extent in the third coordinate (below 1e-6).
bool IsFlatBlank(const Handle<Graphic>& blank);

// The graphic that holds the blank's outline: a flat blank itself, else the solid's first child
// whose kind is neither "DATA" nor "QVL60ACISSOLID". Nothing when the solid has none.
Handle<Graphic> BlankProfile(const Handle<Graphic>& blank);

}  // namespace sulkor
