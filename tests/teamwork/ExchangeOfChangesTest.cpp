// An exchange takes only what changed since the last one, so every way of
// changing an element must count as a change, or it never reaches the team.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TVSim/Sim.hpp"
#include "TVSim/SimTeamwork.hpp"

namespace Teamwork = TVSim::Teamwork;

TEST(ExchangeOfChanges, EveryWayOfChangingAnElementReachesTheOtherMember) {
    TVSim::Project& a = TVSim::OpenProject();
    const API_Guid item = a.AddClassificationItem(a.AddClassificationSystem("Clauses"), "A10");
    std::vector<API_Guid> e;
    for (int i = 0; i < 6; ++i) e.push_back(a.AddElement(API_WallID));
    Teamwork::Share("Member A");
    const Teamwork::Member b = Teamwork::Join("Member B");
    using Read = std::function<std::string(const TVSim::Project&)>;
    const struct {
        std::function<void()> change;
        Read read;
    } rows[] = {
        {[&] { a.SetElementReservation(e[0], TVSim::Reservation::Free); },
         [&](const TVSim::Project& p) { return std::to_string(static_cast<int>(p.GetElement(e[0]).reservation)); }},
        {[&] { a.SetElementHotlink(e[1], item); },
         [&](const TVSim::Project& p) {
             return std::string(p.GetElement(e[1]).head.hotlinkGuid.ToUniString().ToCStr());
         }},
        {[&] { a.SetElementClassifiable(e[2], false); },
         [&](const TVSim::Project& p) { return std::to_string(p.GetElement(e[2]).classifiable); }},
        {[&] { a.SetElementIn3D(e[3], false); },
         [&](const TVSim::Project& p) { return std::to_string(p.GetElement(e[3]).in3D); }},
        {[&] { a.DeleteElement(e[4]); }, [&](const TVSim::Project& p) { return std::to_string(p.HasElement(e[4])); }},
        {[&] { a.Classify(e[5], item); },
         [&](const TVSim::Project& p) { return std::to_string(p.GetClassificationItem(item).elements.size()); }},
    };
    for (std::size_t row = 0; row < std::size(rows); ++row) {
        rows[row].change();
        Teamwork::SendAndReceive();
        Teamwork::SwitchTo(b);
        Teamwork::Receive();
        EXPECT_EQ(rows[row].read(Teamwork::ProjectOf(b)), rows[row].read(Teamwork::ProjectOf(0))) << "row " << row;
        Teamwork::SwitchTo(0);
    }
}

// Taking in a property definition that another member deleted drops its values
// from every element, which is no change of the receiver's own: it has nothing
// to send, and the owner's later changes of its elements stay.
TEST(ExchangeOfChanges, ADefinitionAnotherMemberDeletedLeavesTheReceiverNothingToSend) {
    TVSim::Project& a = TVSim::OpenProject();
    const API_Guid gone = a.AddPropertyDefinition(a.AddPropertyGroup("Gone"), "Value");
    const API_Guid kept = a.AddPropertyDefinition(a.AddPropertyGroup("Kept"), "Value");
    Teamwork::Share("Member A");
    const Teamwork::Member b = Teamwork::Join("Member B");
    Teamwork::SwitchTo(b);
    TVSim::Project& atB = Teamwork::ProjectOf(b);
    const API_Guid wall = atB.AddElement(API_WallID);
    atB.SetPropertyText(wall, gone, "old");
    atB.SetPropertyText(wall, kept, "old");
    Teamwork::SendAndReceive();
    Teamwork::SwitchTo(0);
    Teamwork::Receive();

    Teamwork::SwitchTo(b);
    atB.DeletePropertyGroup(atB.FindPropertyGroup("Gone"));
    Teamwork::SendAndReceive();
    Teamwork::SwitchTo(0);
    Teamwork::Receive();
    EXPECT_EQ(Teamwork::OutgoingCount(), 0u);
    Teamwork::SendAndReceive();

    Teamwork::SwitchTo(b);
    atB.SetPropertyText(wall, kept, "new");
    Teamwork::SendAndReceive();
    EXPECT_EQ(atB.GetPropertyText(wall, kept), "new");
    Teamwork::SwitchTo(0);
    Teamwork::Receive();
    EXPECT_EQ(Teamwork::ProjectOf(0).GetPropertyText(wall, kept), "new");
}
