#pragma once
// Where the host's own state meets the team-work server (TVSim/SimTeamwork.hpp).
// Outside team work each hook does nothing (and answers false).
#include "TVSim/Guard.hpp"
#include "TVSim/SimState.hpp"

namespace TVSim::Detail {

// The open project closes or the host is reset: team work ends and every
// parked member's copy goes.
void EndTeamwork();
// The member whose project state this is asks the server for the
// ClassificationsAndProperties set, or lets it go; true when team work
// settled the request (and the project's status with it).
bool TeamworkReserveSet(ProjectState& state, bool reserve);
// The current member has just reserved, or released, these add-on objects.
void TeamworkObjectsReserved(ProjectState& state, const PK::Array<API_Guid>& objects);
void TeamworkObjectsReleased(ProjectState& state, const PK::Array<API_Guid>& objects);

}  // namespace TVSim::Detail
