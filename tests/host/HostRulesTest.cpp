// Simulated host rules the add-on always complies with, so no add-on scenario
// shows them broken: a command scope for stored data, values only the
// project's own definition lets be written, and the barrier to exceptions.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <utility>

#include "TVSim/Sim.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/HostCalls.hpp"

namespace {

using TestSupport::InHostCommand;

PKErrCode CreateSystem(const char* name) {
    API_ClassificationSystem system;
    system.name = name;
    return TVAPI_Classification_CreateClassificationSystem(system);
}

PKErrCode CreateGroup(const char* name) {
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
    const std::function<PKErrCode()> changes[] = {
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

TEST(SimulatedHostElements, OnlyTheProjectsOwnDefinitionDecidesWhetherAValueCanBeWritten) {
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid a = project.AddClassificationItem(project.AddClassificationSystem("S"), "A");
    const API_Guid wall = project.AddElement(API_WallID), group = project.AddPropertyGroup("P");
    auto definition = [&](const char* name, auto&& change) {
        API_PropertyDefinition d =
            project.GetPropertyDefinition(project.AddPropertyDefinition(group, name, {a})).definition;
        project.DeletePropertyDefinition(d.guid);
        d.guid = APINULLGuid;
        change(d);
        return project.AddPropertyDefinition(d);
    };
    const API_Guid readOnly[] = {
        definition("N", [](API_PropertyDefinition& d) { d.canValueBeEditable = false; }),
        definition("C", [](API_PropertyDefinition& d) { d.definitionType = API_PropertyDynamicBuiltInDefinitionType; }),
        definition("X",
                   [](API_PropertyDefinition& d) {
                       d.defaultValue.hasExpression = true;
                       d.defaultValue.propertyExpressions = {"1+1"};
                   }),
    };
    project.Classify(wall, a);
    for (const API_Guid& guid : readOnly) {
        API_Property property = TestSupport::TextProperty(guid, "written");
        property.definition.canValueBeEditable = true;  // the caller's copy of the definition decides nothing
        property.definition.definitionType = API_PropertyCustomDefinitionType;
        EXPECT_EQ(InHostCommand([&] { return TVAPI_Element_SetProperties(wall, {property}); }), APIERR_READONLY);
        EXPECT_EQ(project.GetPropertyValue(wall, guid), nullptr);
    }
}

TEST(SimulatedHostControl, AnExceptionEscapingIntoTheHostIsCaughtAndRecorded) {
    TVSim::OpenProject();
    EXPECT_EQ(TVAPI_CallUndoableCommand("x", []() -> PKErrCode { throw std::runtime_error("oops"); }), APIERR_GENERAL);
    EXPECT_EQ(TVSim::Events::GetEscapedExceptions(), std::vector<std::string>{"TVAPI_CallUndoableCommand: oops"});
    TVSim::Reset();  // provoked on purpose; the process-wide check must not see it
}
