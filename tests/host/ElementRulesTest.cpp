// What the simulated host lets happen to elements, by their state: the
// filter bits the model reads and the codes a change is refused with must
// tell the same story.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "TVAPI/Sim.hpp"

namespace {

struct ElementState {
    const char* name;
    std::function<API_Guid(TVSim::Project&)> make;
    bool editable;     // APIFilt_IsEditable
    bool visible;      // APIFilt_OnVisLayer
    bool mine;         // APIFilt_InMyWorkspace
    GSErrCode change;  // what classifying it answers
};

GSErrCode Classify(const API_Guid& element, const API_Guid& item) {
    GSErrCode result = NoError;
    TVAPI_CallUndoableCommand("classify", [&] {
        result = TVAPI_Element_AddClassificationItem(element, item);
        return NoError;
    });
    return result;
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

TEST(SimulatedHostElements, ADeletedElementIsGoneFromEveryListAndEveryCall) {
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid item = project.AddClassificationItem(project.AddClassificationSystem("S"), "A");
    const API_Guid wall = project.AddElement(API_WallID);
    project.Classify(wall, item);
    project.SetSelection({wall});
    project.DeleteElement(wall);

    EXPECT_FALSE(TVAPI_Element_Filter(wall, APIFilt_None));
    EXPECT_EQ(Classify(wall, item), APIERR_BADID);
    PK::Array<API_Guid> list;
    EXPECT_EQ(TVAPI_Element_GetElementsWithClassification(item, list), NoError);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(TVAPI_Element_GetElemList(API_WallID, &list, APIFilt_None), NoError);
    EXPECT_TRUE(list.IsEmpty());
    API_SelectionInfo info;
    PK::Array<API_Neig> neigs;
    EXPECT_EQ(TVAPI_Selection_Get(&info, &neigs, false, false, API_NoRelativePos), APIERR_NOSEL);
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
    EXPECT_EQ(list, (PK::Array<API_Guid>{ground, notIn3D}));
    TVAPI_Element_GetElemList(API_SlabID, &list, 0x1402 | APIFilt_In3D);
    EXPECT_EQ(list, (PK::Array<API_Guid>{ground, first}));
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
    EXPECT_TRUE(project.GetClassificationItem(a).elements.IsEmpty());
    EXPECT_EQ(project.GetElement(wall).classification.GetSize(), 2u);

    GSErrCode removeA = NoError;
    TVAPI_CallUndoableCommand("remove", [&] {
        removeA = TVAPI_Element_RemoveClassificationItem(wall, a);
        return NoError;
    });
    EXPECT_EQ(removeA, APIERR_BADPARS);
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

TEST(SimulatedHostElements, NamesAreUniqueWhereTheHostSaysSo) {
    TVSim::OpenProject();
    TVSim::Commands::SetUndoScopeRequired(false);
    API_PropertyGroup group;
    group.name = "Spec";
    ASSERT_EQ(TVAPI_Property_CreatePropertyGroup(group), NoError);
    API_PropertyGroup same;
    same.name = "Spec";
    EXPECT_EQ(TVAPI_Property_CreatePropertyGroup(same), APIERR_NAMEALREADYUSED);
    same.name = "Spec*";
    ASSERT_EQ(TVAPI_Property_CreatePropertyGroup(same), NoError);

    API_PropertyDefinition definition;
    definition.groupGuid = group.guid;
    definition.name = "Code";
    ASSERT_EQ(TVAPI_Property_CreatePropertyDefinition(definition), NoError);
    definition.guid = APINULLGuid;
    EXPECT_EQ(TVAPI_Property_CreatePropertyDefinition(definition), APIERR_NAMEALREADYUSED);
    definition.groupGuid = same.guid;  // the same name in another group is fine
    EXPECT_EQ(TVAPI_Property_CreatePropertyDefinition(definition), NoError);

    API_ClassificationSystem system;
    system.name = "Clauses";
    ASSERT_EQ(TVAPI_Classification_CreateClassificationSystem(system), NoError);
    API_ClassificationItem item;
    item.id = "A10";
    ASSERT_EQ(TVAPI_Classification_CreateClassificationItem(item, system.guid, APINULLGuid, APINULLGuid), NoError);
    item.guid = APINULLGuid;
    EXPECT_EQ(TVAPI_Classification_CreateClassificationItem(item, system.guid, APINULLGuid, APINULLGuid),
              APIERR_NAMEALREADYUSED);
    API_ClassificationSystem sameSystem;
    sameSystem.name = "Clauses";
    EXPECT_EQ(TVAPI_Classification_CreateClassificationSystem(sameSystem), APIERR_NAMEALREADYUSED);
}

TEST(SimulatedHostElements, AccessRightsAndTheLockedSetRefuseChangesButNotReading) {
    TVSim::Project& project = TVSim::OpenProject();
    TVSim::Commands::SetUndoScopeRequired(false);
    project.SetShared(true);
    project.SetLockableStatus(APILockableStatus_Locked, {"Bea"});
    API_PropertyGroup group;
    group.name = "Spec";
    EXPECT_EQ(TVAPI_Property_CreatePropertyGroup(group), APIERR_NOACCESSRIGHT);
    API_ClassificationSystem system;
    system.name = "S";
    EXPECT_EQ(TVAPI_Classification_CreateClassificationSystem(system), APIERR_NOACCESSRIGHT);

    project.SetLockableStatus(APILockableStatus_Editable);
    project.SetPropertyAccessRight(false);
    EXPECT_EQ(TVAPI_Property_CreatePropertyGroup(group), APIERR_NOACCESSRIGHT);
    EXPECT_EQ(TVAPI_Classification_CreateClassificationSystem(system), NoError);
    project.SetClassificationAccessRight(false);
    PK::Array<API_ClassificationSystem> systems;
    EXPECT_EQ(TVAPI_Classification_GetClassificationSystems(systems), NoError);
    EXPECT_EQ(systems.GetSize(), 1u);
}
