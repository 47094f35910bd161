// The host interface's operations that no model scenario reaches, against a
// small simulated project: what goes in reaches the host, what comes back is
// the host's answer, and no host memory is left behind.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "TVSim/Sim.hpp"
#include "Torvel/Api/DatabaseId.hpp"
#include "Torvel/Api/ModulDataWrapper.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/HostCalls.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;
using TestSupport::LogCapture;

namespace {

class TorvelOperations : public TestSupport::HandleCheckedTest {
protected:
    // Runs the body as one undoable command, as the model does for every change.
    void InCommand(const std::function<void()>& body) { torvel.CallUndoableCommand("test step", body); }

    TVSim::Project& project = TVSim::OpenProject();
    Implementation::Torvel torvel;
    LogCapture log;
};

}  // namespace

TEST_F(TorvelOperations, ClassificationSystemsAndItemsAreMadeReadChangedAndDeleted) {
    const PK::Guid wall = project.AddElement(API_WallID);
    API_ClassificationSystem system;
    API_ClassificationItem a;
    InCommand([&] {
        system.name = "Clauses";
        torvel.Classification_CreateClassificationSystem(system);
        a.id = "A";
        torvel.Classification_CreateClassificationItem(a, system.guid, PK::NULLGuid, PK::NULLGuid);
        torvel.Element_AddClassificationItem(wall, a.guid);
        system.name = "Renamed";
        torvel.Classification_ChangeClassificationSystem(system);
    });
    ASSERT_EQ(torvel.Classification_GetClassificationSystems().GetSize(), 1u);
    EXPECT_EQ(torvel.Classification_GetClassificationItemSystem(a.guid).name, PK::UniString("Renamed"));
    EXPECT_EQ(torvel.Element_GetClassificationInSystem(wall, system.guid).guid, a.guid);
    InCommand([&] { torvel.Classification_DeleteClassificationSystem(system.guid); });
    EXPECT_FALSE(project.HasClassificationItem(a.guid));
}

TEST_F(TorvelOperations, ElementSetsAddOnObjectsGroupsTypesAndTheNavigator) {
    const PK::Guid wall = project.AddElement(API_WallID), slab = project.AddElement(API_SlabID);
    const PK::Guid item = project.AddClassificationItem(project.AddClassificationSystem("S"), "A");
    project.Classify(slab, item);
    const PK::Guid code = project.AddPropertyDefinition(project.AddPropertyGroup("Spec"), "Code", {item});
    API_UserData data;
    data.dataVersion = 3;
    PK::Guid set, object;
    InCommand([&] {
        set = torvel.ElementSet_Create({wall}, &data);
        object = torvel.AddOnObject_CreateUniqueObject("PlanData");
        torvel.ElementList_ModifyPropertyValue(TestSupport::TextProperty(code, "B20"), {slab});
    });
    PK::Array<PK::Guid> elements, sets;
    API_UserData read;
    torvel.ElementSet_GetData(set, elements, &read);
    torvel.ElementSet_Identify(wall, sets);
    EXPECT_EQ(project.GetPropertyText(slab, code), PK::UniString("B20"));
    EXPECT_TRUE(elements == PK::Array<PK::Guid>{wall} && read.dataVersion == 3 && sets == PK::Array<PK::Guid>{set});
    EXPECT_TRUE(torvel.AddOnObject_GetObjectList() == PK::Array<PK::Guid>{object} &&
                torvel.AddOnObject_ExistsObject(object));
    InCommand([&] {
        torvel.ElementSet_Delete(set);
        torvel.AddOnObject_DeleteObject(object);
    });
    torvel.ElementSet_Identify(wall, sets);
    EXPECT_TRUE(sets.IsEmpty() && !torvel.AddOnObject_ExistsObject(object));

    project.SetSelection({wall});
    project.SetMarquee(API_MarqueePoly, 4);
    EXPECT_EQ(torvel.Selection_Get(false, false, API_NoRelativePos).neigs.GetSize(), 1u);  // and its marquee freed
    project.SetShared(true);
    EXPECT_TRUE(torvel.TeamworkControl_FindLockableObjectSet(static_cast<Api::Torvel::ObjectSet>(2)).IsNull());

    EXPECT_EQ(torvel.Property_GetPropertyGroups().GetSize(), 1u);
    EXPECT_EQ(torvel.Goodies_NeigIDToElemTypeID(APINeig_Ceil), API_SlabID);
    EXPECT_EQ(torvel.Goodies_GetElemTypeNameID(API_CurtainWallPanelID), PK::UniString("Curtain Wall Panel"));
    API_NavigatorItem navigatorItem;
    navigatorItem.uName = "Ground Floor";
    EXPECT_EQ(torvel.Navigator_GetNavigatorItem(project.AddNavigatorItem(navigatorItem)).uName,
              PK::UniString("Ground Floor"));
}

TEST_F(TorvelOperations, AFailingCommandKeepsWhatItChangedAndLogsWhatStoppedIt) {
    const PK::Guid wall = project.AddElement(API_WallID);
    const PK::Guid system = project.AddClassificationSystem("Clauses");
    const PK::Guid item = project.AddClassificationItem(system, "A10");
    torvel.CallUndoableCommand("Associate A10", [&] {
        torvel.Element_AddClassificationItem(wall, item);
        throw std::runtime_error("halfway");
    });
    torvel.CallCommand("Refresh", [] { throw 7; });
    EXPECT_EQ(project.GetItemOf(wall, system), item);
    ASSERT_EQ(project.GetUndoSteps().size(), 2u);
    EXPECT_EQ(project.GetUndoSteps()[0].result, NoError);
    EXPECT_EQ(log.Messages(), (std::vector<std::string>{"exception: halfway", "unknown exception!"}));
}

TEST_F(TorvelOperations, StoryRecordsModuleDataAndResourcesTheHostCannotGiveAreLoggedOrCutShort) {
    project.SetStories(-1, {"Basement", "Ground", "First", "Roof"});
    project.SetStoryHandleDefect(TVSim::StoryHandleDefect::ShortHandle);
    EXPECT_EQ(torvel.Environment_GetStorySettings().names, (PK::Array<PK::UniString>{"Basement", "Ground", "First"}));
    project.SetStoryHandleDefect(TVSim::StoryHandleDefect::NullHandle);
    EXPECT_TRUE(torvel.Environment_GetStorySettings().names.IsEmpty());

    Api::ModulDataWrapper read = Api::ModulDataWrapper::CreateForObject(Api::DatabaseId());
    project.StoreModulData("empty", TVSim::ModulData{1, 0x6D6D, std::nullopt});
    EXPECT_FALSE(torvel.ModulData_Get("empty", *read.GetPtr())) << "and the block it held is freed";
    EXPECT_EQ(torvel.GetResourceString(32000, 99), PK::UniString());
    EXPECT_TRUE(log.Has(spdlog::level::err, "Torvel::ModulData_Get: has modul data but it is null") &&
                log.Has(spdlog::level::critical, "Missing resource string. resID(32000), index(99)"));
}
