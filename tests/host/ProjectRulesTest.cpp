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
using Codes = std::vector<GSErrCode>;

GSErrCode CreateSystem(const char* name) {
    API_ClassificationSystem system;
    system.name = name;
    return TVAPI_Classification_CreateClassificationSystem(system);
}

GSErrCode CreateGroup(const char* name) {
    API_PropertyGroup group;
    group.name = name;
    return TVAPI_Property_CreatePropertyGroup(group);
}

GSErrCode CreateDefinition(const API_Guid& group, const std::string& name) {
    API_PropertyDefinition definition;
    definition.groupGuid = group;
    definition.name = name.c_str();
    return TVAPI_Property_CreatePropertyDefinition(definition);
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
    API_Guid set, created;
    PK::Array<API_Guid> elements{wall};
    InHostCommand([&] { return TVAPI_ElementSet_Create(&elements, nullptr, &set); });
    const API_ModulData data{1, 0x6D6D, nullptr};
    const std::function<GSErrCode()> changes[] = {
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
    for (const auto& change : changes)
        EXPECT_EQ((Codes{change(), InHostCommand(change)}), (Codes{APIERR_NEEDSUNDOSCOPE, NoError}));
}

TEST(SimulatedHostProject, NamesAreUniqueAndFreedWithWhatCarriedThemAndListsComeInTheHostsOwnOrder) {
    TVSim::Project& project = TVSim::OpenProject();
    TVSim::Commands::SetUndoScopeRequired(false);
    const API_Guid group = project.AddPropertyGroup("Spec"), clauses = project.AddClassificationSystem("Clauses");
    EXPECT_EQ((Codes{CreateDefinition(group, "Code"), CreateDefinition(group, "Code"), CreateSystem("Clauses"),
                     CreateItem(clauses, "A10"), CreateItem(clauses, "A10")}),
              (Codes{NoError, APIERR_NAMEALREADYUSED, APIERR_NAMEALREADYUSED, NoError, APIERR_NAMEALREADYUSED}));
    project.DeleteClassificationItem(project.FindClassificationItem(clauses, "A10"));
    EXPECT_EQ(CreateItem(clauses, "A10"), NoError) << "the id left with its item";

    for (int n = 0; n < 8; ++n) {
        project.AddElement(API_WallID);
        CreateDefinition(group, fmt::format("D{}", n));
    }
    PK::Array<API_Guid> walls;
    TVAPI_Element_GetElemList(API_ZombieElemID, &walls, APIFilt_None);
    PK::Array<API_PropertyDefinition> definitions;
    TVAPI_Property_GetPropertyDefinitions(group, definitions);
    std::vector<API_Guid> guids;
    for (const auto& definition : definitions) guids.push_back(definition.guid);
    EXPECT_TRUE(std::is_sorted(walls.begin(), walls.end(), TVSim::HostOrder{}));
    EXPECT_TRUE(std::is_sorted(guids.begin(), guids.end(), TVSim::HostOrder{}));
}

TEST(SimulatedHostProject, ASharedProjectChangesClassificationsOnlyUnderThisUsersReservationAndObjectsLikewise) {
    TVSim::Project& project = TVSim::OpenProject();
    TVSim::Commands::SetUndoScopeRequired(false);
    const API_Guid object = project.AddAddOnObject("PlanData");
    project.SetShared(true);
    EXPECT_EQ(TVAPI_AddOnObject_ModifyObject(object, nullptr, nullptr), APIERR_NOTMINE);
    Codes refused{CreateSystem("Free")};  // as a shared project starts
    project.SetLockableStatus(APILockableStatus_Locked, {"Bea"});
    refused.push_back(CreateSystem("Locked"));
    project.SetLockableStatus(APILockableStatus_NotAvailable);
    refused.push_back(CreateSystem("NotAvailable"));
    EXPECT_EQ(refused, Codes(3, APIERR_NOACCESSRIGHT));
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
