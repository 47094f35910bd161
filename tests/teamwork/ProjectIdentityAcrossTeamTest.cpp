// Two members who each made the project's identity before they exchanged
// end with one identity between them.
#include <gtest/gtest.h>

#include "support/Team.hpp"

using namespace TestSupport;

TEST(ProjectIdentityAcrossTheTeam, TwoMembersWhoEachConnectedBeforeExchangingEndWithOneObjectAndOneId) {
    Team team;
    for (Member m : {0, 1}) {
        team.As(m);
        ASSERT_NE(team.Connect(m + 1), nullptr);
    }
    team.SyncAll();
    for (Member m : {0, 1}) {
        team.As(m);
        PK::Array<API_Guid> objects;
        TVAPI_AddOnObject_GetObjectList(&objects);
        EXPECT_EQ(objects.GetSize(), 1u) << "member " << m;
        EXPECT_EQ(team.Of(m).addOn->manager->PlanId(), team.Of(0).addOn->manager->PlanId()) << "member " << m;
    }
}
