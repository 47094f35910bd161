// The elements of a connection that no clause covers yet, following the
// project: new elements, window, story and 3D changes, received changes.
#include <gtest/gtest.h>

#include "Model/UnassociatedElementsCache.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Torvel/Api/TorvelEventSource.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"
#include "support/RecordingObserver.hpp"

using namespace TestSupport;
using Model::Element;
using Types = PK::HashSet<Element::Type>;
using Guids = PK::HashSet<PK::Guid>;

namespace {

Element::Type T(API_ElemTypeID type, API_ElemVariationID variation = APIVarId_Generic) { return {type, variation}; }

// A watched connection with the clause "clause-a" (A10), whose host
// notifications reach the add-on.
struct Scene {
    Scene() {
        TVAPI_Notify_CatchProjectEvent(0xFFFFFFFF, &Api::TorvelEventSource::Send_ProjectEvent);
        TVAPI_Notify_CatchNewElement(nullptr, &Api::TorvelEventSource::Element_NewElementEvent);
        InCommand(*p.tv, [&] { connection->GetOrCreateVirtualType("clause-a", Clause("clause-a", "A10")); });
    }
    Model::UnassociatedElementsCache& Cache() { return connection->UnassociatedElementsCache(); }
    Guids Held(const Element::Type& type) {
        Guids held;
        for (const PK::Guid& element : Cache().GetElemsByType(type)) held.Add(element);
        return held;
    }

    Project p;
    ConnectionPtr connection = p.Connect();
    RecordingObserver observer{*connection, p.timeline};
};

}  // namespace

TEST(UnassociatedElements, ARebuildCountsTheUsableElementsWithoutAClauseAsTheWindowShowsThemAndSkipsWhatItCannotRead) {
    Scene s;
    s.Cache().Reset(true);  // of an empty project: a report of no types
    EXPECT_EQ(s.observer.reports, std::vector<Types>{Types{}});
    TVSim::Project& sim = s.p.sim;
    const API_Guid wall = sim.AddElement(API_WallID), locked = sim.AddElement(API_WallID, {.locked = true});
    const API_Guid upstairs = sim.AddElement(API_WallID, {.story = 1});
    const API_Guid slab = sim.AddElement(API_SlabID), notIn3D = sim.AddElement(API_SlabID, {.in3D = false});
    const API_Guid door = sim.AddElement(API_DoorID, {.variation = APIVarId_Door});
    sim.AddElement(API_WallID, {.layer = sim.AddLayer("Hidden", {.hidden = true})});
    sim.AddElement(API_WallID, {.locked = true, .hotlink = PK::Guid::Generate()});
    sim.AddElement(API_DoorID);  // a door of a variation the add-on does not classify
    s.p.AddAssociated(*s.connection, "clause-a", "A10");
    const API_Guid othersClause = s.p.AddAssociated(*s.connection, "clause-x", "A10");
    LogCapture log;
    // Announced as new, an element carrying a clause is not added; one of a clause unknown here is a puzzle.
    Deliver();
    EXPECT_FALSE(s.Held(T(API_WallID)).Contains(othersClause));
    const auto puzzles = log.MessagesStartingWith(
        "failed assertion: this->_conn.HasVirtualType( this->_conn.GetVirtualTypeIdForClauseId( clauseId)), "
        "this->_conn({ ");
    ASSERT_EQ(puzzles.size(), 1u);
    EXPECT_NE(puzzles[0].find(fmt::format("elem.GetTrueGuid()({}), typeID(API_WallID)", PK::Guid(othersClause))),
              std::string::npos);

    // A rebuild in the floor plan counts those of the current story, the puzzle too.
    s.observer.reports.clear();
    s.Cache().Reset(true);
    EXPECT_EQ(s.Held(T(API_WallID)), (Guids{wall, locked, othersClause}));
    EXPECT_EQ(s.Held(T(API_SlabID)), (Guids{slab, notIn3D}));
    EXPECT_EQ(s.Held(T(API_DoorID, APIVarId_Door)), Guids{door});
    EXPECT_EQ(s.observer.reports,
              std::vector<Types>{(Types{T(API_WallID), T(API_SlabID), T(API_DoorID, APIVarId_Door)})});
    EXPECT_EQ(TVSim::Progress::GetWindows().back().phaseCount,
              static_cast<PK::Int16>(Element::IncludedMainTypeCount()));

    // The 3D window shows every story, but only what is shown in 3D.
    sim.SetCurrentWindow(sim.FindWindow(APIWind_3DModelID));
    Deliver();
    EXPECT_EQ(s.Held(T(API_WallID)), (Guids{wall, locked, upstairs, othersClause}));
    EXPECT_EQ(s.Held(T(API_SlabID)), Guids{slab});

    // A window that cannot be read counts as the 3D window.
    sim.SetCurrentWindow(sim.FindWindow(APIWind_FloorPlanID));
    Deliver();
    TVSim::Faults::FailAlways("TVAPI_Database", APIERR_GENERAL);
    s.Cache().Reset(false);
    EXPECT_EQ(s.Held(T(API_WallID)), (Guids{wall, locked, upstairs, othersClause}));
    EXPECT_EQ(log.MessagesStartingWith("exception: APIERR_GENERAL").size(), 1u);
    EXPECT_EQ(s.observer.reports.size(), 3u);

    // The first element listed cannot be read: it is skipped, and the rest of its type still counts.
    PK::Array<PK::Guid> listed;
    s.p.tv->Element_GetElemList(listed, API_WallID, Element::GetVisibilityFilter(APIWind_3DModelID), APIVarId_Generic,
                                PK::NULLGuid);
    TVSim::Faults::FailForElement(listed[0], APIERR_GENERAL, "TVAPI_Element_GetHeader");
    Guids rest = s.Held(T(API_WallID));
    rest.Delete(listed[0]);
    s.Cache().Reset(false);
    EXPECT_EQ(s.Held(T(API_WallID)), rest);
    EXPECT_EQ(log.Count(spdlog::level::err,
                        fmt::format("exception: APIERR_GENERAL(-2130313215); mainType: 1; element: {}", listed[0])),
              1u);
    // A type whose listing fails is left out; the others still count.
    TVSim::Faults::FailCall("TVAPI_Element_GetElemList", APIERR_GENERAL);  // the walls' listing
    s.Cache().Reset(false);
    EXPECT_FALSE(s.Cache().GetTypes().ContainsKey(T(API_WallID)));
    EXPECT_EQ(s.Held(T(API_SlabID)), Guids{slab});
    EXPECT_EQ(log.Count(spdlog::level::err, "exception: APIERR_GENERAL(-2130313215); mainType: 1"), 1u);
}

// The host announces the new element alone, not the parts it comes with.
TEST(UnassociatedElements, ANewElementIsAddedAndReportedWithThePartsItsKindComesWith) {
    Types railing{T(API_RailingID)};
    for (int type = API_RailingToprailID; type <= API_RailingEndFinishID; ++type)
        railing.Add(T(static_cast<API_ElemTypeID>(type)));
    const std::vector<std::pair<API_ElemTypeID, Types>> rows = {
        {API_SlabID, Types{T(API_SlabID)}},
        {API_ColumnID, Types{T(API_ColumnID), T(API_ColumnSegmentID)}},
        {API_BeamID, Types{T(API_BeamID), T(API_BeamSegmentID)}},
        {API_CurtainWallID,
         Types{T(API_CurtainWallID), T(API_CurtainWallSegmentID), T(API_CurtainWallFrameID), T(API_CurtainWallPanelID),
               T(API_CurtainWallJunctionID), T(API_CurtainWallAccessoryID)}},
        {API_StairID, Types{T(API_StairID), T(API_StairStructureID), T(API_RiserID), T(API_TreadID)}},
        {API_RailingID, railing},
    };
    for (const auto& [type, reported] : rows) {
        Scene s;
        const API_Guid element = s.p.sim.AddElement(type);
        std::vector<std::pair<Element::Type, API_Guid>> parts;
        for (const Element::Type& part : reported)
            if (part.typeID != type) parts.emplace_back(part, s.p.sim.AddElement(part.typeID, {.owner = element}));
        Deliver();
        EXPECT_EQ(s.observer.reports, std::vector<Types>{reported}) << type;
        EXPECT_TRUE(s.Held(T(type)).Contains(element)) << type;
        for (const auto& [part, guid] : parts) EXPECT_TRUE(s.Held(part).Contains(guid)) << part;
    }
}

// Taken in without a rebuild, an element still leaves the list when it is associated.
TEST(UnassociatedElements, AnElementMadeOrDisassociatedSinceTheLastRebuildLeavesTheListWhenAssociated) {
    Scene s;
    const API_Guid earlier = s.p.AddAssociated(*s.connection, "clause-a", "A10");
    s.Cache().Reset(false);
    const API_Guid made = s.p.sim.AddElement(API_WallID);
    Deliver();
    s.connection->Cmd_DisassociateElementsFromVirtualType("clause-a", {earlier});
    ASSERT_EQ(s.Held(T(API_WallID)), (Guids{made, earlier}));
    s.connection->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {made, earlier}, false);
    EXPECT_EQ(s.Held(T(API_WallID)), Guids{});
    EXPECT_EQ(s.Cache().GetElemCountByType(T(API_WallID)), 0u);
}

TEST(UnassociatedElements, AddingAndRemovingReportOnlyWhatChangedAndARebuildDropsEmptiedTypes) {
    Scene s;
    const API_Guid wall = s.p.sim.AddElement(API_WallID), slab = s.p.sim.AddElement(API_SlabID);
    s.Cache().Reset(false);
    const API_Guid beam = s.p.sim.AddElement(API_BeamID);  // made after the rebuild
    EXPECT_FALSE(s.Cache().Add(wall));
    EXPECT_FALSE(s.Cache().Remove(beam));
    EXPECT_TRUE(s.Cache().Remove(PK::Array<PK::Guid>{wall, slab}));
    EXPECT_EQ(s.Cache().GetElemCountByType(T(API_WallID)), 0u);
    EXPECT_TRUE(s.Cache().GetTypes().ContainsKey(T(API_WallID)));
    EXPECT_TRUE(s.Cache().Add(wall));
    EXPECT_EQ(s.observer.reports, (std::vector<Types>{Types{T(API_WallID), T(API_SlabID)}, Types{T(API_WallID)}}));

    // The next rebuild drops the emptied type and reports it.
    s.observer.reports.clear();
    s.p.sim.DeleteElement(slab);
    s.Cache().Reset(true);
    EXPECT_FALSE(s.Cache().GetTypes().ContainsKey(T(API_SlabID)));
    EXPECT_EQ(s.observer.reports, std::vector<Types>{(Types{T(API_WallID), T(API_SlabID), T(API_BeamID)})});
}

TEST(UnassociatedElements, ReceivedChangesStoryChangesAndThe3DDisplayRebuildTheCache) {
    Scene s;
    TVSim::Project& sim = s.p.sim;
    const API_Guid wall = sim.AddElement(API_WallID), upstairs = sim.AddElement(API_WallID, {.story = 1});
    sim.SetStories(0, {"Ground Floor", "First Floor"});
    Deliver();
    s.Cache().Reset(false);
    EXPECT_EQ(s.Held(T(API_WallID)), Guids{wall});

    sim.DeleteElement(wall);  // by another member: only the received changes tell of it
    s.observer.reports.clear();
    TVSim::Events::ProjectEvent(APINotify_ReceiveChanges);
    EXPECT_EQ(s.Held(T(API_WallID)), Guids{});
    EXPECT_EQ(s.observer.reports, std::vector<Types>{Types{T(API_WallID)}});

    sim.SetCurrentStory(1);
    Deliver();
    EXPECT_EQ(s.Held(T(API_WallID)), Guids{upstairs});
    TVSim::Events::ProjectEvent(APINotify_ShowIn3DChanged);
    EXPECT_EQ(s.observer.reports.size(), 3u);
}
