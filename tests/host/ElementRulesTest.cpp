// The simulated host's element rules that no add-on scenario reaches: a
// hotlinked element, a filter bit the add-on never asks, and which property
// values can be written.
#include <gtest/gtest.h>

#include "TVSim/Sim.hpp"
#include "support/HostCalls.hpp"

using TestSupport::InHostCommand;

TEST(SimulatedHostElements, AHotlinkedElementIsReadOnlyAndThePhaseFilterHidesWhatIsOutOfPhase) {
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid a = project.AddClassificationItem(project.AddClassificationSystem("S"), "A");
    const API_Guid linked = project.AddElement(API_WallID, {.hotlink = PK::Guid::Generate()});
    EXPECT_FALSE(TVAPI_Element_Filter(linked, APIFilt_IsEditable));
    EXPECT_EQ(InHostCommand([&] { return TVAPI_Element_AddClassificationItem(linked, a); }), APIERR_READONLY);
    const API_Guid outOfPhase = project.AddElement(API_WallID, {.visibleByPhase = false});
    EXPECT_FALSE(TVAPI_Element_Filter(outOfPhase, APIFilt_VisibleByPhase));
    EXPECT_TRUE(TVAPI_Element_Filter(linked, APIFilt_VisibleByPhase));
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
