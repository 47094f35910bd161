// The host interface against a small simulated project, one family of
// operations at a time: what goes in reaches the host, what comes back is the
// host's answer, and no host memory is left behind.
#include <gtest/gtest.h>

#include <algorithm>
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
using TestSupport::TextProperty;

namespace {

class TorvelOperations : public TestSupport::HandleCheckedTest {
protected:
    TVSim::Project& project = TVSim::OpenProject();
    Implementation::Torvel torvel;
    LogCapture log;

    // Runs the body as one undoable command, as the model does for every change.
    void InCommand(const std::function<void()>& body) { torvel.CallUndoableCommand("test step", body); }
};

std::vector<std::string> Ids(const PK::Array<API_ClassificationItem>& items) {
    std::vector<std::string> ids;
    for (const auto& item : items) ids.push_back(item.id.ToCStr());
    return ids;
}

PK::Array<PK::Guid> InHostOrder(PK::Array<PK::Guid> guids) {
    std::sort(guids.begin(), guids.end(), TVSim::HostOrder{});
    return guids;
}

}  // namespace

TEST_F(TorvelOperations, ApplicationProjectAndStories) {
    TVSim::Application().mainVersion = 26;
    EXPECT_EQ(torvel.GetApplicationInfo().mainVersion, 26);
    project.SetSaved("House", "/projects/House.tvp");
    API_ProjectInfo info;
    ASSERT_TRUE(torvel.GetProjectInfo(info));
    ASSERT_NE(info.projectName, nullptr);
    EXPECT_EQ(*info.projectName, PK::UniString("House"));
    delete info.projectName;
    delete info.projectPath;
    delete info.location;

    // Story records that do not match the range are read no further than they reach.
    project.SetStories(-1, {"Basement", "Ground", "First", "Roof"});
    API_StoryCmdType goTo;
    goTo.index = 7;
    EXPECT_THROW(torvel.Environment_ChangeStorySettings(goTo), Api::Error<APIERR_BADINDEX>);
    project.SetStoryHandleDefect(TVSim::StoryHandleDefect::ShortHandle);
    EXPECT_EQ(torvel.Environment_GetStorySettings().names, (PK::Array<PK::UniString>{"Basement", "Ground", "First"}));
    project.SetStoryHandleDefect(TVSim::StoryHandleDefect::NullHandle);
    EXPECT_TRUE(torvel.Environment_GetStorySettings().names.IsEmpty());
}

TEST_F(TorvelOperations, AStaleDatabaseTheZoomAndTheNavigator) {
    // Windows, stories and the 3D projection are read and changed in the window-id tests.
    const Api::DatabaseId view3D(APIWind_3DModelID, 1, project.FindWindow(APIWind_3DModelID));
    EXPECT_THROW(torvel.Automate_ChangeWindow(Api::DatabaseId(APIWind_SectionID, 1, view3D.GetElemSetId())),
                 Api::Error<APIERR_BADDATABASE>);
    API_3DProjectionInfo projection;
    projection.azimuth = 45.0;
    torvel.Environment_Change3DProjectionSets(projection, true);
    EXPECT_EQ(project.Get3DProjection().azimuth, 45.0);

    const PK::Guid wall = project.AddElement(API_WallID);
    project.SetSelection({wall});
    torvel.Do_ZoomToSelected();
    EXPECT_EQ(project.GetZooms(), std::vector<PK::Array<PK::Guid>>{{wall}});

    API_NavigatorItem item;
    item.uName = "Ground Floor";
    EXPECT_EQ(torvel.Navigator_GetNavigatorItem(project.AddNavigatorItem(item)).uName, PK::UniString("Ground Floor"));
}

TEST_F(TorvelOperations, SelectionIsReadAndMadeThroughTheHostAndItsMarqueeIsFreed) {
    const PK::Guid wall = project.AddElement(API_WallID);
    const PK::Guid slab = project.AddElement(API_SlabID, {.locked = true});
    const PK::Guid door = project.AddElement(API_DoorID, {.variation = APIVarId_Door});

    torvel.Helper_ClearAndSelect(PK::Array<PK::Guid>{slab, wall});
    EXPECT_EQ(project.GetSelection(), InHostOrder({slab, wall}));
    project.SetMarquee(API_MarqueePoly, 4);
    Api::SelectionResult selection = torvel.Selection_Get(false, false, API_NoRelativePos);
    ASSERT_EQ(selection.neigs.GetSize(), 2u);
    EXPECT_EQ(selection.neigs[0].guid, project.GetSelection()[0]);
    EXPECT_EQ(selection.selectionInfo.typeID, API_MarqueePoly);
    EXPECT_EQ(selection.selectionInfo.sel_nElemEdit, 1);
    EXPECT_EQ(selection.selectionInfo.marquee.coords, nullptr);  // the fixture's leak check holds it to that

    torvel.Element_Select({API_Neig{APINeig_Door, door}}, true);
    torvel.Element_Select({API_Neig{APINeig_Wall, wall}}, false);
    EXPECT_EQ(project.GetSelection(), InHostOrder({slab, door}));
    torvel.Helper_ClearAndSelect(PK::Array<PK::Guid>{});
    EXPECT_TRUE(project.GetSelection().IsEmpty());
    EXPECT_TRUE(torvel.Selection_Get(false, false, API_NoRelativePos).neigs.IsEmpty());
}

TEST_F(TorvelOperations, ElementsAreListedFilteredAndReadAsTheirStateSays) {
    const PK::Int32 hidden = project.AddLayer("Hidden", {.hidden = true});
    const PK::Guid wall = project.AddElement(API_WallID);
    const PK::Guid lockedWall = project.AddElement(API_WallID, {.locked = true});
    project.AddElement(API_WallID, {.layer = hidden});
    project.AddElement(API_WallID, {.story = 1});
    project.AddElement(API_SlabID);

    PK::Array<PK::Guid> walls;
    torvel.Element_GetElemList(walls, API_WallID, APIFilt_OnVisLayer | APIFilt_OnActFloor, APIVarId_Generic,
                               PK::NULLGuid);
    EXPECT_EQ(walls, InHostOrder({wall, lockedWall}));
    EXPECT_TRUE(torvel.Element_Filter(wall, APIFilt_IsEditable));
    EXPECT_FALSE(torvel.Element_Filter(lockedWall, APIFilt_IsEditable));

    API_Elem_Head head;
    head.guid = lockedWall;
    torvel.Element_GetHeader(head, 0);
    EXPECT_EQ(head.typeID, API_WallID);
    EXPECT_NE(head.lockId, 0);
    const PK::Guid section = project.AddSectionElement(lockedWall);
    API_Element element;
    torvel.Element_Get(section, element, 0);
    EXPECT_EQ(element.sectElem.parentGuid, lockedWall);

    project.DeleteElement(wall);
    EXPECT_FALSE(torvel.Element_Filter(wall, APIFilt_None));
    head.guid = wall;
    EXPECT_THROW(torvel.Element_GetHeader(head, 0), Api::Error<APIERR_DELETED>);
}

TEST_F(TorvelOperations, HierarchyAndElementTypeUtilities) {
    const PK::Guid curtainWall = project.AddElement(API_CurtainWallID);
    const PK::Guid panel = project.AddElement(API_CurtainWallPanelID, {.owner = curtainWall});
    const Api::HierarchicalOwner ofPanel = torvel.GetHierarchicalElementOwner(panel, API_RootHierarchicalOwner);
    EXPECT_EQ(ofPanel.elemKind, API_SubElem);
    EXPECT_EQ(ofPanel.ownerGuid, curtainWall);
    EXPECT_EQ(torvel.Goodies_NeigIDToElemTypeID(APINeig_Ceil), API_SlabID);
    EXPECT_EQ(torvel.Goodies_GetElemTypeNameID(API_CurtainWallPanelID), PK::UniString("Curtain Wall Panel"));
    EXPECT_NE(torvel.GenerateGuid(), torvel.GenerateGuid());
}

TEST_F(TorvelOperations, ClassificationSystemsItemsAndElementClassification) {
    const PK::Guid wall = project.AddElement(API_WallID);
    API_ClassificationSystem system;
    API_ClassificationItem a, b, a1, first;
    InCommand([&] {
        system.name = "Clauses";
        torvel.Classification_CreateClassificationSystem(system);
        a.id = "A";
        torvel.Classification_CreateClassificationItem(a, system.guid, PK::NULLGuid, PK::NULLGuid);
        b.id = "B";
        torvel.Classification_CreateClassificationItem(b, system.guid, PK::NULLGuid, PK::NULLGuid);
        a1.id = "A1";
        torvel.Classification_CreateClassificationItem(a1, system.guid, a.guid, PK::NULLGuid);
        first.id = "0";
        torvel.Classification_CreateClassificationItem(first, system.guid, PK::NULLGuid, a.guid);
        torvel.Element_AddClassificationItem(wall, b.guid);
    });
    EXPECT_EQ(torvel.Classification_GetClassificationSystems().GetSize(), 1u);
    EXPECT_EQ(Ids(torvel.Classification_GetClassificationSystemRootItems(system.guid)),
              (std::vector<std::string>{"0", "A", "B"}));
    EXPECT_EQ(Ids(torvel.Helper_Classification_GetAllClassificationItemsOfSystem(system.guid)),
              (std::vector<std::string>{"0", "A", "A1", "B"}));
    EXPECT_EQ(torvel.Helper_Classification_GetClassificationItemsByIdInSystem(system.guid).Get("A1").guid, a1.guid);
    EXPECT_EQ(torvel.Classification_GetClassificationItemSystem(a1.guid).name, PK::UniString("Clauses"));
    API_ClassificationItem read;
    read.guid = a1.guid;
    torvel.Classification_GetClassificationItem(read);
    EXPECT_EQ(read.id, PK::UniString("A1"));
    EXPECT_EQ(torvel.Element_GetClassificationInSystem(wall, system.guid).guid, b.guid);
    EXPECT_EQ(torvel.Element_GetElementsWithClassification(b.guid), PK::Array<PK::Guid>{wall});

    InCommand([&] {
        torvel.Element_RemoveClassificationItem(wall, b.guid);
        system.name = "Renamed";
        torvel.Classification_ChangeClassificationSystem(system);
    });
    EXPECT_EQ(project.GetItemOf(wall, system.guid), PK::NULLGuid);
    EXPECT_EQ(torvel.Classification_GetClassificationSystem(system.guid).name, PK::UniString("Renamed"));
    InCommand([&] { torvel.Classification_DeleteClassificationSystem(system.guid); });
    EXPECT_FALSE(project.HasClassificationItem(a1.guid));
    EXPECT_EQ(project.GetUndoSteps().size(), 3u);
}

TEST_F(TorvelOperations, PropertyGroupsDefinitionsAndElementValuesReadBackAsWritten) {
    const PK::Guid item = project.AddClassificationItem(project.AddClassificationSystem("Clauses"), "A10");
    const PK::Guid wall = project.AddElement(API_WallID);
    const PK::Guid slab = project.AddElement(API_SlabID);
    project.Classify(wall, item);
    project.Classify(slab, item);

    API_PropertyGroup group;
    API_PropertyDefinition code;
    InCommand([&] {
        group.groupType = API_PropertyCustomGroupType;
        group.name = "Spec";
        torvel.Property_CreatePropertyGroup(group);
        code.groupGuid = group.guid;
        code.name = "OrvoTessaryCode";
        code.definitionType = API_PropertyCustomDefinitionType;
        code.collectionType = API_PropertySingleCollectionType;
        code.valueType = API_PropertyStringValueType;
        code.defaultValue.basicValue.singleVariant.variant.uniStringValue = "-";
        code.canValueBeEditable = true;
        torvel.Property_CreatePropertyDefinition(code);
    });
    EXPECT_FALSE(torvel.Element_IsPropertyDefinitionAvailable(wall, code.guid));
    InCommand([&] {
        code.availability.Push(item);
        torvel.Property_ChangePropertyDefinition(code);
        torvel.Element_SetProperties(wall, {TextProperty(code.guid, "A10")});
        torvel.ElementList_ModifyPropertyValue(TextProperty(code.guid, "B20"), {slab});
    });
    EXPECT_TRUE(torvel.Element_IsPropertyDefinitionAvailable(wall, code.guid));
    EXPECT_EQ(project.GetPropertyText(slab, code.guid), PK::UniString("B20"));
    PK::Array<API_Property> values = torvel.Element_GetPropertyValuesByGuid(wall, {code.guid});
    ASSERT_EQ(values.GetSize(), 1u);
    EXPECT_FALSE(values[0].isDefault);
    EXPECT_EQ(values[0].value.singleVariant.variant.uniStringValue, PK::UniString("A10"));

    API_PropertyDefinition read;
    read.guid = code.guid;
    torvel.Property_GetPropertyDefinition(read);
    EXPECT_EQ(read.availability, PK::Array<PK::Guid>{item});
    EXPECT_EQ(torvel.Property_GetPropertyDefinitions(group.guid).GetSize(), 1u);
    group.name = "Spec renamed";
    InCommand([&] { torvel.Property_ChangePropertyGroup(group); });
    EXPECT_EQ(torvel.Property_GetPropertyGroup(group.guid).name, PK::UniString("Spec renamed"));
    EXPECT_EQ(torvel.Property_GetPropertyGroups().GetSize(), 1u);
    InCommand([&] { torvel.Property_DeletePropertyGroup(group.guid); });
    EXPECT_THROW(torvel.Property_GetPropertyGroup(group.guid), Api::Error<APIERR_BADID>);
}

TEST_F(TorvelOperations, ModuleDataIsStoredListedReadAndErasedWithoutLosingABlock) {
    API_ModulData data;
    data.dataVersion = 1;
    data.platformSign = 0x6D6D;
    BMPtrToHandle("abc", &data.dataHdl, 3);
    InCommand([&] {
        torvel.ModulData_Store("ConnectionWithSpecification:1", data);
        torvel.ModulData_Store("ConnectionWithSpecification:0", data);
    });
    BMKillHandle(&data.dataHdl);
    EXPECT_EQ(torvel.ModulData_GetList(),
              (PK::Array<PK::UniString>{"ConnectionWithSpecification:0", "ConnectionWithSpecification:1"}));

    Api::ModulDataWrapper read;
    ASSERT_TRUE(torvel.ModulData_Get("ConnectionWithSpecification:1", *read.GetPtr()));
    EXPECT_EQ(read.ToHexEncodedString(), "616263");
    // Reading again into a record that still owns a block must not lose that block.
    ASSERT_TRUE(torvel.ModulData_Get("ConnectionWithSpecification:0", *read.GetPtr()));
    EXPECT_FALSE(torvel.ModulData_Get("never stored", *read.GetPtr()));

    InCommand([&] { torvel.ModulData_Erase("ConnectionWithSpecification:1"); });
    EXPECT_EQ(project.GetModulDataNames(), PK::Array<PK::UniString>{"ConnectionWithSpecification:0"});
    EXPECT_THROW(torvel.ModulData_Erase("ConnectionWithSpecification:0"), Api::Error<APIERR_NEEDSUNDOSCOPE>);

    project.StoreModulData("empty", TVSim::ModulData{1, 0x6D6D, std::nullopt});
    EXPECT_FALSE(torvel.ModulData_Get("empty", *read.GetPtr()));
    EXPECT_TRUE(log.Has(spdlog::level::err, "Torvel::ModulData_Get: has modul data but it is null"));
}

TEST_F(TorvelOperations, AddOnObjectsAreCreatedFoundFilledAndReservedInTeamWork) {
    PK::Guid planData;
    InCommand([&] {
        planData = torvel.AddOnObject_CreateUniqueObject("PlanData");
        EXPECT_THROW(torvel.AddOnObject_CreateUniqueObject("PlanData"), Api::Error<APIERR_NAMEALREADYUSED>);
    });
    EXPECT_EQ(torvel.AddOnObject_GetUniqueObjectGuidFromName("PlanData"), planData);
    EXPECT_TRUE(torvel.AddOnObject_GetUniqueObjectGuidFromName("Other").IsNull());
    EXPECT_TRUE(torvel.AddOnObject_GetObjectContent(planData).content.IsNull());

    project.SetShared(true);
    EXPECT_TRUE(torvel.TeamworkControl_HasConnection());
    PKHandle block = nullptr;
    BMPtrToHandle("id", &block, 2);
    Api::PKHandleWrapper bytes(std::move(block));
    InCommand([&] {
        EXPECT_THROW(torvel.AddOnObject_ModifyObject(planData, bytes.Get()), Api::Error<APIERR_NOTMINE>);
        torvel.AddOnObject_ReserveObject(planData);
        torvel.AddOnObject_ModifyObject(planData, bytes.Get());
        torvel.AddOnObject_ReleaseObject(planData);
    });
    Api::AddOnObjectContent content = torvel.AddOnObject_GetObjectContent(planData);
    EXPECT_EQ(content.name, PK::UniString("PlanData"));
    EXPECT_EQ(content.content.ToHexEncodedString(), "6964");
    EXPECT_EQ(torvel.AddOnObject_GetObjectList(), PK::Array<PK::Guid>{planData});

    project.ReserveAddOnObjectByOther(planData, "Bea");
    EXPECT_THROW(torvel.AddOnObject_ReserveObject(planData), Api::Error<APIERR_NOTMINE>);
    project.ReleaseAddOnObject(planData);
    torvel.AddOnObject_ReserveObject(planData);
    InCommand([&] { torvel.AddOnObject_DeleteObject(planData); });
    EXPECT_FALSE(torvel.AddOnObject_ExistsObject(planData));
}

TEST_F(TorvelOperations, TheLockableSetOfClassificationsAndPropertiesAndElementSets) {
    project.SetShared(true);
    const PK::Guid set =
        torvel.TeamworkControl_FindLockableObjectSet(Api::Torvel::ObjectSet::ClassificationsAndProperties);
    EXPECT_EQ(set, project.GetLockableSetGuid());
    EXPECT_EQ(torvel.TeamworkControl_GetLockableStatus(set, nullptr), APILockableStatus_Free);
    project.SetLockableStatus(APILockableStatus_Locked, {"Bea"});
    PK::PagedArray<PK::UniString, 8u> conflicts;
    EXPECT_EQ(torvel.TeamworkControl_GetLockableStatus(set, &conflicts), APILockableStatus_Locked);
    EXPECT_EQ(conflicts.GetSize(), 1u);
    // Any other set is asked for by the empty name, which the host does not know.
    EXPECT_TRUE(torvel.TeamworkControl_FindLockableObjectSet(static_cast<Api::Torvel::ObjectSet>(2)).IsNull());
    EXPECT_EQ(TVSim::Journal::GetCalls().back().args, "\"\"");

    const PK::Guid wall = project.AddElement(API_WallID);
    API_UserData data;
    data.dataVersion = 3;
    PK::Guid elementSet;
    InCommand([&] { elementSet = torvel.ElementSet_Create({wall}, &data); });
    PK::Array<PK::Guid> elements, sets;
    API_UserData read;
    torvel.ElementSet_GetData(elementSet, elements, &read);
    EXPECT_EQ(elements, PK::Array<PK::Guid>{wall});
    EXPECT_EQ(read.dataVersion, 3);
    torvel.ElementSet_Identify(wall, sets);
    EXPECT_EQ(sets, PK::Array<PK::Guid>{elementSet});
    InCommand([&] {
        torvel.ElementSet_Delete(elementSet);
        EXPECT_THROW(torvel.ElementSet_Delete(elementSet), Api::Error<APIERR_BADID>);
    });
}

TEST_F(TorvelOperations, AFailingCommandKeepsWhatItChangedAsOneUndoStep) {
    const PK::Guid wall = project.AddElement(API_WallID);
    const PK::Guid system = project.AddClassificationSystem("Clauses");
    const PK::Guid item = project.AddClassificationItem(system, "A10");
    torvel.CallUndoableCommand("Associate A10", [&] {
        torvel.Element_AddClassificationItem(wall, item);
        throw std::runtime_error("halfway");
    });
    EXPECT_EQ(project.GetItemOf(wall, system), item);
    ASSERT_EQ(project.GetUndoSteps().size(), 1u);
    EXPECT_EQ(project.GetUndoSteps()[0].name, PK::UniString("Associate A10"));
    EXPECT_EQ(project.GetUndoSteps()[0].changes, std::vector<std::string>{"TVAPI_Element_AddClassificationItem"});
    EXPECT_EQ(project.GetUndoSteps()[0].result, NoError);
    ASSERT_EQ(log.Records().size(), 1u);
    EXPECT_EQ(log.Records()[0].message, "exception: halfway");
    EXPECT_EQ(log.Records()[0].level, spdlog::level::err);
    EXPECT_EQ(log.Records()[0].function, "operator()");
}

TEST_F(TorvelOperations, CommandsOutsideTheUndoHistoryNestedCommandsAndEmptyOnes) {
    torvel.CallCommand("Refresh", [&] { torvel.CallUndoableCommand("inner", [] { throw 7; }); });
    torvel.CallUndoableCommand("nothing", Api::Torvel::Command());
    ASSERT_EQ(project.GetUndoSteps().size(), 2u);
    EXPECT_FALSE(project.GetUndoSteps()[0].undoable);
    EXPECT_EQ(log.Messages(), (std::vector<std::string>{"unknown exception!", "exception: bad_function_call"}));
    EXPECT_TRUE(TVSim::Events::GetEscapedExceptions().empty());
}

TEST_F(TorvelOperations, ResourceStrings) {
    EXPECT_EQ(torvel.GetResourceString(32000, 1), PK::UniString("OrvoTessaryConnect"));
    EXPECT_EQ(torvel.GetResourceString(32000, 99), PK::UniString());
    EXPECT_TRUE(log.Has(spdlog::level::critical, "Missing resource string. resID(32000), index(99)"));
}
