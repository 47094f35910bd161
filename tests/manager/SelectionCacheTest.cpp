// The host selection as the model keeps it: what can be associated, what
// the user cannot change now, and what was left out.
#include <gtest/gtest.h>

#include "Model/SelectionCache.hpp"
#include "TVSim/Sim.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;
using Model::SelectionCache;

namespace {

struct Scene {
    Scene() : sim((TVSim::Reset(), TVSim::OpenProject())) {}

    // Updates the cache; its answer and counts: "changed elements/not-editable/hotlink/left-out".
    std::string Update() {
        const bool changed = cache.Update(tv);
        EXPECT_EQ(cache.GetSelectedCount(), cache.GetElements().GetSize() + cache.GetFilteredOutCount());
        EXPECT_EQ(cache.GetEditableCount(), cache.GetElements().GetSize() - cache.GetNotEditableCount());
        return std::string(changed ? "changed " : "same ") + std::to_string(cache.GetElements().GetSize()) + "/" +
               std::to_string(cache.GetNotEditableCount()) + "/" + std::to_string(cache.GetHotlinkCount()) + "/" +
               std::to_string(cache.GetFilteredOutCount());
    }

    TVSim::Project& sim;
    Implementation::Torvel tv;
    SelectionCache cache;
};

}  // namespace

TEST(SelectionCache, KeepsWhatCanBeAssociatedInTheHostsOrderAndCountsWhatTheUserCannotChangeOrWasLeftOut) {
    Scene s;
    TestSupport::LogCapture log;
    const API_Guid editable = s.sim.AddElement(API_WallID);
    const API_Guid onLockedLayer = s.sim.AddElement(API_SlabID, {.layer = s.sim.AddLayer("Locked", {.locked = true})});
    const API_Guid hotlinked = s.sim.AddElement(API_ColumnID, {.hotlink = PK::Guid::Generate()});
    const API_Guid dimension = s.sim.AddElement(API_DimensionID);
    const API_Guid unreadable = s.sim.AddElement(API_WallID);
    const API_Guid gone = s.sim.AddElement(API_WallID);
    const API_Guid wall = s.sim.AddElement(API_WallID);
    const API_Guid section = s.sim.AddSectionElement(wall);
    s.sim.SetSelection({editable, onLockedLayer, hotlinked, dimension, unreadable, gone, section});
    TVSim::Faults::FailForElement(unreadable, APIERR_MEMFULL, "TVAPI_Element_GetHeader");
    // The host no longer lists it, as one deleted by another member before it noticed.
    TVSim::Faults::FailForElement(gone, APIERR_GENERAL, "TVAPI_Element_Filter");

    EXPECT_EQ(s.Update(), "changed 4/2/1/3");
    PK::Array<PK::Guid> expected;
    for (const API_Guid& guid : s.sim.GetSelection()) {
        if (guid == section) expected.Push(wall);  // a section element stands for its element
        if (guid == editable || guid == onLockedLayer || guid == hotlinked) expected.Push(guid);
    }
    EXPECT_EQ(s.cache.GetElements(), expected);
    EXPECT_EQ(log.MessagesStartingWith("exception: APIERR_MEMFULL").size(), 1u);
}

TEST(SelectionCache, SaysWhetherTheSelectionMattersToTheModelAndEmptiesWhenTheHostCannotTell) {
    Scene s;
    const API_Guid wall = s.sim.AddElement(API_WallID);
    EXPECT_EQ(s.Update(), "same 0/0/0/0") << "nothing before, nothing now";
    s.sim.SetSelection({s.sim.AddElement(API_DimensionID)});
    EXPECT_EQ(s.Update(), "changed 0/0/0/1") << "items were selected, though none is kept";
    s.sim.SetSelection({});
    EXPECT_EQ(s.Update(), "same 0/0/0/0") << "only left-out items before: nothing held";

    // A marquee is read only to empty a cache that held elements.
    s.sim.SetSelection({wall});
    s.sim.SetMarquee(API_MarqueeHorBox, 4);
    EXPECT_EQ(s.Update(), "same 0/0/0/0");
    s.sim.SetMarquee(API_SelEmpty, 0);
    EXPECT_EQ(s.Update(), "changed 1/0/0/0");
    s.sim.SetMarquee(API_MarqueeHorBox, 4);
    EXPECT_EQ(s.Update(), "changed 1/0/0/0");
    s.sim.SetMarquee(API_SelEmpty, 0);
    s.sim.SetSelection({});
    EXPECT_EQ(s.Update(), "changed 0/0/0/0") << "the held elements are gone";

    s.sim.SetSelection({wall});
    ASSERT_EQ(s.Update(), "changed 1/0/0/0");
    TVSim::Faults::FailCall("TVAPI_Selection_Get", APIERR_MEMFULL);
    EXPECT_THROW(s.cache.Update(s.tv), Api::Error<APIERR_MEMFULL>);
    EXPECT_TRUE(s.cache.GetElements().IsEmpty());
    EXPECT_EQ(s.cache.GetSelectedCount(), 0u);
}
