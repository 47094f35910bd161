// The host interface against a small simulated project, one family of
// operations at a time, checking the project afterwards.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "TVAPI/Sim.hpp"
#include "Torvel/Api/DatabaseId.hpp"
#include "Torvel/Api/ModulDataWrapper.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;
using TestSupport::LogCapture;

namespace {

class TorvelOperations : public TestSupport::HandleCheckedTest {
protected:
    TVSim::Project& project = TVSim::OpenProject();
    Implementation::Torvel torvel;
    LogCapture log;

    // Runs the body as one undoable command, as the model does for every change.
    void InCommand(const std::function<void()>& body) { torvel.CallUndoableCommand("test step", body); }
};

API_Property TextProperty(const PK::Guid& definition, const PK::UniString& text) {
    API_Property property;
    property.definition.guid = definition;
    property.value.variantStatus = API_VariantStatusNormal;
    property.value.singleVariant.variant.type = API_PropertyStringValueType;
    property.value.singleVariant.variant.uniStringValue = text;
    return property;
}

std::vector<std::string> Ids(const PK::Array<API_ClassificationItem>& items) {
    std::vector<std::string> ids;
    for (const auto& item : items) ids.push_back(item.id.ToCStr());
    return ids;
}

}  // namespace

TEST_F(TorvelOperations, EnvironmentApplicationAndProjectInformation) {
    TVSim::Application().mainVersion = 26;
    EXPECT_EQ(torvel.GetApplicationInfo().mainVersion, 26);

    project.SetSaved("House", "/projects/House.tvp");
    API_ProjectInfo info;
    ASSERT_TRUE(torvel.GetProjectInfo(info));
    ASSERT_NE(info.projectName, nullptr);
    EXPECT_EQ(*info.projectName, PK::UniString("House"));
    EXPECT_FALSE(info.isUntitled);
    delete info.projectName;
    delete info.projectPath;
    delete info.location;
}

TEST_F(TorvelOperations, StoriesAreNamedFromFirstToLastAndCanBeChanged) {
    project.SetStories(-1, {"Basement", "Ground", "First", "Roof"});
    Api::StoryInfo stories = torvel.Environment_GetStorySettings();
    EXPECT_EQ(stories.firstStory, -1);
    EXPECT_EQ(stories.lastStory, 2);
    EXPECT_EQ(stories.names, (PK::Array<PK::UniString>{"Basement", "Ground", "First", "Roof"}));

    API_StoryCmdType goTo;
    goTo.action = APIStory_GoTo;
    goTo.index = 2;
    torvel.Environment_ChangeStorySettings(goTo);
    EXPECT_EQ(project.GetCurrentStory(), 2);
    goTo.index = 7;
    EXPECT_THROW(torvel.Environment_ChangeStorySettings(goTo), Api::Error<APIERR_BADINDEX>);
}

TEST_F(TorvelOperations, StoryRecordsThatDoNotMatchTheRangeAreReadNoFurtherThanTheyReach) {
    project.SetStories(0, {"Ground", "First", "Second"});
    project.SetStoryHandleDefect(TVSim::StoryHandleDefect::ShortHandle);
    EXPECT_EQ(torvel.Environment_GetStorySettings().names, (PK::Array<PK::UniString>{"Ground", "First"}));
    project.SetStoryHandleDefect(TVSim::StoryHandleDefect::NullHandle);
    Api::StoryInfo stories = torvel.Environment_GetStorySettings();
    EXPECT_TRUE(stories.names.IsEmpty());
    EXPECT_EQ(stories.lastStory, 2);
}

TEST_F(TorvelOperations, WindowsDatabasesThe3DProjectionAndTheZoom) {
    const API_WindowInfo floorPlan = torvel.Database_GetCurrentWindow();
    EXPECT_EQ(floorPlan.typeID, APIWind_FloorPlanID);

    const Api::DatabaseId view3D(APIWind_3DModelID, 1, project.FindWindow(APIWind_3DModelID));
    EXPECT_EQ(torvel.Database_GetDatabaseInfo(view3D).title, PK::UniString("3D Window"));
    torvel.Automate_ChangeWindow(view3D);
    EXPECT_EQ(project.GetCurrentWindow().typeID, APIWind_3DModelID);
    EXPECT_THROW(torvel.Automate_ChangeWindow(Api::DatabaseId(APIWind_SectionID, 9, PK::NULLGuid)),
                 Api::Error<APIERR_BADDATABASE>);

    API_3DProjectionInfo projection;
    projection.isPersp = true;
    projection.azimuth = 45.0;
    torvel.Environment_Change3DProjectionSets(projection, true);
    EXPECT_TRUE(torvel.Environment_Get3DProjectionSets().isPersp);
    EXPECT_EQ(project.Get3DProjection().azimuth, 45.0);

    const PK::Guid wall = project.AddElement(API_WallID);
    project.SetSelection({wall});
    torvel.Do_ZoomToSelected();
    ASSERT_EQ(project.GetZooms().size(), 1u);
    EXPECT_EQ(project.GetZooms()[0], PK::Array<PK::Guid>{wall});

    API_NavigatorItem item;
    item.uName = "Ground Floor";
    const PK::Guid navigatorItem = project.AddNavigatorItem(item);
    EXPECT_EQ(torvel.Navigator_GetNavigatorItem(navigatorItem).uName, PK::UniString("Ground Floor"));
}

TEST_F(TorvelOperations, SelectionIsReadAndMadeThroughTheHost) {
    const PK::Guid wall = project.AddElement(API_WallID);
    const PK::Guid slab = project.AddElement(API_SlabID, {.locked = true});
    const PK::Guid door = project.AddElement(API_DoorID, {.variation = APIVarId_Door});

    torvel.Helper_ClearAndSelect(PK::Array<PK::Guid>{slab, wall});
    EXPECT_EQ(project.GetSelection(), (PK::Array<PK::Guid>{slab, wall}));
    Api::SelectionResult selection = torvel.Selection_Get(false, false, API_NoRelativePos);
    ASSERT_EQ(selection.neigs.GetSize(), 2u);
    EXPECT_EQ(selection.neigs[0].guid, slab);
    EXPECT_EQ(selection.neigs[1].neigID, APINeig_Wall);
    EXPECT_EQ(selection.selectionInfo.typeID, API_SelElems);
    EXPECT_EQ(selection.selectionInfo.sel_nElemEdit, 1);

    torvel.Element_Select({API_Neig{APINeig_Door, door}}, true);
    torvel.Element_Select({API_Neig{APINeig_Wall, wall}}, false);
    EXPECT_EQ(project.GetSelection(), (PK::Array<PK::Guid>{slab, door}));
    torvel.Helper_ClearAndSelect(PK::Array<PK::Guid>{});
    EXPECT_TRUE(project.GetSelection().IsEmpty());
}

TEST_F(TorvelOperations, AMarqueeSelectionLeavesNoHostMemoryBehind) {
    // The leak check of the fixture fails the test if the coordinates stay allocated.
    project.SetSelection({project.AddElement(API_WallID)});
    project.SetMarquee(API_MarqueePoly, 4);
    for (int i = 0; i < 3; ++i) {
        Api::SelectionResult selection = torvel.Selection_Get(false, false, API_NoRelativePos);
        EXPECT_EQ(selection.selectionInfo.typeID, API_MarqueePoly);
        EXPECT_EQ(selection.selectionInfo.marquee.coords, nullptr);
    }
}

TEST_F(TorvelOperations, ElementsAreListedFilteredAndReadAsTheirStateSays) {
    const PK::Int32 hidden = project.AddLayer("Hidden", {.hidden = true});
    const PK::Guid wall = project.AddElement(API_WallID);
    const PK::Guid lockedWall = project.AddElement(API_WallID, {.locked = true});
    const PK::Guid hiddenWall = project.AddElement(API_WallID, {.layer = hidden});
    const PK::Guid upstairs = project.AddElement(API_WallID, {.story = 1});
    project.AddElement(API_SlabID);

    PK::Array<PK::Guid> walls;
    torvel.Element_GetElemList(walls, API_WallID, APIFilt_OnVisLayer | APIFilt_OnActFloor, APIVarId_Generic,
                               PK::NULLGuid);
    EXPECT_EQ(walls, (PK::Array<PK::Guid>{wall, lockedWall}));
    EXPECT_TRUE(torvel.Element_Filter(wall, APIFilt_IsEditable));
    EXPECT_FALSE(torvel.Element_Filter(lockedWall, APIFilt_IsEditable));
    EXPECT_TRUE(torvel.Element_Filter(lockedWall, APIFilt_None));
    EXPECT_FALSE(torvel.Element_Filter(hiddenWall, APIFilt_OnVisLayer));
    EXPECT_TRUE(torvel.Element_Filter(upstairs, APIFilt_InMyWorkspace));
    project.DeleteElement(wall);
    EXPECT_FALSE(torvel.Element_Filter(wall, APIFilt_None));

    API_Elem_Head head;
    head.guid = lockedWall;
    torvel.Element_GetHeader(head, 0);
    EXPECT_EQ(head.typeID, API_WallID);
    EXPECT_NE(head.lockId, 0);
    head.guid = wall;
    EXPECT_THROW(torvel.Element_GetHeader(head, 0), Api::Error<APIERR_BADID>);

    const PK::Guid section = project.AddSectionElement(lockedWall);
    API_Element element;
    torvel.Element_Get(section, element, 0);
    EXPECT_EQ(element.header.typeID, API_SectElemID);
    EXPECT_EQ(element.sectElem.parentGuid, lockedWall);
}

TEST_F(TorvelOperations, HierarchyAndElementTypeUtilities) {
    const PK::Guid curtainWall = project.AddElement(API_CurtainWallID);
    const PK::Guid panel = project.AddElement(API_CurtainWallPanelID, {.owner = curtainWall});
    const Api::HierarchicalOwner ofPanel = torvel.GetHierarchicalElementOwner(panel, API_RootHierarchicalOwner);
    EXPECT_EQ(ofPanel.elemKind, API_SubElem);
    EXPECT_EQ(ofPanel.ownerGuid, curtainWall);
    EXPECT_EQ(torvel.GetHierarchicalElementOwner(curtainWall, API_RootHierarchicalOwner).elemKind, API_MainElem);

    EXPECT_EQ(torvel.Goodies_NeigIDToElemTypeID(APINeig_Ceil), API_SlabID);
    EXPECT_EQ(torvel.Goodies_GetElemTypeNameID(API_CurtainWallPanelID), PK::UniString("Curtain Wall Panel"));
    const PK::Guid a = torvel.GenerateGuid(), b = torvel.GenerateGuid();
    EXPECT_FALSE(a.IsNull());
    EXPECT_NE(a, b);
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
        torvel.Element_AddClassificationItem(wall, a1.guid);
        torvel.Element_AddClassificationItem(wall, b.guid);  // one item per system: replaces A1
    });
    EXPECT_EQ(torvel.Classification_GetClassificationSystems().GetSize(), 1u);
    EXPECT_EQ(Ids(torvel.Classification_GetClassificationSystemRootItems(system.guid)),
              (std::vector<std::string>{"0", "A", "B"}));
    EXPECT_EQ(Ids(torvel.Helper_Classification_GetAllClassificationItemsOfSystem(system.guid)),
              (std::vector<std::string>{"0", "A", "A1", "B"}));
    EXPECT_EQ(torvel.Helper_Classification_GetClassificationItemByIdInSystem("A1", system.guid).guid, a1.guid);
    EXPECT_EQ(torvel.Classification_GetClassificationItemSystem(a1.guid).name, PK::UniString("Clauses"));
    API_ClassificationItem read;
    read.guid = a1.guid;
    torvel.Classification_GetClassificationItem(read);
    EXPECT_EQ(read.id, PK::UniString("A1"));
    EXPECT_EQ(torvel.Element_GetClassificationInSystem(wall, system.guid).guid, b.guid);
    EXPECT_EQ(torvel.Element_GetElementsWithClassification(b.guid), PK::Array<PK::Guid>{wall});
    EXPECT_TRUE(torvel.Element_GetElementsWithClassification(a1.guid).IsEmpty());

    InCommand([&] {
        torvel.Element_RemoveClassificationItem(wall, b.guid);
        system.name = "Renamed";
        torvel.Classification_ChangeClassificationSystem(system);
    });
    EXPECT_EQ(project.GetItemOf(wall, system.guid), PK::NULLGuid);
    EXPECT_EQ(torvel.Classification_GetClassificationSystem(system.guid).name, PK::UniString("Renamed"));
    InCommand([&] { torvel.Classification_DeleteClassificationSystem(system.guid); });
    EXPECT_TRUE(project.GetClassificationSystems().IsEmpty());
    EXPECT_FALSE(project.HasClassificationItem(a1.guid));
    EXPECT_EQ(project.GetUndoSteps().size(), 3u);
}

TEST_F(TorvelOperations, PropertyGroupsDefinitionsAndElementValuesReadBackAsWritten) {
    const PK::Guid system = project.AddClassificationSystem("Clauses");
    const PK::Guid item = project.AddClassificationItem(system, "A10");
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
        torvel.Property_CreatePropertyDefinition(code);
    });
    EXPECT_FALSE(torvel.Element_IsPropertyDefinitionAvailable(wall, code.guid));
    InCommand([&] {
        EXPECT_THROW(torvel.Element_SetProperties(wall, {TextProperty(code.guid, "A10")}),
                     Api::Error<APIERR_BADPROPERTY>);
        code.availability.Push(item);
        torvel.Property_ChangePropertyDefinition(code);
        torvel.Element_SetProperties(wall, {TextProperty(code.guid, "A10")});
        torvel.ElementList_ModifyPropertyValue(TextProperty(code.guid, "B20"), {slab});
    });
    EXPECT_TRUE(torvel.Element_IsPropertyDefinitionAvailable(wall, code.guid));
    EXPECT_EQ(project.GetPropertyText(wall, code.guid), PK::UniString("A10"));
    EXPECT_EQ(project.GetPropertyText(slab, code.guid), PK::UniString("B20"));

    PK::Array<API_Property> values = torvel.Element_GetPropertyValuesByGuid(wall, {code.guid});
    ASSERT_EQ(values.GetSize(), 1u);
    EXPECT_FALSE(values[0].isDefault);
    EXPECT_EQ(values[0].value.singleVariant.variant.uniStringValue, PK::UniString("A10"));
    API_Property reset = TextProperty(code.guid, "");
    reset.isDefault = true;
    InCommand([&] { torvel.Element_SetProperties(wall, {reset}); });
    values = torvel.Element_GetPropertyValuesByGuid(wall, {code.guid});
    EXPECT_TRUE(values[0].isDefault);
    EXPECT_EQ(values[0].value.singleVariant.variant.uniStringValue, PK::UniString("-"));

    EXPECT_EQ(torvel.Property_GetPropertyDefinitions(group.guid).GetSize(), 1u);
    API_PropertyDefinition read;
    read.guid = code.guid;
    torvel.Property_GetPropertyDefinition(read);
    EXPECT_EQ(read.availability, PK::Array<PK::Guid>{item});
    group.name = "Spec renamed";
    InCommand([&] { torvel.Property_ChangePropertyGroup(group); });
    EXPECT_EQ(torvel.Property_GetPropertyGroup(group.guid).name, PK::UniString("Spec renamed"));
    EXPECT_EQ(torvel.Property_GetPropertyGroups().GetSize(), 1u);
    InCommand([&] { torvel.Property_DeletePropertyGroup(group.guid); });
    EXPECT_FALSE(project.HasPropertyDefinition(code.guid));
    EXPECT_THROW(torvel.Property_GetPropertyGroup(group.guid), Api::Error<APIERR_BADID>);
}

TEST_F(TorvelOperations, ModuleDataIsStoredListedInOrderReadAndErased) {
    API_ModulData first;
    first.dataVersion = 1;
    first.platformSign = 0x6D6D;
    BMPtrToHandle("abc", &first.dataHdl, 3);
    torvel.ModulData_Store("ConnectionWithSpecification:1", first);
    torvel.ModulData_Store("ConnectionWithSpecification:0", first);
    BMKillHandle(&first.dataHdl);
    EXPECT_EQ(torvel.ModulData_GetList(),
              (PK::Array<PK::UniString>{"ConnectionWithSpecification:1", "ConnectionWithSpecification:0"}));

    Api::ModulDataWrapper read;
    ASSERT_TRUE(torvel.ModulData_Get("ConnectionWithSpecification:1", *read.GetPtr()));
    EXPECT_EQ(read.ToHexEncodedString(), "616263");
    // Reading again into a record that still owns a block must not lose that block.
    ASSERT_TRUE(torvel.ModulData_Get("ConnectionWithSpecification:0", *read.GetPtr()));

    torvel.ModulData_Erase("ConnectionWithSpecification:1");
    EXPECT_EQ(project.GetModulDataNames(), PK::Array<PK::UniString>{"ConnectionWithSpecification:0"});
    EXPECT_THROW(torvel.ModulData_Erase("ConnectionWithSpecification:1"), Api::Error<APIERR_NOMODULEDATA>);
}

TEST_F(TorvelOperations, ModuleDataStoredWithoutABlockIsReportedAndNotFound) {
    project.StoreModulData("empty", TVSim::ModulData{1, 0x6D6D, std::nullopt});
    API_ModulData data;
    EXPECT_FALSE(torvel.ModulData_Get("empty", data));
    EXPECT_TRUE(log.Has(spdlog::level::err, "Torvel::ModulData_Get: has modul data but it is null"));
}

TEST_F(TorvelOperations, AddOnObjectsAreCreatedFoundFilledAndReservedInTeamWork) {
    const PK::Guid planData = torvel.AddOnObject_CreateUniqueObject("PlanData");
    EXPECT_THROW(torvel.AddOnObject_CreateUniqueObject("PlanData"), Api::Error<APIERR_NAMEALREADYUSED>);
    EXPECT_EQ(torvel.AddOnObject_GetUniqueObjectGuidFromName("PlanData"), planData);
    EXPECT_TRUE(torvel.AddOnObject_GetUniqueObjectGuidFromName("Other").IsNull());
    EXPECT_TRUE(torvel.AddOnObject_GetObjectContent(planData).content.IsNull());

    project.SetShared(true);
    EXPECT_TRUE(torvel.TeamworkControl_HasConnection());
    Api::PKHandleWrapper bytes = Api::PKHandleWrapper::CreateFromCopy(nullptr);
    PKHandle block = nullptr;
    BMPtrToHandle("id", &block, 2);
    bytes.Set(std::move(block));
    EXPECT_THROW(torvel.AddOnObject_ModifyObject(planData, bytes.Get()), Api::Error<APIERR_NOTMINE>);
    torvel.AddOnObject_ReserveObject(planData);
    torvel.AddOnObject_ModifyObject(planData, bytes.Get());
    torvel.AddOnObject_ReleaseObject(planData);

    Api::AddOnObjectContent content = torvel.AddOnObject_GetObjectContent(planData);
    EXPECT_EQ(content.name, PK::UniString("PlanData"));
    EXPECT_EQ(content.content.ToHexEncodedString(), "6964");
    EXPECT_EQ(torvel.AddOnObject_GetObjectList(), PK::Array<PK::Guid>{planData});
    EXPECT_TRUE(torvel.AddOnObject_ExistsObject(planData));

    project.ReserveAddOnObjectByOther(planData, "Bea");
    EXPECT_THROW(torvel.AddOnObject_ReserveObject(planData), Api::Error<APIERR_NOTMINE>);
    project.ReleaseAddOnObject(planData);
    torvel.AddOnObject_ReserveObject(planData);
    torvel.AddOnObject_DeleteObject(planData);
    EXPECT_FALSE(torvel.AddOnObject_ExistsObject(planData));
}

TEST_F(TorvelOperations, TheLockableSetOfClassificationsAndProperties) {
    project.SetShared(true);
    const PK::Guid set =
        torvel.TeamworkControl_FindLockableObjectSet(Api::Torvel::ObjectSet::ClassificationsAndProperties);
    EXPECT_EQ(set, project.GetLockableSetGuid());
    EXPECT_EQ(torvel.TeamworkControl_GetLockableStatus(set, nullptr), APILockableStatus_Editable);
    project.SetLockableStatus(APILockableStatus_Locked, {"Bea"});
    PK::PagedArray<PK::UniString, 8u> conflicts;
    EXPECT_EQ(torvel.TeamworkControl_GetLockableStatus(set, &conflicts), APILockableStatus_Locked);
    EXPECT_EQ(conflicts.GetSize(), 1u);

    // Any other set is asked for by the empty name, which the host does not know.
    EXPECT_TRUE(torvel.TeamworkControl_FindLockableObjectSet(static_cast<Api::Torvel::ObjectSet>(2)).IsNull());
    EXPECT_EQ(TVSim::Journal::GetCalls().back().args, "\"\"");
}

TEST_F(TorvelOperations, ElementSetsKeepTheirElementsAndUserData) {
    const PK::Guid wall = project.AddElement(API_WallID);
    API_UserData data;
    data.dataVersion = 3;
    const PK::Guid set = torvel.ElementSet_Create({wall}, &data);
    PK::Array<PK::Guid> elements, sets;
    API_UserData read;
    torvel.ElementSet_GetData(set, elements, &read);
    EXPECT_EQ(elements, PK::Array<PK::Guid>{wall});
    EXPECT_EQ(read.dataVersion, 3);
    torvel.ElementSet_Identify(wall, sets);
    EXPECT_EQ(sets, PK::Array<PK::Guid>{set});
    torvel.ElementSet_Delete(set);
    EXPECT_THROW(torvel.ElementSet_Delete(set), Api::Error<APIERR_BADID>);
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

    // Changes made outside a command are refused, as the host does.
    const PK::Guid wall = project.AddElement(API_WallID);
    const PK::Guid item = project.AddClassificationItem(project.AddClassificationSystem("S"), "X");
    EXPECT_THROW(torvel.Element_AddClassificationItem(wall, item), Api::Error<APIERR_NEEDSUNDOSCOPE>);
}

TEST_F(TorvelOperations, ResourceStringsAndTheProgressWindow) {
    EXPECT_EQ(torvel.GetResourceString(32000, 1), PK::UniString("OrvoTessaryConnect"));
    EXPECT_EQ(torvel.GetResourceString(32000, 99), PK::UniString());
    EXPECT_TRUE(log.Has(spdlog::level::critical, "Missing resource string. resID(32000), index(99)"));

    PK::UniString title = "Enumerating elements";
    PK::Int16 phases = 2;
    torvel.Interface(APIIo_OpenProgressWindowID, &title, &phases, nullptr, nullptr, nullptr);
    TVSim::Progress::SetCancelled(true);
    EXPECT_THROW(torvel.Interface(APIIo_IsProgressCancelledID, nullptr, nullptr, nullptr, nullptr, nullptr),
                 Api::Error<APIERR_CANCEL>);
    torvel.Interface(APIIo_CloseProgressWindowID, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(TVSim::Progress::IsOpen());
    EXPECT_EQ(TVSim::Progress::GetWindows().at(0).title, title);
}
