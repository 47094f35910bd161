// What the simulated host demands of changes to the project as a whole, where
// the add-on's scenarios always comply: a command scope for stored data,
// unique names, the team-work reservations, stored views that still match,
// and lists in the host's own order.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "TVSim/Sim.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/HostCalls.hpp"

namespace {

using TestSupport::InHostCommand;

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
    API_Guid set;
    PK::Array<API_Guid> elements{wall};
    InHostCommand([&] { return TVAPI_ElementSet_Create(&elements, nullptr, &set); });
    const API_ModulData data{1, 0x6D6D, nullptr};
    API_Guid created;
    const std::vector<std::function<GSErrCode()>> changes = {
        [&] { return TVAPI_ModulData_Store(&data, "New"); },
        [&] { return TVAPI_AddOnObject_CreateUniqueObject("New", &created); },
        [&] { return TVAPI_AddOnObject_ModifyObject(object, nullptr, nullptr); },
        [&] { return TVAPI_ElementSet_Create(&elements, nullptr, &created); },
        [&] { return TVAPI_ElementSet_Delete(set); },
        [&] { return TVAPI_Element_AddClassificationItem(wall, item); },
        [] { return CreateSystem("T"); },
        [] { return CreateGroup("P"); },
        [&] { return TVAPI_AddOnObject_DeleteObject(object); },
    };
    for (std::size_t n = 0; n < changes.size(); ++n) {
        EXPECT_EQ(changes[n](), APIERR_NEEDSUNDOSCOPE) << "change " << n;
        EXPECT_EQ(InHostCommand(changes[n]), NoError) << "change " << n;
    }
}

TEST(SimulatedHostProject, NamesAreUniqueWhereTheHostSaysSoAndFreedWithWhatCarriedThem) {
    TVSim::Project& project = TVSim::OpenProject();
    TVSim::Commands::SetUndoScopeRequired(false);
    ASSERT_EQ(CreateGroup("Spec"), NoError);
    API_PropertyDefinition definition;
    definition.groupGuid = project.FindPropertyGroup("Spec");
    definition.name = "Code";
    ASSERT_EQ(TVAPI_Property_CreatePropertyDefinition(definition), NoError);
    definition.guid = APINULLGuid;
    EXPECT_EQ(TVAPI_Property_CreatePropertyDefinition(definition), APIERR_NAMEALREADYUSED);

    ASSERT_EQ(CreateSystem("Clauses"), NoError);
    EXPECT_EQ(CreateSystem("Clauses"), APIERR_NAMEALREADYUSED);
    const API_Guid clauses = project.GetClassificationSystems()[0];
    ASSERT_EQ(CreateItem(clauses, "A10"), NoError);
    EXPECT_EQ(CreateItem(clauses, "A10"), APIERR_NAMEALREADYUSED);
    project.DeleteClassificationItem(project.FindClassificationItem(clauses, "A10"));
    EXPECT_EQ(CreateItem(clauses, "A10"), NoError) << "the id left with its item";
}

TEST(SimulatedHostProject, ASharedProjectChangesClassificationsOnlyUnderThisUsersReservationAndObjectsLikewise) {
    TVSim::Project& project = TVSim::OpenProject();
    TVSim::Commands::SetUndoScopeRequired(false);
    const API_Guid object = project.AddAddOnObject("PlanData");
    project.SetShared(true);
    EXPECT_EQ(TVAPI_AddOnObject_ModifyObject(object, nullptr, nullptr), APIERR_NOTMINE);
    const std::vector<std::function<void()>> refusingStates = {
        [] {},  // free, as a shared project starts
        [&] { project.SetLockableStatus(APILockableStatus_Locked, {"Bea"}); },
        [&] { project.SetLockableStatus(APILockableStatus_NotAvailable); },
    };
    int n = 0;
    for (const auto& makeState : refusingStates) {
        makeState();
        EXPECT_EQ(CreateSystem(fmt::format("N{}", ++n).c_str()), APIERR_NOACCESSRIGHT) << n;
    }
    project.ReserveClassificationsAndProperties();
    EXPECT_EQ(CreateSystem("Mine"), NoError);
}

TEST(SimulatedHostProject, AStoredViewOpensOnlyWhenItsTypeAndIndexStillMatchItsDatabase) {
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid section = project.AddWindow(APIWind_SectionID, 4, "Section 4");
    for (const auto& [type, index] : {std::pair{APIWind_ElevationID, 4}, std::pair{APIWind_SectionID, 5}}) {
        API_WindowInfo info;
        info.typeID = type;
        info.index = index;
        info.databaseUnId = section;
        EXPECT_EQ(TVAPI_Automate(APIDo_ChangeWindowID, &info), APIERR_BADDATABASE) << index;
    }
    EXPECT_NE(project.GetCurrentWindow().databaseUnId, section);
}

TEST(SimulatedHostProject, ListsComeInTheHostsOwnOrderNotInTheOrderOfMaking) {
    TVSim::Project& project = TVSim::OpenProject();
    TVSim::Commands::SetUndoScopeRequired(false);
    const API_Guid group = project.AddPropertyGroup("P");
    for (int n = 0; n < 8; ++n) {
        project.AddElement(API_WallID);
        API_PropertyDefinition definition;
        definition.groupGuid = group;
        definition.name = fmt::format("D{}", n);
        TVAPI_Property_CreatePropertyDefinition(definition);
    }
    auto inHostOrder = [](const std::vector<API_Guid>& list) {
        return std::is_sorted(list.begin(), list.end(), TVSim::HostOrder{});
    };
    PK::Array<API_Guid> walls;
    TVAPI_Element_GetElemList(API_ZombieElemID, &walls, APIFilt_None);
    EXPECT_TRUE(inHostOrder(std::vector<API_Guid>(walls.begin(), walls.end())));
    PK::Array<API_PropertyDefinition> definitions;
    TVAPI_Property_GetPropertyDefinitions(group, definitions);
    std::vector<API_Guid> guids;
    for (const auto& definition : definitions) guids.push_back(definition.guid);
    EXPECT_TRUE(inHostOrder(guids));
}
