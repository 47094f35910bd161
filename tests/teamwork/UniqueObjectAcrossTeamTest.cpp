// One add-on object of a unique name across the team, however the members
// made theirs before they exchanged.
#include <gtest/gtest.h>

#include "TVSim/Sim.hpp"
#include "TVSim/SimTeamwork.hpp"

namespace Teamwork = TVSim::Teamwork;

TEST(UniqueObjectsAcrossTheTeam, TwoMembersMakingTheSameNamedObjectEachEndWithTheOneThatReachedTheServerFirst) {
    for (bool released : {false, true}) {
        TVSim::Reset();
        TVSim::OpenProject();
        Teamwork::Share("Member A");
        const Teamwork::Member b = Teamwork::Join("Member B");
        API_Guid first, guid;
        for (const Teamwork::Member m : {0, b}) {
            Teamwork::SwitchTo(m);
            TVAPI_CallCommand("make", [&] { return TVAPI_AddOnObject_CreateUniqueObject("PlanData", &guid); });
            if (released) TVAPI_AddOnObject_ReserveObjects({guid}, nullptr), TVAPI_AddOnObject_ReleaseObjects({guid});
            if (m == 0) first = guid;
        }
        for (const Teamwork::Member m : {0, b, 0}) {
            Teamwork::SwitchTo(m);
            Teamwork::SendAndReceive();
        }
        for (const Teamwork::Member m : {0, b}) {
            Teamwork::SwitchTo(m);
            PK::Array<API_Guid> objects;
            TVAPI_AddOnObject_GetObjectList(&objects);
            EXPECT_EQ(objects, PK::Array<API_Guid>{first}) << "member " << m << (released ? ", released" : "");
            TVAPI_AddOnObject_GetUniqueObjectGuidFromName("PlanData", &guid);
            EXPECT_EQ(guid, first);
        }
    }
}
