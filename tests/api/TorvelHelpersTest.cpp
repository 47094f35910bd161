#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "Torvel/Api/RecordComparisons.hpp"
#include "support/FakeTorvel.hpp"

namespace {

using TessaryConnect::Api::GeneralError;

PK::Guid G(int n) {
    PK::Guid g;
    g.time_low = static_cast<PK::UInt32>(n);
    return g;
}

API_ClassificationItem Item(int n, const char* id) {
    API_ClassificationItem item;
    item.guid = G(n);
    item.id = id;
    item.name = std::string("name ") + id;
    item.description = std::string("description ") + id;
    return item;
}

// A classification system as a tree of items, recording each host call.
class ClassificationTree : public TestSupport::FakeTorvel {
public:
    PK::Array<API_ClassificationItem> roots;
    std::map<PK::Guid, PK::Array<API_ClassificationItem>> children;
    PK::Guid failingChildrenOf;
    std::vector<std::string> calls;

    PK::Array<API_ClassificationItem> Classification_GetClassificationSystemRootItems(const PK::Guid&) override {
        calls.push_back("roots");
        return roots;
    }
    PK::Array<API_ClassificationItem> Classification_GetClassificationItemChildren(const PK::Guid& item) override {
        calls.push_back("children of " + item.ToUniString().ToCStr().substr(6, 2));
        if (item == failingChildrenOf) throw TessaryConnect::Api::Error<APIERR_BADID>();
        auto it = children.find(item);
        return it == children.end() ? PK::Array<API_ClassificationItem>{} : it->second;
    }
};

// roots: 1 "A" (children: 2 "A.1" (children: 3 "X"), 4 "A.2"), 5 "X"
ClassificationTree SampleTree() {
    ClassificationTree tree;
    tree.roots = {Item(1, "A"), Item(5, "X")};
    tree.children[G(1)] = {Item(2, "A.1"), Item(4, "A.2")};
    tree.children[G(2)] = {Item(3, "X")};
    return tree;
}

TEST(TorvelHelpers, IdSearchIsDepthFirstPreOrderAndAsksNoFurtherThanTheFirstMatch) {
    struct Row {
        const char* id;
        API_ClassificationItem found;
        std::vector<std::string> calls;
    };
    const std::vector<Row> rows = {
        // The deep item of the first root wins over the second root.
        {"X", Item(3, "X"), {"roots", "children of 01", "children of 02"}},
        {"A", Item(1, "A"), {"roots"}},
        // Case-sensitive; no match asks for every item's children and answers the default item.
        {"a", API_ClassificationItem{}, {"roots", "children of 01", "children of 02", "children of 03", "children of 04",
                                         "children of 05"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        ClassificationTree tree = SampleTree();
        EXPECT_TRUE(tree.Helper_Classification_GetClassificationItemByIdInSystem(row.id, G(99)) == row.found);
        EXPECT_EQ(tree.calls, row.calls);
    }
    ClassificationTree empty;
    EXPECT_TRUE(empty.Helper_Classification_GetClassificationItemByIdInSystem("A", G(99)) == API_ClassificationItem{});
}

TEST(TorvelHelpers, FlatteningListsEveryItemInPreOrderWithOneChildrenRequestEach) {
    ClassificationTree tree = SampleTree();
    PK::Array<API_ClassificationItem> all = tree.Helper_Classification_GetAllClassificationItemsOfSystem(G(99));
    std::vector<std::string> ids;
    for (const auto& item : all) ids.push_back(item.id.ToCStr());
    EXPECT_EQ(ids, (std::vector<std::string>{"A", "A.1", "X", "A.2", "X"}));
    EXPECT_EQ(tree.calls, (std::vector<std::string>{"roots", "children of 01", "children of 02", "children of 03",
                                                    "children of 04", "children of 05"}));
    ClassificationTree empty;
    EXPECT_TRUE(empty.Helper_Classification_GetAllClassificationItemsOfSystem(G(99)).IsEmpty());
}

TEST(TorvelHelpers, LookingUpManyIdsWalksTheTreeOnceAndFindsWhatTheSearchFinds) {
    ClassificationTree tree = SampleTree();
    const auto byId = tree.Helper_Classification_GetClassificationItemsByIdInSystem(G(99));
    EXPECT_EQ(tree.calls.size(), 6u) << "one walk";
    EXPECT_EQ(byId.GetSize(), 4u);
    for (const char* id : {"A", "A.1", "A.2", "X"}) {
        SCOPED_TRACE(id);
        ClassificationTree searched = SampleTree();
        ASSERT_TRUE(byId.ContainsKey(id));
        EXPECT_TRUE(byId.Get(id) == searched.Helper_Classification_GetClassificationItemByIdInSystem(id, G(99)));
    }
}

TEST(TorvelHelpers, AFailedChildrenRequestEndsTheWalkWithItsException) {
    ClassificationTree tree = SampleTree();
    tree.failingChildrenOf = G(2);
    EXPECT_THROW(tree.Helper_Classification_GetAllClassificationItemsOfSystem(G(99)),
                 TessaryConnect::Api::Error<APIERR_BADID>);
    EXPECT_THROW(tree.Helper_Classification_GetClassificationItemByIdInSystem("A.2", G(99)), GeneralError);
}

class CommandRecorder : public TestSupport::FakeTorvel {
public:
    using FakeTorvel::CallUndoableCommand;
    PK::UniString lastName;
    std::vector<std::string> resources;
    void CallUndoableCommand(const PK::UniString& name, const Command& command) override {
        lastName = name;
        command();
    }
    PK::UniString GetResourceString(int resID, int index) override {
        resources.push_back(std::to_string(resID) + "/" + std::to_string(index));
        return "text";
    }
};

TEST(TorvelHelpers, ConvenienceFormsGoThroughTheOperations) {
    CommandRecorder host;
    TessaryConnect::Api::Torvel* seen = nullptr;
    host.CallUndoableCommand("Associate", [&](TessaryConnect::Api::Torvel& torvel) { seen = &torvel; });
    EXPECT_EQ(seen, &host);
    EXPECT_EQ(host.lastName, PK::UniString("Associate"));

    EXPECT_EQ(host.GetResource({32523, 5}), PK::UniString("text"));
    EXPECT_EQ(host.resources, (std::vector<std::string>{"32523/5"}));
}

TEST(FakeTorvel, EveryOperationNotOverriddenFailsLoudly) {
    TestSupport::FakeTorvel host;
    EXPECT_THROW(host.Element_DeselectAll(), TestSupport::UnexpectedCall);
    try {
        host.ModulData_GetList();
        FAIL() << "no exception";
    } catch (const TestSupport::UnexpectedCall& e) {
        EXPECT_STREQ(e.what(), "not expected: ModulData_GetList");
    }
}

}  // namespace
