// What the simulated host lets happen to elements, by their state: the
// filter bits the model reads and the codes a change is refused with must
// tell the same story.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "TVSim/Sim.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/HostCalls.hpp"

namespace {

using TestSupport::InHostCommand;
using TestSupport::TextProperty;

struct ElementState {
    const char* name;
    std::function<API_Guid(TVSim::Project&)> make;
    bool editable;     // APIFilt_IsEditable
    bool visible;      // APIFilt_OnVisLayer
    bool mine;         // APIFilt_InMyWorkspace
    GSErrCode change;  // what classifying it answers
};

GSErrCode Classify(const API_Guid& element, const API_Guid& item) {
    return InHostCommand([&] { return TVAPI_Element_AddClassificationItem(element, item); });
}

PK::Array<API_Guid> InHostOrder(PK::Array<API_Guid> guids) {
    std::sort(guids.begin(), guids.end(), TVSim::HostOrder{});
    return guids;
}

}  // namespace

TEST(SimulatedHostElements, FilterBitsAndChangeRefusalsFollowTheElementsState) {
    const std::vector<ElementState> states = {
        {"editable", [](TVSim::Project& p) { return p.AddElement(API_WallID); }, true, true, true, NoError},
        {"locked itself", [](TVSim::Project& p) { return p.AddElement(API_WallID, {.locked = true}); }, false, true,
         true, APIERR_READONLY},
        {"on a locked layer",
         [](TVSim::Project& p) { return p.AddElement(API_WallID, {.layer = p.AddLayer("L", {.locked = true})}); },
         false, true, true, APIERR_LOCKEDLAY},
        {"on a hidden layer",
         [](TVSim::Project& p) { return p.AddElement(API_WallID, {.layer = p.AddLayer("H", {.hidden = true})}); },
         false, false, true, APIERR_HIDDENLAY},
        {"reserved by another member",
         [](TVSim::Project& p) {
             p.SetShared(true);
             return p.AddElement(API_WallID, {.reservation = TVSim::Reservation::OtherMember});
         },
         false, true, false, APIERR_NOTMINE},
        {"free in team work",
         [](TVSim::Project& p) {
             p.SetShared(true);
             return p.AddElement(API_WallID, {.reservation = TVSim::Reservation::Free});
         },
         false, true, false, APIERR_NOTMINE},
        {"free outside team work",
         [](TVSim::Project& p) { return p.AddElement(API_WallID, {.reservation = TVSim::Reservation::Free}); }, true,
         true, true, NoError},
        {"from a hotlinked module",
         [](TVSim::Project& p) { return p.AddElement(API_WallID, {.hotlink = PK::Guid::Generate()}); }, false, true,
         true, APIERR_READONLY},
        {"not classifiable", [](TVSim::Project& p) { return p.AddElement(API_WallID, {.classifiable = false}); }, true,
         true, true, APIERR_BADCLASSIFICATION},
    };
    for (const ElementState& state : states) {
        SCOPED_TRACE(state.name);
        TVSim::Project& project = TVSim::OpenProject();
        const API_Guid item = project.AddClassificationItem(project.AddClassificationSystem("S"), "A");
        const API_Guid element = state.make(project);
        EXPECT_TRUE(TVAPI_Element_Filter(element, APIFilt_None));
        EXPECT_EQ(TVAPI_Element_Filter(element, APIFilt_IsEditable), state.editable);
        EXPECT_EQ(TVAPI_Element_Filter(element, APIFilt_OnVisLayer), state.visible);
        EXPECT_EQ(TVAPI_Element_Filter(element, APIFilt_InMyWorkspace), state.mine);
        EXPECT_EQ(Classify(element, item), state.change);
        EXPECT_EQ(project.GetItemOf(element, project.GetClassificationSystems()[0]),
                  state.change == NoError ? item : APINULLGuid);
    }
}

TEST(SimulatedHostElements, ADeletedElementIsGoneFromEveryListAndEveryCallAnswersThatItWasDeleted) {
    TestSupport::HandleLeakCheck noLeaks;
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid system = project.AddClassificationSystem("S");
    const API_Guid item = project.AddClassificationItem(system, "A");
    const API_Guid definition = project.AddPropertyDefinition(project.AddPropertyGroup("P"), "Code", {item});
    const API_Guid wall = project.AddElement(API_WallID);
    project.Classify(wall, item);
    project.SetSelection({wall});
    project.DeleteElement(wall);
    const API_Guid unknown = PK::Guid::Generate();
    TVSim::Commands::SetUndoScopeRequired(false);

    using Call = std::function<GSErrCode(const API_Guid&)>;
    const API_Property property = [&] {
        API_Property p;
        p.definition.guid = definition;
        p.isDefault = true;
        return p;
    }();
    const std::vector<std::pair<const char*, Call>> calls = {
        {"header",
         [](const API_Guid& g) {
             API_Elem_Head head;
             head.guid = g;
             return TVAPI_Element_GetHeader(&head);
         }},
        {"record",
         [](const API_Guid& g) {
             API_Element element;
             element.header.guid = g;
             return TVAPI_Element_Get(&element);
         }},
        {"classify", [&](const API_Guid& g) { return TVAPI_Element_AddClassificationItem(g, item); }},
        {"unclassify", [&](const API_Guid& g) { return TVAPI_Element_RemoveClassificationItem(g, item); }},
        {"item in system",
         [&](const API_Guid& g) {
             API_ClassificationItem i;
             return TVAPI_Element_GetClassificationInSystem(g, system, i);
         }},
        {"write properties", [&](const API_Guid& g) { return TVAPI_Element_SetProperties(g, {property}); }},
        {"write into a list", [&](const API_Guid& g) { return TVAPI_ElementList_ModifyPropertyValue(property, {g}); }},
        {"read properties",
         [&](const API_Guid& g) {
             PK::Array<API_Property> values;
             return TVAPI_Element_GetPropertyValuesByGuid(g, {definition}, values);
         }},
        {"select",
         [](const API_Guid& g) {
             return TVAPI_Element_Select({API_Neig{APINeig_Wall, g}}, true);
         }},
        {"make a set",
         [](const API_Guid& g) {
             PK::Array<API_Guid> one{g};
             API_Guid set;
             return TVAPI_ElementSet_Create(&one, nullptr, &set);
         }},
        {"sets of",
         [](const API_Guid& g) {
             PK::Array<API_Guid> sets;
             return TVAPI_ElementSet_Identify(g, &sets);
         }},
        {"owner",
         [](const API_Guid& g) {
             API_Guid element = g, owner;
             API_HierarchicalOwnerType type = API_RootHierarchicalOwner;
             API_HierarchicalElemType kind;
             return TVAPI_Goodies(APIAny_GetHierarchicalElementOwnerID, &element, &type, &kind, &owner);
         }},
    };
    for (const auto& [name, call] : calls) {
        SCOPED_TRACE(name);
        EXPECT_EQ(call(wall), APIERR_DELETED);
        EXPECT_EQ(call(unknown), APIERR_BADID);
    }

    EXPECT_FALSE(TVAPI_Element_Filter(wall, APIFilt_None));
    PK::Array<API_Guid> list;
    EXPECT_EQ(TVAPI_Element_GetElementsWithClassification(item, list), NoError);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(TVAPI_Element_GetElemList(API_WallID, &list, APIFilt_None), NoError);
    EXPECT_TRUE(list.IsEmpty());
    API_SelectionInfo info;
    PK::Array<API_Neig> neigs;
    EXPECT_EQ(TVAPI_Selection_Get(&info, &neigs, false, false, API_NoRelativePos), APIERR_NOSEL);
}

TEST(SimulatedHostElements, APropertyValueIsWrittenOnlyWhereTheProjectsDefinitionLetsItBeEdited) {
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid item = project.AddClassificationItem(project.AddClassificationSystem("S"), "A");
    const API_Guid group = project.AddPropertyGroup("P");
    const API_Guid wall = project.AddElement(API_WallID);
    project.Classify(wall, item);
    auto definition = [&](const char* name, auto&& change) {
        API_PropertyDefinition d =
            project.GetPropertyDefinition(project.AddPropertyDefinition(group, name, {item})).definition;
        project.DeletePropertyDefinition(d.guid);
        d.guid = APINULLGuid;
        change(d);
        return project.AddPropertyDefinition(d);
    };
    struct Row {
        const char* kind;
        API_Guid definition;
        GSErrCode answer;
    };
    const std::vector<Row> rows = {
        {"editable", definition("E", [](API_PropertyDefinition&) {}), NoError},
        {"not editable", definition("N", [](API_PropertyDefinition& d) { d.canValueBeEditable = false; }),
         APIERR_READONLY},
        {"computed by the host",
         definition("C",
                    [](API_PropertyDefinition& d) { d.definitionType = API_PropertyDynamicBuiltInDefinitionType; }),
         APIERR_READONLY},
        {"given by an expression",
         definition("X",
                    [](API_PropertyDefinition& d) {
                        d.defaultValue.hasExpression = true;
                        d.defaultValue.propertyExpressions = {"1+1"};
                    }),
         APIERR_READONLY},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        API_Property property = TextProperty(row.definition, "written");
        property.definition.canValueBeEditable = true;  // the caller's copy of the definition decides nothing
        property.definition.definitionType = API_PropertyCustomDefinitionType;
        EXPECT_EQ(InHostCommand([&] { return TVAPI_Element_SetProperties(wall, {property}); }), row.answer);
        EXPECT_EQ(InHostCommand([&] { return TVAPI_ElementList_ModifyPropertyValue(property, {wall}); }), row.answer);
        EXPECT_EQ(project.GetPropertyValue(wall, row.definition) != nullptr, row.answer == NoError);
    }
}

TEST(SimulatedHostElements, WindowListingBitsPickTheCurrentStoryOrThe3DContent) {
    TVSim::Project& project = TVSim::OpenProject();
    project.SetStories(0, {"Ground", "First"});
    const API_Guid ground = project.AddElement(API_SlabID);
    const API_Guid first = project.AddElement(API_SlabID, {.story = 1});
    const API_Guid notIn3D = project.AddElement(API_SlabID, {.in3D = false});
    const API_Guid otherPhase = project.AddElement(API_SlabID, {.visibleByPhase = false});
    PK::Array<API_Guid> list;
    TVAPI_Element_GetElemList(API_SlabID, &list, 0x1402 | APIFilt_OnActFloor);
    EXPECT_EQ(list, InHostOrder({ground, notIn3D}));
    TVAPI_Element_GetElemList(API_SlabID, &list, 0x1402 | APIFilt_In3D);
    EXPECT_EQ(list, InHostOrder({ground, first}));
    project.SetCurrentStory(1);
    TVAPI_Element_GetElemList(API_SlabID, &list, 0x1402 | APIFilt_OnActFloor);
    EXPECT_EQ(list, PK::Array<API_Guid>{first});
    TVAPI_Element_GetElemList(API_SlabID, &list, APIFilt_None);
    EXPECT_TRUE(list.Contains(otherPhase));
}

TEST(SimulatedHostElements, AnElementHoldsOneItemPerSystemAndRemovingAnotherIsRefused) {
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid system = project.AddClassificationSystem("S");
    const API_Guid a = project.AddClassificationItem(system, "A");
    const API_Guid b = project.AddClassificationItem(system, "B");
    const API_Guid other = project.AddClassificationItem(project.AddClassificationSystem("T"), "A");
    const API_Guid wall = project.AddElement(API_WallID);
    ASSERT_EQ(Classify(wall, a), NoError);
    ASSERT_EQ(Classify(wall, other), NoError);
    ASSERT_EQ(Classify(wall, b), NoError);
    EXPECT_EQ(project.GetItemOf(wall, system), b);
    EXPECT_TRUE(project.GetClassificationItem(a).elements.empty());
    EXPECT_EQ(project.GetElement(wall).classification.GetSize(), 2u);

    EXPECT_EQ(InHostCommand([&] { return TVAPI_Element_RemoveClassificationItem(wall, a); }), APIERR_BADPARS);
}

TEST(SimulatedHostElements, PropertiesApplyWhereTheElementsClassificationMakesThemAvailable) {
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid system = project.AddClassificationSystem("S");
    const API_Guid item = project.AddClassificationItem(system, "A");
    const API_Guid group = project.AddPropertyGroup("Spec");
    const API_Guid code = project.AddPropertyDefinition(group, "Code", {item}, "none");
    const API_Guid title = project.AddPropertyDefinition(group, "Title", {item});
    const API_Guid wall = project.AddElement(API_WallID);
    EXPECT_FALSE(TVAPI_Element_IsPropertyDefinitionAvailable(wall, code));
    project.Classify(wall, item);
    EXPECT_TRUE(TVAPI_Element_IsPropertyDefinitionAvailable(wall, code));
    project.SetPropertyText(wall, code, "A10");

    // One answer per definition asked, in order; a definition gone is left out.
    project.DeletePropertyDefinition(title);
    PK::Array<API_Property> values;
    ASSERT_EQ(TVAPI_Element_GetPropertyValuesByGuid(wall, {title, code}, values), NoError);
    ASSERT_EQ(values.GetSize(), 1u);
    EXPECT_EQ(values[0].definition.guid, code);
    EXPECT_EQ(values[0].value.singleVariant.variant.uniStringValue, PK::UniString("A10"));

    // Losing the item makes the definition unavailable and the value read as the default.
    project.DeleteClassificationItem(item);
    ASSERT_EQ(TVAPI_Element_GetPropertyValuesByGuid(wall, {code}, values), NoError);
    EXPECT_TRUE(values[0].isDefault);
    EXPECT_EQ(values[0].status, API_Property_NotAvailable);
    EXPECT_TRUE(project.GetPropertyDefinition(code).definition.availability.IsEmpty());
}
