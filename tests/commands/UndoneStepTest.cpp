// What the user undid stays undone: the add-on finds its record restored
// under it and works from that, not from what it remembered.
#include <gtest/gtest.h>

#include <set>

#include "support/AddOn.hpp"

using namespace TestSupport;

TEST(UndoneSteps, AnUndoneConnectionOrAssociationStaysUndoneInTheHostTheRecordAndThePage) {
    AddOnProject s;
    Api::TessaryCallbackApi& page = s.addOn->page->Model();
    const auto pageTypes = [&] {
        std::set<std::string> ids;
        for (const auto& type : page.Handle_getAllTypesInDocument(s.addOn->manager->PlanId(), {}))
            ids.insert(Text(type.id));
        return ids;
    };
    s.ConnectSpec(1);
    ASSERT_EQ(s.sim.Undo(), NoError);
    EXPECT_EQ(s.addOn->manager->GetConnection("spec-1"), nullptr);
    EXPECT_TRUE(pageTypes().empty());
    EXPECT_EQ(s.addOn->manager->GetSelectedConnection(), nullptr);

    const ConnectionPtr connection = s.ConnectSpec(1);
    const API_Guid wall = s.sim.AddElement(API_WallID);
    const API_Guid slab = s.sim.AddElement(API_SlabID);
    s.sim.SetSelection({wall});
    Deliver();
    page.Handle_associationRequested("", "spec-1", "clause-a", Clause("clause-a", "A10"));
    ASSERT_EQ(s.sim.Undo(), NoError);
    EXPECT_EQ(pageTypes().count("clause-a"), 0u) << "asked before the add-on acts again";
    // The virtual-type panel's road: the connection it holds, not a look-up.
    connection->Cmd_AssociateElementsToVirtualType("clause-b", Clause("clause-b", "B20"), {slab}, false);

    EXPECT_EQ(s.sim.GetItemOf(wall, s.System()), APINULLGuid);
    EXPECT_EQ(s.sim.GetItemOf(slab, s.System()), s.Item("B20"));
    EXPECT_FALSE(s.Load()->HasVirtualType("clause-a"));
    EXPECT_EQ(pageTypes().count("clause-a"), 0u);
}

TEST(UndoneSteps, NoCommandWritesAnUndoneClauseBackIntoTheRecord) {
    for (int row = 0; row < 7; ++row) {
        Project p;
        const ConnectionPtr c = p.Connect();
        const API_Guid wall = p.sim.AddElement(API_WallID);
        const API_Guid locked = p.sim.AddElement(API_WallID, {.locked = true});
        c->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {wall, locked}, false);
        c->Cmd_AssociateElementsToVirtualType("clause-b", Clause("clause-b", "B20"), {wall}, false);
        ASSERT_EQ(p.sim.Undo(), NoError);
        // A step the palette or an issue's fix may take next; each stores the connection.
        if (row == 0) c->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {locked}, false);
        if (row == 1) c->Cmd_DisassociateElementsFromVirtualType("clause-a", {locked});
        if (row == 2) c->Cmd_UpdateVirtualTypeProperties("clause-a", Clause("clause-a", "A10", "Title 2"), false);
        if (row == 3) c->Cmd_UpdateTitleIfChanged("Spec Two", "Project One");
        if (row == 4) c->RemoveIssue(c->IssueCollection().Get()[0]);
        if (row == 5) p.sim.DeleteElement(locked), c->RefreshIssues();
        if (row == 6) {
            p.sim.SetPropertyText(wall, c->PropertyGroup().GetPropertyGuid("OrvoTessaryTitle"), "changed");
            p.sim.SetElementLocked(wall, true);
            c->Cmd_CheckAndUpdateAllAssociatedElementProperties();
        }
        EXPECT_FALSE(p.Load()->HasVirtualType("clause-b")) << "row " << row;
    }
}
