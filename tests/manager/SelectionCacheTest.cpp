#include <gtest/gtest.h>

#include "Model/SelectionCache.hpp"
#include "TVSim/Sim.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;

TEST(SelectionCache, KeepsWhatCanBeAssociatedInTheHostsOrderAndSaysWhetherTheSelectionMatteredToTheModel) {
    TVSim::Reset();
    TVSim::Project& sim = TVSim::OpenProject();
    Implementation::Torvel tv;
    Model::SelectionCache cache;
    // Updates the cache; its answer and counts: "changed elements/not-editable/hotlink/left-out".
    const auto update = [&] {
        const bool changed = cache.Update(tv);
        EXPECT_EQ(cache.GetSelectedCount(), cache.GetElements().GetSize() + cache.GetFilteredOutCount());
        return fmt::format("{} {}/{}/{}/{}", changed ? "changed" : "same", cache.GetElements().GetSize(),
                           cache.GetNotEditableCount(), cache.GetHotlinkCount(), cache.GetFilteredOutCount());
    };
    TestSupport::LogCapture log;
    const API_Guid editable = sim.AddElement(API_WallID);
    const API_Guid onLockedLayer = sim.AddElement(API_SlabID, {.layer = sim.AddLayer("Locked", {.locked = true})});
    const API_Guid hotlinked = sim.AddElement(API_ColumnID, {.hotlink = PK::Guid::Generate()});
    const API_Guid dimension = sim.AddElement(API_DimensionID);
    const API_Guid unreadable = sim.AddElement(API_WallID), gone = sim.AddElement(API_WallID);
    const API_Guid wall = sim.AddElement(API_WallID), section = sim.AddSectionElement(wall);
    sim.SetSelection({editable, onLockedLayer, hotlinked, dimension, unreadable, gone, section});
    TVSim::Faults::FailForElement(unreadable, APIERR_MEMFULL, "TVAPI_Element_GetHeader");
    // The host no longer lists it, as one deleted by another member before it noticed.
    TVSim::Faults::FailForElement(gone, APIERR_GENERAL, "TVAPI_Element_Filter");
    EXPECT_EQ(update(), "changed 4/2/1/3");
    PK::Array<PK::Guid> expected;
    for (const API_Guid& guid : sim.GetSelection()) {
        if (guid == section) expected.Push(wall);  // a section element stands for its element
        if (guid == editable || guid == onLockedLayer || guid == hotlinked) expected.Push(guid);
    }
    EXPECT_EQ(cache.GetElements(), expected);
    EXPECT_EQ(log.MessagesStartingWith("exception: APIERR_MEMFULL").size(), 1u);

    // Changed whenever it held elements or items are selected, though none is kept.
    sim.SetSelection({});
    EXPECT_EQ(update(), "changed 0/0/0/0");
    sim.SetSelection({dimension});
    EXPECT_EQ(update(), "changed 0/0/0/1");
    sim.SetSelection({});
    EXPECT_EQ(update(), "same 0/0/0/0") << "only left-out items before: nothing held";
    // A marquee is read only to empty a cache that held elements.
    sim.SetSelection({wall});
    sim.SetMarquee(API_MarqueeHorBox, 4);
    EXPECT_EQ(update(), "same 0/0/0/0");
    sim.SetMarquee(API_SelEmpty, 0);
    EXPECT_EQ(update(), "changed 1/0/0/0");
    sim.SetMarquee(API_MarqueeHorBox, 4);
    EXPECT_EQ(update(), "changed 1/0/0/0");
    // A host that cannot tell leaves it empty.
    TVSim::Faults::FailCall("TVAPI_Selection_Get", APIERR_MEMFULL);
    EXPECT_THROW(cache.Update(tv), Api::Error<APIERR_MEMFULL>);
    EXPECT_TRUE(cache.GetElements().IsEmpty());
    EXPECT_EQ(cache.GetSelectedCount(), 0u);
}
