// The user's undo and redo on the simulated host: the last undoable step is
// taken back whole, whatever kind of entry it changed, and nothing else is.
#include <gtest/gtest.h>

#include "PK/Runnable.hpp"
#include "support/Project.hpp"

using namespace TestSupport;

namespace {

const PK::UniString groupOne = "Orvo Tessary: Project One / Spec One";

}  // namespace

TEST(Undo, UndoingAnAssociationTakesBackItsClassificationsAndValuesAndRedoBringsThemBack) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    const API_Guid wall = p.sim.AddElement(API_WallID);
    const API_Guid slab = p.sim.AddElement(API_SlabID);
    connection->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {wall}, false);
    connection->Cmd_AssociateElementsToVirtualType("clause-b", Clause("clause-b", "B20"), {slab, wall}, false);
    const API_Guid clauseId = p.DefinitionOf(p.GroupOf(groupOne), "OrvoTessaryClauseId");
    ASSERT_FALSE(clauseId.IsNull());

    EXPECT_EQ(p.sim.Undo(), NoError);
    EXPECT_EQ(p.sim.GetItemOf(slab, p.System()), APINULLGuid);
    EXPECT_EQ(p.sim.GetPropertyValue(slab, clauseId), nullptr);
    EXPECT_EQ(p.sim.GetItemOf(wall, p.System()), p.Item("A10"));
    EXPECT_EQ(p.sim.GetPropertyText(wall, clauseId), "clause-a");
    PK::Array<API_Guid> classified;
    TVAPI_Element_GetElementsWithClassification(p.Item("B20"), classified);
    EXPECT_TRUE(classified.IsEmpty()) << "the item's elements follow the elements";

    EXPECT_EQ(p.sim.Redo(), NoError);
    EXPECT_EQ(p.sim.GetItemOf(slab, p.System()), p.Item("B20"));
    EXPECT_EQ(p.sim.GetPropertyText(wall, clauseId), "clause-b");
    EXPECT_EQ(p.sim.Redo(), APIERR_UNDOEMPTY);

    // Back past the connection: its property group and record go too (the
    // record's plain steps in between are not steps of their own to undo).
    for (int step = 0; step < 3; ++step) EXPECT_EQ(p.sim.Undo(), NoError);
    EXPECT_FALSE(p.sim.HasPropertyGroup(p.GroupOf(groupOne)));
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
    std::vector<PK::UInt32> heard;
    static std::vector<PK::UInt32>* events = &heard;
    TVAPI_Notify_CatchProjectEvent(0xFFFFFFFF, [](API_NotifyEventID id, PK::Int32) {
        events->push_back(static_cast<PK::UInt32>(id));
        return NoError;
    });
    API_Guid plainObject, set;
    API_ClassificationItem newItem;
    newItem.id = "B20";
    API_ClassificationSystem renamed = sim.GetClassificationSystem(system).system;
    renamed.name = "Renamed";
    const std::vector<char> bytes{'b'};
    PKHandle content = nullptr;
    BMPtrToHandle(bytes.data(), &content, 1);
    const PK::Array<API_Guid> elements{wall};
    ASSERT_EQ(TVAPI_CallUndoableCommand("step",
                                        [&] {
                                            TVAPI_Classification_CreateClassificationItem(newItem, system, item,
                                                                                          APINULLGuid);
                                            TVAPI_Classification_ChangeClassificationSystem(renamed);
                                            TVAPI_Element_AddClassificationItem(wall, item);
                                            TVAPI_ElementSet_Create(&elements, nullptr, &set);
                                            TVAPI_AddOnObject_ModifyObject(object, nullptr, &content);
                                            return TVAPI_AddOnObject_DeleteObject(object);
                                        }),
              NoError);
    BMKillHandle(&content);
    TVAPI_CallCommand("plain", [&] { return TVAPI_AddOnObject_CreateUniqueObject("Plain", &plainObject); });
    PK::MainMessageLoop::RunPending();
    heard.clear();

    ASSERT_EQ(sim.Undo(), NoError);
    EXPECT_FALSE(sim.HasClassificationItem(newItem.guid));
    EXPECT_TRUE(sim.GetClassificationItem(item).children.IsEmpty());
    EXPECT_EQ(sim.GetClassificationSystem(system).system.name, "Clauses");
    EXPECT_EQ(sim.GetItemOf(wall, system), APINULLGuid);
    PK::Array<API_Guid> found;
    EXPECT_EQ(TVAPI_ElementSet_GetData(set, &found, nullptr), APIERR_BADID);
    ASSERT_NE(sim.FindAddOnObject("Kept"), nullptr);
    EXPECT_EQ(sim.FindAddOnObject("Kept")->content, std::vector<char>{'a'});
    EXPECT_NE(sim.FindAddOnObject("Plain"), nullptr) << "a plain command's step is not undone";
    PK::MainMessageLoop::RunPending();
    EXPECT_TRUE(heard.empty()) << "undo tells no add-on";

    ASSERT_EQ(sim.Redo(), NoError);
    EXPECT_EQ(sim.GetItemOf(wall, system), item);
    EXPECT_EQ(sim.FindAddOnObject("Kept"), nullptr);
    EXPECT_EQ(TVAPI_ElementSet_GetData(set, &found, nullptr), NoError);
    API_Guid nothing;
    EXPECT_EQ(TVAPI_CallUndoableCommand("reads only", [&] { return TVAPI_AddOnObject_ExistsObject(set, nullptr); }),
              APIERR_BADPARS);
    ASSERT_EQ(sim.Undo(), NoError);
    EXPECT_NE(sim.FindAddOnObject("Kept"), nullptr) << "a step that changed nothing is no step to undo";
    ASSERT_EQ(
        TVAPI_CallUndoableCommand("new step", [&] { return TVAPI_AddOnObject_CreateUniqueObject("New", &nothing); }),
        NoError);
    EXPECT_EQ(sim.Redo(), APIERR_UNDOEMPTY) << "a new step ends what redo could bring back";
}
