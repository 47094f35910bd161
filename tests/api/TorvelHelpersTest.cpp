// The helpers every host interface has, over the simulated host: searching a
// classification system by id, flattening it, and the convenience forms.
#include <gtest/gtest.h>

#include <string>

#include "TVSim/Sim.hpp"
#include "Torvel/Api/RecordComparisons.hpp"
#include "Torvel/Implementation/Torvel.hpp"

namespace {

using TessaryConnect::Api::GeneralError;

constexpr const char* kChildren = "TVAPI_Classification_GetClassificationItemChildren";

// roots: "A" (children: "A.1" (children: "X"), "A.2"), "X"
struct Tree {
    TVSim::Project& project = TVSim::OpenProject();
    API_Guid system = project.AddClassificationSystem("S");
    API_Guid a = project.AddClassificationItem(system, "A");
    API_Guid a1 = project.AddClassificationItem(system, "A.1", a);
    API_Guid deepX = project.AddClassificationItem(system, "X", a1);
    API_Guid a2 = project.AddClassificationItem(system, "A.2", a);
    API_Guid rootX = project.AddClassificationItem(system, "X");
    TessaryConnect::Implementation::Torvel torvel;

    API_ClassificationItem Search(const char* id) {
        TVSim::Journal::Clear();
        return torvel.Helper_Classification_GetClassificationItemByIdInSystem(id, system);
    }
};

TEST(TorvelHelpers, SearchingFlatteningAndIndexingWalkTheTreeDepthFirstAndTheFirstMatchWins) {
    Tree tree;
    // The deep item of the first root wins over the second root, and nothing is asked after it.
    EXPECT_EQ(tree.Search("X").guid, tree.deepX);
    EXPECT_EQ(TVSim::Journal::Count(kChildren), 2u);
    EXPECT_TRUE(tree.Search("a") == API_ClassificationItem{}) << "case-sensitive";

    TVSim::Journal::Clear();
    std::string ids;
    for (const auto& item : tree.torvel.Helper_Classification_GetAllClassificationItemsOfSystem(tree.system))
        ids += item.id.ToCStr() + " ";
    EXPECT_EQ(ids, "A A.1 X A.2 X ");
    EXPECT_EQ(TVSim::Journal::Count(kChildren), 5u);
    const auto byId = tree.torvel.Helper_Classification_GetClassificationItemsByIdInSystem(tree.system);
    EXPECT_TRUE(byId.GetSize() == 4 && byId.Get("X").guid == tree.deepX);
}

TEST(TorvelHelpers, AFailedChildrenRequestEndsTheWalkWithItsExceptionAndTheConvenienceFormsUseTheOperations) {
    Tree tree;
    TVSim::Faults::FailCall(kChildren, APIERR_BADID, 2);
    EXPECT_THROW(tree.torvel.Helper_Classification_GetAllClassificationItemsOfSystem(tree.system),
                 TessaryConnect::Api::Error<APIERR_BADID>);
    TVSim::Faults::FailCall(kChildren, APIERR_BADID, 2);
    EXPECT_THROW(tree.Search("A.2"), GeneralError);
    TVSim::Faults::Clear();

    // The convenience forms go through the operations.
    TessaryConnect::Api::Torvel* seen = nullptr;
    tree.torvel.CallUndoableCommand("Associate", [&](TessaryConnect::Api::Torvel& torvel) { seen = &torvel; });
    EXPECT_EQ(seen, &tree.torvel);
    ASSERT_EQ(tree.project.GetUndoSteps().size(), 1u);
    EXPECT_EQ(tree.project.GetUndoSteps()[0].name, PK::UniString("Associate"));
    EXPECT_EQ(tree.torvel.GetResource({32000, 1}), PK::UniString("OrvoTessaryConnect"));
}

}  // namespace
