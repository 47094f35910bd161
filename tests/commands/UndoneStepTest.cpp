// What the user undid stays undone: the add-on finds its record restored
// under it and works from that, not from what it remembered.
#include <gtest/gtest.h>

#include <set>

#include "support/AddOn.hpp"

using namespace TestSupport;

TEST(UndoneSteps, AnUndoneConnectionOrAssociationStaysUndoneInTheHostTheRecordAndThePage) {
    AddOnProject s;
    Api::TessaryCallbackApi& page = s.addOn->page->Model();
    const auto associate = [&](const API_Guid& element, const char* clauseId, const char* code) {
        s.sim.SetSelection({element});
        Deliver();
        page.Handle_associationRequested("", "spec-1", clauseId, Clause(clauseId, code));
    };
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

    s.ConnectSpec(1);
    s.addOn->manager->TVEvent_Project_Open();  // from here on, the connection as read from its record
    const API_Guid wall = s.sim.AddElement(API_WallID);
    const API_Guid slab = s.sim.AddElement(API_SlabID);
    associate(wall, "clause-a", "A10");
    ASSERT_EQ(s.sim.Undo(), NoError);
    EXPECT_EQ(pageTypes().count("clause-a"), 0u) << "asked before the add-on acts again";
    associate(slab, "clause-b", "B20");

    EXPECT_EQ(s.sim.GetItemOf(wall, s.System()), APINULLGuid);
    EXPECT_EQ(s.sim.GetItemOf(slab, s.System()), s.Item("B20"));
    const ConnectionPtr stored = s.Load();
    EXPECT_FALSE(stored->HasVirtualType("clause-a"));
    EXPECT_TRUE(stored->HasVirtualType("clause-b"));
    const std::set<std::string> types = pageTypes();
    EXPECT_EQ(types.count("clause-a"), 0u);
    EXPECT_EQ(types.count("clause-b"), 1u);
}
