// What the simulated host demands of changes to the project as a whole: a
// command scope for stored data, unique names, the team-work reservation of
// classifications and properties, stored views that still match, and lists
// in the host's own order.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "TVSim/Sim.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/HostCalls.hpp"

namespace {

using TestSupport::InHostCommand;

// A GUID whose place in the host's order is its number (below 256).
API_Guid G(PK::UInt32 n) {
    API_Guid guid;
    guid.time_low = n;
    return guid;
}

GSErrCode CreateSystem(const char* name, const API_Guid& guid = APINULLGuid) {
    API_ClassificationSystem system;
    system.guid = guid;
    system.name = name;
    return TVAPI_Classification_CreateClassificationSystem(system);
}

GSErrCode CreateGroup(const char* name, const API_Guid& guid = APINULLGuid) {
    API_PropertyGroup group;
    group.guid = guid;
    group.name = name;
    return TVAPI_Property_CreatePropertyGroup(group);
}

GSErrCode CreateItem(const API_Guid& system, const char* id) {
    API_ClassificationItem item;
    item.id = id;
    return TVAPI_Classification_CreateClassificationItem(item, system, APINULLGuid, APINULLGuid);
}

}  // namespace

TEST(SimulatedHostProject, EveryChangeOfStoredDataNeedsACommandScope) {
    TestSupport::HandleLeakCheck noLeaks;
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid object = project.AddAddOnObject("Kept");
    const API_Guid wall = project.AddElement(API_WallID);
    const API_Guid item = project.AddClassificationItem(project.AddClassificationSystem("S"), "A");
    project.StoreModulData("Kept", {1, 0x6D6D, std::vector<char>{'k'}});
    API_Guid set;
    PK::Array<API_Guid> elements{wall};
    InHostCommand([&] { return TVAPI_ElementSet_Create(&elements, nullptr, &set); });
    PKHandle content = nullptr;
    BMPtrToHandle("c", &content, 1);
    const API_ModulData data{1, 0x6D6D, content};

    struct Row {
        const char* change;
        std::function<GSErrCode()> make;
    };
    const std::vector<Row> rows = {
        {"store module data", [&] { return TVAPI_ModulData_Store(&data, "New"); }},
        {"erase module data", [] { return TVAPI_ModulData_Store(nullptr, "Kept"); }},
        {"create an add-on object",
         [] {
             API_Guid created;
             return TVAPI_AddOnObject_CreateUniqueObject("New", &created);
         }},
        {"modify an add-on object", [&] { return TVAPI_AddOnObject_ModifyObject(object, nullptr, &content); }},
        {"delete an add-on object", [&] { return TVAPI_AddOnObject_DeleteObject(object); }},
        {"create an element set",
         [&] {
             API_Guid created;
             return TVAPI_ElementSet_Create(&elements, nullptr, &created);
         }},
        {"delete an element set", [&] { return TVAPI_ElementSet_Delete(set); }},
        {"classify an element", [&] { return TVAPI_Element_AddClassificationItem(wall, item); }},
        {"create a classification system", [] { return CreateSystem("T"); }},
        {"create a property group", [] { return CreateGroup("P"); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.change);
        EXPECT_EQ(row.make(), APIERR_NEEDSUNDOSCOPE);
    }
    // Nothing the refused calls would have changed has changed.
    EXPECT_EQ(project.GetModulDataNames(), PK::Array<PK::UniString>{"Kept"});
    EXPECT_EQ(project.FindAddOnObject("New"), nullptr);
    ASSERT_NE(project.GetAddOnObject(object), nullptr);
    EXPECT_FALSE(project.GetAddOnObject(object)->content.has_value());
    PK::Array<API_Guid> sets;
    TVAPI_ElementSet_Identify(wall, &sets);
    EXPECT_EQ(sets, PK::Array<API_Guid>{set});

    for (const Row& row : rows) {
        SCOPED_TRACE(row.change);
        EXPECT_EQ(InHostCommand(row.make), NoError);
    }
    BMKillHandle(&content);
}

TEST(SimulatedHostProject, NamesAreUniqueWhereTheHostSaysSoAndFreedWithWhatCarriedThem) {
    TVSim::Project& project = TVSim::OpenProject();
    TVSim::Commands::SetUndoScopeRequired(false);
    ASSERT_EQ(CreateGroup("Spec"), NoError);
    EXPECT_EQ(CreateGroup("Spec"), APIERR_NAMEALREADYUSED);
    API_PropertyDefinition definition;
    definition.groupGuid = project.FindPropertyGroup("Spec");
    definition.name = "Code";
    ASSERT_EQ(TVAPI_Property_CreatePropertyDefinition(definition), NoError);
    definition.guid = APINULLGuid;
    EXPECT_EQ(TVAPI_Property_CreatePropertyDefinition(definition), APIERR_NAMEALREADYUSED);
    ASSERT_EQ(CreateGroup("Other"), NoError);
    definition.groupGuid = project.FindPropertyGroup("Other");
    EXPECT_EQ(TVAPI_Property_CreatePropertyDefinition(definition), NoError) << "another group";

    ASSERT_EQ(CreateSystem("Clauses"), NoError);
    EXPECT_EQ(CreateSystem("Clauses"), APIERR_NAMEALREADYUSED);
    const API_Guid clauses = project.GetClassificationSystems()[0];
    const API_Guid other = project.AddClassificationSystem("Other");
    ASSERT_EQ(CreateItem(clauses, "A10"), NoError);
    EXPECT_EQ(CreateItem(clauses, "A10"), APIERR_NAMEALREADYUSED);
    EXPECT_EQ(CreateItem(other, "A10"), NoError) << "another system";
    project.DeleteClassificationItem(project.FindClassificationItem(clauses, "A10"));
    EXPECT_EQ(CreateItem(clauses, "A10"), NoError) << "the id left with its item";
    project.DeleteClassificationSystem(other);
    const API_Guid again = project.AddClassificationSystem("Other");
    EXPECT_EQ(CreateItem(again, "A10"), NoError) << "the ids left with their system";
}

TEST(SimulatedHostProject, ClassificationsAndPropertiesOfASharedProjectChangeOnlyUnderThisUsersReservation) {
    TVSim::Project& project = TVSim::OpenProject();
    TVSim::Commands::SetUndoScopeRequired(false);
    project.SetShared(true);
    struct Row {
        const char* state;
        std::function<void()> make;
        GSErrCode group, system;
    };
    constexpr GSErrCode refused = APIERR_NOACCESSRIGHT;
    const std::vector<Row> rows = {
        {"free, as a shared project starts", [] {}, refused, refused},
        {"reserved by this user", [&] { project.ReserveClassificationsAndProperties(); }, NoError, NoError},
        {"released again", [&] { project.ReleaseClassificationsAndProperties(); }, refused, refused},
        {"locked by another member", [&] { project.SetLockableStatus(APILockableStatus_Locked, {"Bea"}); }, refused,
         refused},
        {"not available", [&] { project.SetLockableStatus(APILockableStatus_NotAvailable); }, refused, refused},
        {"reserved, without the property right",
         [&] {
             project.ReserveClassificationsAndProperties();
             project.SetPropertyAccessRight(false);
         },
         refused, NoError},
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.state);
        row.make();
        const std::string name = fmt::format("N{}", ++n);
        EXPECT_EQ(CreateGroup(name.c_str()), row.group);
        EXPECT_EQ(CreateSystem(name.c_str()), row.system);
        PK::Array<API_ClassificationSystem> systems;
        EXPECT_EQ(TVAPI_Classification_GetClassificationSystems(systems), NoError) << "reading is always allowed";
    }
    const API_Guid set = TVAPI_TeamworkControl_FindLockableObjectSet("ClassificationsAndProperties");
    EXPECT_EQ(TVAPI_TeamworkControl_GetLockableStatus(set), APILockableStatus_Editable);
    project.ReleaseClassificationsAndProperties();
    EXPECT_EQ(TVAPI_TeamworkControl_GetLockableStatus(set), APILockableStatus_Free);
}

TEST(SimulatedHostProject, AStoredViewOpensOnlyWhenItsTypeAndIndexStillMatchItsDatabase) {
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid section = project.AddWindow(APIWind_SectionID, 4, "Section 4");
    struct Row {
        API_WindowTypeID type;
        PK::Int32 index;
        API_Guid guid;
        GSErrCode answer;
    };
    const std::vector<Row> rows = {
        {APIWind_SectionID, 4, section, NoError},
        {APIWind_ElevationID, 4, section, APIERR_BADDATABASE},
        {APIWind_SectionID, 5, section, APIERR_BADDATABASE},
        {APIWind_SectionID, 4, G(9), APIERR_BADDATABASE},
        {APIWind_SectionID, 4, APINULLGuid, NoError},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(fmt::format("{}/{}", static_cast<int>(row.type), row.index));
        API_WindowInfo info;
        info.typeID = row.type;
        info.index = row.index;
        info.databaseUnId = row.guid;
        API_WindowInfo asked = info;
        EXPECT_EQ(TVAPI_Database(APIDb_GetDatabaseInfoID, &asked), row.answer);
        EXPECT_EQ(TVAPI_Automate(APIDo_ChangeWindowID, &info), row.answer);
        EXPECT_EQ(project.GetCurrentWindow().databaseUnId == section, row.answer == NoError);
        project.SetCurrentWindow(project.FindWindow(APIWind_FloorPlanID));
    }
}

TEST(SimulatedHostProject, ListsComeInTheHostsOwnOrderNotInTheOrderOfMaking) {
    TVSim::SeedGuids(11);
    TVSim::Project& project = TVSim::OpenProject();
    TVSim::Commands::SetUndoScopeRequired(false);
    CreateSystem("S", G(50));
    const API_Guid item = project.AddClassificationItem(G(50), "A");
    for (PK::UInt32 n : {3u, 1u, 2u}) {
        project.Classify(project.AddElement(API_WallID, {.guid = G(n)}), item);
        CreateSystem(fmt::format("S{}", n).c_str(), G(10 + n));
        CreateGroup(fmt::format("P{}", n).c_str(), G(20 + n));
        API_PropertyDefinition definition;
        definition.guid = G(30 + n);
        definition.groupGuid = G(23);
        definition.name = fmt::format("D{}", n);
        TVAPI_Property_CreatePropertyDefinition(definition);
        project.StoreModulData(fmt::format("M{}", n), {});
    }
    project.SetSelection({G(3), G(1), G(2)});
    PK::Array<API_Guid> one{G(1)};
    for (int n = 0; n < 8; ++n) {
        project.AddAddOnObject(fmt::format("O{}", n));
        API_Guid set;
        TVAPI_ElementSet_Create(&one, nullptr, &set);
    }

    auto guids = [](PK::Array<API_Guid> list) { return std::vector<API_Guid>(list.begin(), list.end()); };
    auto ordered = [](std::vector<API_Guid> list) {
        std::sort(list.begin(), list.end(), TVSim::HostOrder{});
        return list;
    };
    PK::Array<API_Guid> list;
    TVAPI_Element_GetElemList(API_WallID, &list, APIFilt_None);
    EXPECT_EQ(guids(list), (std::vector<API_Guid>{G(1), G(2), G(3)}));
    TVAPI_Element_GetElemList(API_ZombieElemID, &list, APIFilt_None);
    EXPECT_EQ(guids(list), (std::vector<API_Guid>{G(1), G(2), G(3)}));
    TVAPI_Element_GetElementsWithClassification(item, list);
    EXPECT_EQ(guids(list), (std::vector<API_Guid>{G(1), G(2), G(3)}));
    API_SelectionInfo info;
    PK::Array<API_Neig> selected;
    TVAPI_Selection_Get(&info, &selected, false, false, API_NoRelativePos);
    ASSERT_EQ(selected.GetSize(), 3u);
    EXPECT_EQ(selected[0].guid, G(1));
    EXPECT_EQ(selected[2].guid, G(3));
    PK::Array<API_ClassificationSystem> systems;
    TVAPI_Classification_GetClassificationSystems(systems);
    ASSERT_EQ(systems.GetSize(), 4u);
    EXPECT_EQ(systems[0].guid, G(11));
    EXPECT_EQ(systems[2].guid, G(13));
    PK::Array<API_PropertyGroup> groups;
    TVAPI_Property_GetPropertyGroups(groups);
    ASSERT_EQ(groups.GetSize(), 3u);
    EXPECT_EQ(groups[0].guid, G(21));
    PK::Array<API_PropertyDefinition> definitions;
    TVAPI_Property_GetPropertyDefinitions(G(23), definitions);
    ASSERT_EQ(definitions.GetSize(), 3u);
    EXPECT_EQ(definitions[0].guid, G(31));
    PK::Array<PK::UniString> names;
    TVAPI_ModulData_GetList(&names);
    EXPECT_EQ(names, (PK::Array<PK::UniString>{"M1", "M2", "M3"}));
    TVAPI_AddOnObject_GetObjectList(&list);
    EXPECT_EQ(list.GetSize(), 8u);
    EXPECT_EQ(guids(list), ordered(guids(list)));
    TVAPI_ElementSet_Identify(G(1), &list);
    EXPECT_EQ(list.GetSize(), 8u);
    EXPECT_EQ(guids(list), ordered(guids(list)));
}
