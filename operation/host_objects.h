// Small routines of the operation around host objects: creating an object through a creator,
// and the layer of every graphic the operation adds to a drawing.
#pragma once

#include <string_view>

#include "sulkor/drawing.h"
#include "sulkor/environment.h"
#include "sulkor/graphic_names.h"

namespace sulkor {


// The layer of every graphic that the operation adds to an operation's group.
std::string_view CamOperationsLayer();

// Creates the object of progId through the creator's CreateObject (errors suppressed); when
// there is no creator or it yields nothing, creates it directly through the registry, which
// throws HostError when it cannot.
Handle<HostObject> CreateThroughCreator(const ObjectRegistry& registry,
                                        const Handle<Application>& creator,
                                        std::string_view progId);

}  // namespace sulkor
