// One add-on object of a unique name across the team, however the members
// made theirs before they exchanged.
#include <gtest/gtest.h>

#include "PK/UniString.hpp"
#include "TVSim/Sim.hpp"
#include "TVSim/SimTeamwork.hpp"

namespace Teamwork = TVSim::Teamwork;

namespace {

API_Guid MakePlanData(bool releaseAfter) {
    API_Guid guid;
    TVAPI_CallCommand("make", [&] { return TVAPI_AddOnObject_CreateUniqueObject("PlanData", &guid); });
    if (releaseAfter) {
        TVAPI_AddOnObject_ReserveObjects({guid}, nullptr);
        TVAPI_AddOnObject_ReleaseObjects({guid});
    }
    return guid;
}

// The objects of that name the current member holds.
PK::Array<API_Guid> Named(const PK::UniString& name) {
    PK::Array<API_Guid> objects, named;
    TVAPI_AddOnObject_GetObjectList(&objects);
    for (const API_Guid& guid : objects) {
        PK::UniString objectName;
        TVAPI_AddOnObject_GetObjectContent(guid, &objectName, nullptr);
        if (objectName == name) named.Push(guid);
    }
    return named;
}

}  // namespace

TEST(UniqueObjectsAcrossTheTeam, TwoMembersMakingTheSameNamedObjectEachEndWithTheOneThatReachedTheServerFirst) {
    for (bool releaseAfter : {false, true}) {
        SCOPED_TRACE(releaseAfter ? "each released theirs" : "each kept theirs until sending");
        TVSim::Reset();
        TVSim::OpenProject();
        Teamwork::Share("Member A");
        const Teamwork::Member b = Teamwork::Join("Member B");
        const API_Guid first = MakePlanData(releaseAfter);
        Teamwork::SwitchTo(b);
        MakePlanData(releaseAfter);
        Teamwork::SwitchTo(0);
        Teamwork::SendAndReceive();
        Teamwork::SwitchTo(b);
        Teamwork::SendAndReceive();
        Teamwork::SwitchTo(0);
        Teamwork::Receive();

        for (const Teamwork::Member m : {0, b}) {
            Teamwork::SwitchTo(m);
            EXPECT_EQ(Named("PlanData"), PK::Array<API_Guid>{first}) << "member " << m;
            API_Guid looked;
            TVAPI_AddOnObject_GetUniqueObjectGuidFromName("PlanData", &looked);
            EXPECT_EQ(looked, first);
        }
    }
}
