#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "Model/Element.hpp"
#include "PK/HashTable.hpp"

using namespace TessaryConnect::Model;

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
}

TEST(ElementType, StatesPrintTheirNamesAndNothingOutsideTheList) {
    EXPECT_EQ(fmt::format("{}", Element::Usability::NotClassifyableHotlink), "NotClassifyableHotlink");
    EXPECT_EQ(fmt::format("{}", Element::EditableStatus::LockedOrOnLockedLayer), "LockedOrOnLockedLayer");
    EXPECT_EQ(fmt::format("[{}]", static_cast<Element::Usability>(8)), "[]");
    EXPECT_EQ(fmt::format("{}", Element::Type(API_WallID, APIVarId_Generic)),
              "{typeID:API_WallID, variationID: APIVarId_Generic}");
}
