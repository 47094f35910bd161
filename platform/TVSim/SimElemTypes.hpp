#pragma once
// What the simulated host knows of element kinds: the selection reference of
// each type, the type behind a reference, and the type's display name.
#include <optional>

#include "PK/UniString.hpp"
#include "TVAPI/APIElemTypes.hpp"
#include "TVSim/Guard.hpp"

namespace TVSim::Detail {

// The reference a selection gives for an element of the type (APINeig_None for kinds without one).
API_NeigID NeigOfType(API_ElemTypeID type);
// The element type a reference stands for; nullopt for references that stand for none.
std::optional<API_ElemTypeID> TypeOfNeig(API_NeigID neig);
// "Wall", "Curtain Wall Panel", ...; nullopt outside the type range.
std::optional<PK::UniString> TypeName(API_ElemTypeID type);

}  // namespace TVSim::Detail
