#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "Model/Element.hpp"
#include "PK/HashTable.hpp"

using namespace TessaryConnect::Model;

TEST(ElementType, ComparesAndHashesByValue) {
    const Element::Type wall(API_WallID, APIVarId_Generic);
    EXPECT_EQ(wall, Element::Type(API_WallID, APIVarId_Generic));
    EXPECT_FALSE(wall == Element::Type(API_WindowID, APIVarId_Generic));

    PK::HashSet<Element::Type> types{wall, Element::Type(API_DoorID, APIVarId_Door), wall};
    EXPECT_EQ(types.GetSize(), 2u);
    EXPECT_TRUE(types.Contains(Element::Type(API_DoorID, APIVarId_Door)));
    EXPECT_FALSE(types.Contains(Element::Type(API_DoorID, APIVarId_Generic)));
}

TEST(ElementType, TheTableIsEnumeratedInItsOrderThenObjectsAndSectionElements) {
    std::vector<API_ElemTypeID> visited;
    Element::EnumerateIncludedMainTypes([&](API_ElemTypeID type) { visited.push_back(type); });
    ASSERT_EQ(visited.size(), 47u);
    EXPECT_EQ(visited[0], API_WallID);
    EXPECT_EQ(visited[3], API_WindowID);  // one call for its four variations
    EXPECT_EQ(visited[4], API_DoorID);
    EXPECT_EQ(visited[44], API_OpeningID);
    EXPECT_EQ(visited[45], API_ObjectID);
    EXPECT_EQ(visited[46], API_SectElemID);

    EXPECT_EQ(Element::IncludedMainTypeCount(), 49u);
    EXPECT_THROW(Element::EnumerateIncludedMainTypes({}), std::bad_function_call);
}

TEST(ElementType, VisibilityFiltersAddTheStoryInPlansAndThe3DModelIn3D) {
    EXPECT_EQ(Element::GetVisibilityFilter(APIWind_FloorPlanID), 0x1406u);
    EXPECT_EQ(Element::GetVisibilityFilter(APIWind_3DModelID), 0x140Au);
    EXPECT_EQ(Element::GetVisibilityFilter(APIWind_SectionID), 0x1402u);
}

TEST(ElementType, StatesPrintTheirNamesAndNothingOutsideTheList) {
    EXPECT_EQ(fmt::format("{}", Element::Usability::NotClassifyableHotlink), "NotClassifyableHotlink");
    EXPECT_EQ(fmt::format("{}", Element::EditableStatus::LockedOrOnLockedLayer), "LockedOrOnLockedLayer");
    EXPECT_EQ(fmt::format("[{}]", static_cast<Element::Usability>(8)), "[]");
    EXPECT_EQ(fmt::format("{}", Element::Type(API_WallID, APIVarId_Generic)),
              "{typeID:API_WallID, variationID: APIVarId_Generic}");
}
