#pragma once
// The demo's sample project: "Riverside Offices" on two stories, with walls,
// slabs, doors and windows spread over them, four elements that the add-on
// may not change (one locked, one on a hidden layer, one from a hotlinked
// module, one reserved by the other team member) and two classification
// systems. It is shared in team work from the start: Member A works on it,
// Member B has joined and made the window it holds.
#include <cstddef>
#include <string>
#include <vector>

#include "TVSim/Sim.hpp"
#include "TVSim/SimTeamwork.hpp"

namespace Demo {

struct SampleProject {
    API_Guid clauses{};  // the classification system the specification is connected through
    std::vector<API_Guid> walls, slabs, doors, windows;  // on Member A's layers, free to change
    API_Guid locked{};     // a wall, locked itself
    API_Guid hidden{};     // a slab on the hidden layer "Hidden Details"
    API_Guid hotlinked{};  // a wall of the hotlinked module "Core"
    API_Guid reserved{};   // a window Member B made and holds
    TVSim::Teamwork::Member memberA = 0;
    TVSim::Teamwork::Member memberB = 0;
};

// Opens the project on Member A's machine, fills it with about elementCount
// elements, shares it and lets Member B join and make its window. Member A is
// current afterwards, with nothing pending.
SampleProject BuildSampleProject(std::size_t elementCount);

// "wall", "slab", "door", "window" or the host's type number.
std::string KindOf(const TVSim::Project& project, const API_Guid& element);

}  // namespace Demo
