#pragma once
// Whether two versions of one shared entry of the simulated project say the
// same, as the team-work server tells what a member changed. Only what
// travels counts: who holds a reservation, which elements an item
// classifies and how many elements an element owns are worked out by each
// copy for itself, and the order of entries in a table is not content.
#include "TVSim/Guard.hpp"
#include "TVSim/SimState.hpp"

namespace TVSim::Detail {

bool Same(const ModulData& a, const ModulData& b);
bool Same(const AddOnObject& a, const AddOnObject& b);
bool Same(const ClassificationSystem& a, const ClassificationSystem& b);
bool Same(const ClassificationItem& a, const ClassificationItem& b);
bool Same(const PropertyGroup& a, const PropertyGroup& b);
bool Same(const PropertyDefinition& a, const PropertyDefinition& b);
bool Same(const Element& a, const Element& b);

}  // namespace TVSim::Detail
