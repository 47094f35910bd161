// The host selection as the model keeps it: what can be associated, what
// the user cannot change now, and what was left out.
#include <gtest/gtest.h>

#include <memory>

#include "Model/SelectionCache.hpp"
#include "TVSim/Sim.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;
using Model::SelectionCache;

namespace {

struct Scene {
    Scene() : sim((TVSim::Reset(), TVSim::OpenProject())) {}

    PK::Array<PK::Guid> Guids(const PK::Array<API_Guid>& elements) {
        PK::Array<PK::Guid> guids;
        for (const API_Guid& element : elements) guids.Push(element);
        return guids;
    }

    TVSim::Project& sim;
    Implementation::Torvel tv;
    SelectionCache cache;
};

void ExpectCounts(const SelectionCache& cache, std::uint64_t elements, std::uint64_t notEditable, std::uint64_t hotlink,
                  std::uint64_t filteredOut) {
    EXPECT_EQ(cache.GetElements().GetSize(), elements);
    EXPECT_EQ(cache.GetNotEditableCount(), notEditable);
    EXPECT_EQ(cache.GetHotlinkCount(), hotlink);
    EXPECT_EQ(cache.GetFilteredOutCount(), filteredOut);
    EXPECT_EQ(cache.GetSelectedCount(), elements + filteredOut);
    EXPECT_EQ(cache.GetEditableCount(), elements - notEditable);
}

}  // namespace

TEST(SelectionCache, KeepsWhatCanBeAssociatedInTheHostsOrderAndCountsWhatTheUserCannotChange) {
    Scene s;
    const PK::Int32 lockedLayer = s.sim.AddLayer("Locked", {.locked = true});
    const API_Guid editable = s.sim.AddElement(API_WallID);
    const API_Guid onLockedLayer = s.sim.AddElement(API_SlabID, {.layer = lockedLayer});
    const API_Guid hotlinked = s.sim.AddElement(API_ColumnID, {.hotlink = PK::Guid::Generate()});
    const API_Guid dimension = s.sim.AddElement(API_DimensionID);
    s.sim.SetSelection({editable, onLockedLayer, hotlinked, dimension});

    EXPECT_TRUE(s.cache.Update(s.tv));
    ExpectCounts(s.cache, 3, 2, 1, 1);
    PK::Array<PK::Guid> expected;
    for (const API_Guid& guid : s.sim.GetSelection())
        if (guid != dimension) expected.Push(guid);
    EXPECT_EQ(s.cache.GetElements(), expected);
}

TEST(SelectionCache, ASectionElementIsKeptAsTheElementItStandsFor) {
    Scene s;
    const API_Guid wall = s.sim.AddElement(API_WallID);
    s.sim.SetSelection({s.sim.AddSectionElement(wall)});
    EXPECT_TRUE(s.cache.Update(s.tv));
    EXPECT_EQ(s.cache.GetElements(), s.Guids({wall}));
}

TEST(SelectionCache, SaysWhetherTheSelectionMattersToTheModel) {
    Scene s;
    const API_Guid wall = s.sim.AddElement(API_WallID);
    const API_Guid dimension = s.sim.AddElement(API_DimensionID);

    EXPECT_FALSE(s.cache.Update(s.tv)) << "nothing before, nothing now";

    s.sim.SetSelection({dimension});
    EXPECT_TRUE(s.cache.Update(s.tv)) << "items were selected, though none is kept";
    ExpectCounts(s.cache, 0, 0, 0, 1);
    s.sim.SetSelection({});
    EXPECT_FALSE(s.cache.Update(s.tv)) << "only left-out items before: nothing held";
    ExpectCounts(s.cache, 0, 0, 0, 0);

    s.sim.SetSelection({wall});
    EXPECT_TRUE(s.cache.Update(s.tv));
    s.sim.SetSelection({});
    EXPECT_TRUE(s.cache.Update(s.tv)) << "the held elements are gone";
    ExpectCounts(s.cache, 0, 0, 0, 0);
}

TEST(SelectionCache, AMarqueeIsReadOnlyToEmptyACacheThatHeldElements) {
    Scene s;
    const API_Guid wall = s.sim.AddElement(API_WallID);
    s.sim.SetSelection({wall});
    s.sim.SetMarquee(API_MarqueeHorBox, 4);
    EXPECT_FALSE(s.cache.Update(s.tv));
    ExpectCounts(s.cache, 0, 0, 0, 0);

    s.sim.SetMarquee(API_SelEmpty, 0);
    ASSERT_TRUE(s.cache.Update(s.tv));
    s.sim.SetMarquee(API_MarqueeHorBox, 4);
    EXPECT_TRUE(s.cache.Update(s.tv));
    ExpectCounts(s.cache, 1, 0, 0, 0);
}

TEST(SelectionCache, AnElementThatCannotBeReadCountsAsLeftOutAndTheOthersAreStillRead) {
    Scene s;
    TestSupport::LogCapture log;
    const API_Guid first = s.sim.AddElement(API_WallID);
    const API_Guid unreadable = s.sim.AddElement(API_WallID);
    const API_Guid gone = s.sim.AddElement(API_WallID);
    const API_Guid last = s.sim.AddElement(API_SlabID, {.locked = true});
    s.sim.SetSelection({first, unreadable, gone, last});
    TVSim::Faults::FailForElement(unreadable, APIERR_MEMFULL, "TVAPI_Element_GetHeader");
    // The host no longer lists it, as one deleted by another member before it noticed.
    TVSim::Faults::FailForElement(gone, APIERR_GENERAL, "TVAPI_Element_Filter");

    EXPECT_TRUE(s.cache.Update(s.tv));
    ExpectCounts(s.cache, 2, 1, 0, 2);
    EXPECT_EQ(log.MessagesStartingWith("exception: APIERR_MEMFULL").size(), 1u);
}

TEST(SelectionCache, AFailedSelectionQueryLeavesTheCacheEmpty) {
    Scene s;
    s.sim.SetSelection({s.sim.AddElement(API_WallID)});
    ASSERT_TRUE(s.cache.Update(s.tv));
    TVSim::Faults::FailCall("TVAPI_Selection_Get", APIERR_MEMFULL);
    EXPECT_THROW(s.cache.Update(s.tv), Api::Error<APIERR_MEMFULL>);
    ExpectCounts(s.cache, 0, 0, 0, 0);
}
