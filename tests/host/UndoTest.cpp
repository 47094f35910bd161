// The user's undo and redo on the simulated host: the last undoable step is
// taken back whole, whatever kind of entry it changed, and nothing else is.
#include <gtest/gtest.h>

#include "PK/Runnable.hpp"
#include "support/Project.hpp"

using namespace TestSupport;

TEST(Undo, UndoingAnAssociationTakesBackItsClassificationsAndValuesAndRedoBringsThemBack) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    const API_Guid wall = p.sim.AddElement(API_WallID);
    const API_Guid slab = p.sim.AddElement(API_SlabID);
    connection->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {wall}, false);
    connection->Cmd_AssociateElementsToVirtualType("clause-b", Clause("clause-b", "B20"), {slab, wall}, false);
    const API_Guid clauseId = p.DefinitionOf(p.GroupOf("Orvo Tessary: Project One / Spec One"), "OrvoTessaryClauseId");

    EXPECT_EQ(p.sim.Undo(), NoError);
    EXPECT_EQ(p.sim.GetItemOf(slab, p.System()), APINULLGuid);
    EXPECT_EQ(p.sim.GetPropertyValue(slab, clauseId), nullptr);
    EXPECT_EQ(p.sim.GetPropertyText(wall, clauseId), "clause-a");
    PK::Array<API_Guid> classified;
    TVAPI_Element_GetElementsWithClassification(p.Item("B20"), classified);
    EXPECT_TRUE(classified.IsEmpty()) << "the item's elements follow the elements";
    EXPECT_EQ(p.sim.Redo(), NoError);
    EXPECT_EQ(p.sim.GetPropertyText(wall, clauseId), "clause-b");
    EXPECT_EQ(p.sim.Redo(), APIERR_UNDOEMPTY);

    // Back past the connection (its record's plain steps are no steps to undo): its group and record go too.
    for (int step = 0; step < 3; ++step) EXPECT_EQ(p.sim.Undo(), NoError);
    EXPECT_FALSE(p.sim.HasPropertyDefinition(clauseId));
    EXPECT_TRUE(p.Stored().empty());
    EXPECT_EQ(p.sim.Undo(), APIERR_UNDOEMPTY);
}

TEST(Undo, TheHostTakesBackEveryKindOfEntryOfTheLastUndoableStepOnlyAndQuietly) {
    TVSim::Project& sim = TVSim::OpenProject();
    const API_Guid object = sim.AddAddOnObject("Kept", std::vector<char>{'a'});
    const API_Guid system = sim.AddClassificationSystem("Clauses");
    const API_Guid item = sim.AddClassificationItem(system, "A10");
    const API_Guid wall = sim.AddElement(API_WallID);
    TVAPI_Notify_CatchProjectEvent(0xFFFFFFFF, [](API_NotifyEventID, PK::Int32) { return APIERR_GENERAL; });
    API_Guid set, made;
    API_ClassificationItem child;
    child.id = "B20";
    API_ClassificationSystem renamed = sim.GetClassificationSystem(system).system;
    renamed.name = "Renamed";
    const PK::Array<API_Guid> walls{wall};
    auto step = [&] {
        TVAPI_Classification_CreateClassificationItem(child, system, item, {});
        TVAPI_Classification_ChangeClassificationSystem(renamed);
        TVAPI_Element_AddClassificationItem(wall, item);
        TVAPI_ElementSet_Create(&walls, nullptr, &set);
        return TVAPI_AddOnObject_DeleteObject(object);
    };
    ASSERT_EQ(TVAPI_CallUndoableCommand("step", step), NoError);
    TVAPI_CallCommand("plain", [&] { return TVAPI_AddOnObject_CreateUniqueObject("Plain", &made); });
    PK::MainMessageLoop::RunPending();

    ASSERT_EQ(sim.Undo(), NoError);
    EXPECT_TRUE(sim.GetClassificationItem(item).children.IsEmpty());
    EXPECT_EQ(sim.GetClassificationSystem(system).system.name, "Clauses");
    EXPECT_EQ(sim.GetItemOf(wall, system), APINULLGuid);
    EXPECT_EQ(TVAPI_ElementSet_GetData(set, nullptr, nullptr), APIERR_BADID);
    ASSERT_NE(sim.FindAddOnObject("Kept"), nullptr);
    EXPECT_EQ(sim.FindAddOnObject("Kept")->content, std::vector<char>{'a'});
    EXPECT_NE(sim.FindAddOnObject("Plain"), nullptr) << "a plain command's step is not undone";
    EXPECT_EQ(TVSim::Events::GetPendingCount(), 0u) << "undo tells no add-on";

    ASSERT_EQ(sim.Redo(), NoError);
    EXPECT_EQ(sim.GetItemOf(wall, system), item);
    EXPECT_EQ(TVAPI_ElementSet_GetData(set, nullptr, nullptr), NoError);
    TVAPI_CallUndoableCommand("reads only", [&] { return TVAPI_AddOnObject_ExistsObject(set, nullptr); });
    ASSERT_EQ(sim.Undo(), NoError);
    EXPECT_NE(sim.FindAddOnObject("Kept"), nullptr) << "a step that changed nothing is no step to undo";
    TVAPI_CallUndoableCommand("new step", [&] { return TVAPI_AddOnObject_CreateUniqueObject("New", &made); });
    EXPECT_EQ(sim.Redo(), APIERR_UNDOEMPTY) << "a new step ends what redo could bring back";
}
