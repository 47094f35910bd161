// Team-work rules of the simulated host that the add-on's team scenarios do
// not reach: a refused merge, the set held by one member, and an element
// reserved by the member who made it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PK/Runnable.hpp"
#include "TVSim/Sim.hpp"
#include "TVSim/SimTeamwork.hpp"
#include "support/HostCalls.hpp"

namespace {

namespace TW = TVSim::Teamwork;

TVSim::ModulData Data(const std::string& text) { return {1, 0x6D6D, std::vector<char>(text.begin(), text.end())}; }

GSErrCode RefuseMerge(API_MDSetCmd, const PK::UniString&, const API_ModulData*, const API_ModulData*, API_ModulData*) {
    return APIERR_BADPARS;
}

}  // namespace

TEST(TeamworkHost, SetsElementsAndRefusedMergesStayWithTheirMember) {
    TVSim::Project& a = TVSim::OpenProject();
    const API_Guid item = a.AddClassificationItem(a.AddClassificationSystem("Clauses"), "A10");
    const API_Guid wall = a.AddElement(API_WallID);
    a.StoreModulData("Shared", Data("v0"));
    const TW::Member memberA = TW::Share("Member A"), memberB = TW::Join("Member B");
    TW::ProjectOf(memberA).ReserveClassificationsAndProperties();

    TW::SwitchTo(memberB);
    TVSim::Project& b = TW::ProjectOf(memberB);
    TVAPI_Install_ModulDataMergeHandler(RefuseMerge);
    b.ReserveClassificationsAndProperties();
    EXPECT_EQ(TVAPI_TeamworkControl_GetLockableStatus(b.GetLockableSetGuid(), nullptr), APILockableStatus_Locked);
    EXPECT_EQ(TestSupport::InHostCommand([&] { return TVAPI_Element_AddClassificationItem(wall, item); }),
              APIERR_NOTMINE)
        << "the wall is A's";

    b.StoreModulData("Shared", Data("b"));
    TW::SwitchTo(memberA);
    TW::ProjectOf(memberA).StoreModulData("Shared", Data("a"));
    TW::SendAndReceive();
    PK::MainMessageLoop::RunPending();
    TW::SwitchTo(memberB);
    TW::Receive();
    PK::MainMessageLoop::RunPending();
    ASSERT_NE(b.GetModulData("Shared"), nullptr);
    const auto& bytes = b.GetModulData("Shared")->bytes;
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "b") << "a refused merge keeps the member's own";
}
