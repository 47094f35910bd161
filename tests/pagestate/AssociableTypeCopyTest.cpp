// An associable type owns its sub-group; copies must own groups of their own
// at every depth, so that they outlive their source.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <utility>

#include "Tessary/Api/AssociableType.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "Tessary/Api/SelectionState.hpp"

namespace {

using namespace TessaryConnect::Api;

// A type whose group holds a type that has a group of its own.
AssociableType MakeNested() {
    Properties properties;
    properties.Add("p", "1");
    auto innerGroup = std::make_unique<AssociableTypeGroup>();
    innerGroup->name = "inner group";
    innerGroup->items.Push(AssociableType("leaf", "L", "", "", properties, nullptr));
    auto outerGroup = std::make_unique<AssociableTypeGroup>();
    outerGroup->name = "outer group";
    outerGroup->items.Push(AssociableType("middle", "M", "", "", Properties(), std::move(innerGroup)));
    return AssociableType("top", "T", "S", "C", properties, std::move(outerGroup));
}

TEST(AssociableTypeCopy, ACopyWithNestedGroupsOutlivesItsSource) {
    const PK::UniString expected = MakeNested().ToJSON();
    std::optional<AssociableType> source(MakeNested());
    AssociableType copy(*source);
    ASSERT_NE(copy.subGroup, nullptr);
    EXPECT_NE(copy.subGroup.get(), source->subGroup.get());
    EXPECT_NE(copy.subGroup->items[0].subGroup.get(), source->subGroup->items[0].subGroup.get());
    source.reset();
    EXPECT_EQ(copy.ToJSON(), expected);
}

TEST(AssociableTypeCopy, AnAssignedCopyOutlivesItsSourceAndDropsItsOwnGroup) {
    const PK::UniString expected = MakeNested().ToJSON();
    AssociableType target = MakeNested();
    target.subGroup->name = "to be replaced";
    {
        AssociableType source = MakeNested();
        target = source;
    }
    EXPECT_EQ(target.ToJSON(), expected);
    const AssociableType& self = target;
    target = self;
    EXPECT_EQ(target.ToJSON(), expected);
}

TEST(AssociableTypeCopy, AMoveTakesTheGroupAndLeavesTheSourceWithout) {
    AssociableType source = MakeNested();
    const AssociableTypeGroup* group = source.subGroup.get();
    AssociableType moved(std::move(source));
    EXPECT_EQ(moved.subGroup.get(), group);
    EXPECT_EQ(source.subGroup, nullptr);  // NOLINT(bugprone-use-after-move): the moved-from state is the point
}

TEST(AssociableTypeCopy, ASelectionStateCopiesItsTypeDeeply) {
    const PK::UniString expected = SelectionState(MakeNested()).ToJSON();
    std::optional<SelectionState> source{SelectionState(MakeNested())};
    SelectionState copy(*source);
    source.reset();
    EXPECT_EQ(copy.ToJSON(), expected);
}

}  // namespace
