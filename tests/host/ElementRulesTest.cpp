// The simulated host's element rules that no add-on scenario reaches: a
// hotlinked element, a filter bit the add-on never asks, one item per system,
// which property values can be written, and what a deleted element leaves.
#include <gtest/gtest.h>

#include "TVSim/Sim.hpp"
#include "support/HostCalls.hpp"

namespace {

using TestSupport::InHostCommand;
using TestSupport::TextProperty;

struct Walls {
    TVSim::Project& project = TVSim::OpenProject();
    API_Guid system = project.AddClassificationSystem("S");
    API_Guid a = project.AddClassificationItem(system, "A");
    API_Guid wall = project.AddElement(API_WallID);
};

}  // namespace

TEST(SimulatedHostElements, AHotlinkedElementIsReadOnlyAndThePhaseFilterHidesWhatIsOutOfPhase) {
    Walls w;
    const API_Guid linked = w.project.AddElement(API_WallID, {.hotlink = PK::Guid::Generate()});
    EXPECT_FALSE(TVAPI_Element_Filter(linked, APIFilt_IsEditable));
    EXPECT_EQ(InHostCommand([&] { return TVAPI_Element_AddClassificationItem(linked, w.a); }), APIERR_READONLY);
    const API_Guid outOfPhase = w.project.AddElement(API_WallID, {.visibleByPhase = false});
    EXPECT_FALSE(TVAPI_Element_Filter(outOfPhase, APIFilt_VisibleByPhase));
    EXPECT_TRUE(TVAPI_Element_Filter(w.wall, APIFilt_VisibleByPhase));
}

TEST(SimulatedHostElements, AnElementHoldsOneItemPerSystemAndRemovingAnotherIsRefused) {
    Walls w;
    const API_Guid b = w.project.AddClassificationItem(w.system, "B");
    ASSERT_EQ(InHostCommand([&] { return TVAPI_Element_AddClassificationItem(w.wall, w.a); }), NoError);
    ASSERT_EQ(InHostCommand([&] { return TVAPI_Element_AddClassificationItem(w.wall, b); }), NoError);
    EXPECT_TRUE(w.project.GetClassificationItem(w.a).elements.empty());
    EXPECT_EQ(InHostCommand([&] { return TVAPI_Element_RemoveClassificationItem(w.wall, w.a); }), APIERR_BADPARS);
    EXPECT_EQ(w.project.GetItemOf(w.wall, w.system), b);
}

TEST(SimulatedHostElements, OnlyTheProjectsOwnDefinitionDecidesWhetherAValueCanBeWrittenAndWhereItApplies) {
    Walls w;
    const API_Guid group = w.project.AddPropertyGroup("P");
    auto definition = [&](const char* name, auto&& change) {
        API_PropertyDefinition d =
            w.project.GetPropertyDefinition(w.project.AddPropertyDefinition(group, name, {w.a})).definition;
        w.project.DeletePropertyDefinition(d.guid);
        d.guid = APINULLGuid;
        change(d);
        return w.project.AddPropertyDefinition(d);
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
    w.project.Classify(w.wall, w.a);
    for (const API_Guid& guid : readOnly) {
        API_Property property = TextProperty(guid, "written");
        property.definition.canValueBeEditable = true;  // the caller's copy of the definition decides nothing
        property.definition.definitionType = API_PropertyCustomDefinitionType;
        EXPECT_EQ(InHostCommand([&] { return TVAPI_Element_SetProperties(w.wall, {property}); }), APIERR_READONLY);
        EXPECT_EQ(w.project.GetPropertyValue(w.wall, guid), nullptr);
    }

    // Losing the item makes the definition unavailable and the value read as the default.
    const API_Guid code = w.project.AddPropertyDefinition(group, "Code", {w.a}, "none");
    w.project.SetPropertyText(w.wall, code, "A10");
    w.project.DeleteClassificationItem(w.a);
    EXPECT_FALSE(TVAPI_Element_IsPropertyDefinitionAvailable(w.wall, code));
    PK::Array<API_Property> values;
    ASSERT_EQ(TVAPI_Element_GetPropertyValuesByGuid(w.wall, {code}, values), NoError);
    EXPECT_TRUE(values[0].isDefault);
    EXPECT_EQ(values[0].status, API_Property_NotAvailable);
    EXPECT_TRUE(w.project.GetPropertyDefinition(code).definition.availability.IsEmpty());
}

TEST(SimulatedHostElements, ADeletedElementLeavesItsItemAndTheSelectionAndCannotBeSelected) {
    Walls w;
    const API_Guid locked = w.project.AddElement(API_SlabID, {.locked = true});
    w.project.Classify(w.wall, w.a);
    w.project.SetSelection({w.wall, locked});
    API_SelectionInfo info;
    PK::Array<API_Neig> neigs;
    ASSERT_EQ(TVAPI_Selection_Get(&info, &neigs, false, false, API_NoRelativePos), NoError);
    EXPECT_EQ(info.sel_nElem, 2);
    EXPECT_EQ(info.sel_nElemEdit, 1);

    w.project.DeleteElement(w.wall);
    w.project.DeleteElement(locked);
    PK::Array<API_Guid> list;
    EXPECT_EQ(TVAPI_Element_GetElementsWithClassification(w.a, list), NoError);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(TVAPI_Selection_Get(&info, &neigs, false, false, API_NoRelativePos), APIERR_NOSEL);
    EXPECT_EQ(TVAPI_Element_Select({API_Neig{APINeig_Wall, w.wall}}, true), APIERR_DELETED);
}
