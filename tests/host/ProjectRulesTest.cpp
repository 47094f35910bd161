// The simulated host demands a command scope for every change of stored data,
// where the add-on's scenarios always comply.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "TVSim/Sim.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/HostCalls.hpp"

namespace {

using TestSupport::InHostCommand;

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
        EXPECT_EQ((std::pair{change(), InHostCommand(change)}), (std::pair{APIERR_NEEDSUNDOSCOPE, NoError}));
}
