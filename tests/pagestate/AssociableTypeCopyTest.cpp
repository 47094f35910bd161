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

TEST(AssociableTypeCopy, CopiesWithNestedGroupsOutliveTheirSource) {
    const PK::UniString expected = MakeNested().ToJSON();
    std::optional<AssociableType> source(MakeNested());
    AssociableType copy(*source);
    AssociableType assigned = MakeNested();
    assigned.subGroup->name = "to be replaced";
    assigned = *source;
    std::optional<SelectionState> selection{SelectionState(AssociableType(*source))};
    const SelectionState selectionCopy(*selection);
    source.reset();
    selection.reset();
    EXPECT_EQ(copy.ToJSON(), expected);
    EXPECT_EQ(assigned.ToJSON(), expected);
    EXPECT_EQ(selectionCopy.type.ToJSON(), expected);

    const AssociableType& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.ToJSON(), expected);
}

}  // namespace
