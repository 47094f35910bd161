// The elements of a connection that no clause covers yet, following the
// project: new elements, window, story and 3D changes, received changes.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Model/UnassociatedElementsCache.hpp"
#include "PK/Runnable.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Torvel/Api/TorvelEventSource.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"
#include "support/RecordingObserver.hpp"
#include "support/StoredRecords.hpp"

using namespace TestSupport;
using Model::Element;
using TestSupport::LogCapture;
using Types = PK::HashSet<Element::Type>;

namespace {

const PK::UniString groupOne = "Orvo Tessary: Project One / Spec One";

Element::Type T(API_ElemTypeID type, API_ElemVariationID variation = APIVarId_Generic) { return {type, variation}; }

// Connected with the host's notifications reaching the add-on.
ConnectionPtr ConnectedAndNotified(Project& p) {
    TVAPI_Notify_CatchProjectEvent(0xFFFFFFFF, &Api::TorvelEventSource::Send_ProjectEvent);
    TVAPI_Notify_CatchNewElement(nullptr, &Api::TorvelEventSource::Element_NewElementEvent);
    return p.Connect();
}

// A project whose connection has clauses "clause-a" (A10) and "clause-b"
// (B20), whose host notifications reach the add-on, and whose connection is
// watched.
struct Scene {
    Scene() {
        WithClauses({{"clause-a", "A10"}, {"clause-b", "B20"}});
        PK::MainMessageLoop::RunPending();
        observer.reports.clear();
    }

    // The connection as another version stores it, with these clauses.
    void WithClauses(const std::vector<std::pair<const char*, const char*>>& clauses) {
        StoredConnection record;
        record.system = p.System();
        record.group = group;
        for (const API_Guid& guid : p.sim.GetPropertyGroup(group).definitions)
            record.definitions.Add(p.sim.GetPropertyDefinition(guid).definition.name, guid);
        for (const auto& [clauseId, code] : clauses)
            record.virtualTypes.push_back({code, p.Item(code), clauseId, Clause(clauseId, code), {}});
        record.StoreInto(p.sim);
        p.Reload(*connection);
    }

    // An element associated with the clause the way an association leaves it.
    API_Guid Associated(API_ElemTypeID type, const char* clauseId, const char* code,
                        const TVSim::ElementOptions& options = {}) {
        return p.AddAssociated(*connection, clauseId, code, type, options);
    }

    Model::UnassociatedElementsCache& Cache() { return connection->UnassociatedElementsCache(); }
    PK::HashSet<PK::Guid> Held(const Element::Type& type) {
        const auto* held = Cache().Get().GetPtr(type);
        return held != nullptr ? *held : PK::HashSet<PK::Guid>();
    }

    Project p;
    ConnectionPtr connection = ConnectedAndNotified(p);
    API_Guid group = p.GroupOf(groupOne);
    API_Guid clauseIdDefinition = p.DefinitionOf(group, "OrvoTessaryClauseId");
    RecordingObserver observer{*connection, p.timeline};
};

}  // namespace

TEST(UnassociatedElements, ARebuildCountsTheUsableElementsWithoutAClauseOfTheConnectionAsTheWindowShowsThem) {
    Scene s;
    // An empty project reports an empty set of types.
    s.Cache().Reset(true);
    ASSERT_EQ(s.observer.reports.size(), 1u);
    EXPECT_TRUE(s.observer.reports[0].IsEmpty());
    EXPECT_EQ(TVSim::Progress::GetWindows().back().phaseCount,
              static_cast<PK::Int16>(Element::IncludedMainTypeCount()));
    EXPECT_FALSE(TVSim::Progress::IsOpen());

    TVSim::Project& sim = s.p.sim;
    const API_Guid wall = sim.AddElement(API_WallID);
    const API_Guid locked = sim.AddElement(API_WallID, {.locked = true});
    const API_Guid upstairs = sim.AddElement(API_WallID, {.story = 1});
    const API_Guid slab = sim.AddElement(API_SlabID);
    const API_Guid door = sim.AddElement(API_DoorID, {.variation = APIVarId_Door});
    const API_Guid notIn3D = sim.AddElement(API_SlabID, {.in3D = false});
    sim.AddElement(API_WallID, {.layer = sim.AddLayer("Hidden", {.hidden = true})});
    sim.AddElement(API_WallID, {.locked = true, .hotlink = PK::Guid::Generate()});
    sim.AddElement(API_DoorID);  // a door of a variation the add-on does not classify
    sim.AddElement(API_DimensionID);
    s.Associated(API_WallID, "clause-a", "A10");
    s.Associated(API_SlabID, "clause-b", "B20");
    // Carries a clause this connection does not have: still unassociated here.
    const API_Guid othersClause = s.Associated(API_WallID, "clause-x", "A10");
    PK::MainMessageLoop::RunPending();  // the host announces the new elements
    s.observer.reports.clear();

    // The floor plan shows the current story.
    s.Cache().Reset(true);
    EXPECT_EQ(s.Held(T(API_WallID)), (PK::HashSet<PK::Guid>{wall, locked, othersClause}));
    EXPECT_EQ(s.Held(T(API_SlabID)), (PK::HashSet<PK::Guid>{slab, notIn3D}));
    EXPECT_EQ(s.Held(T(API_DoorID, APIVarId_Door)), PK::HashSet<PK::Guid>{door});
    EXPECT_EQ(s.Cache().Get().GetSize(), 3u);
    ASSERT_EQ(s.observer.reports.size(), 1u);
    EXPECT_EQ(s.observer.reports[0], (Types{T(API_WallID), T(API_SlabID), T(API_DoorID, APIVarId_Door)}));
    EXPECT_EQ(s.Cache().GetElemCountByType(T(API_WallID)), 3u);

    // The 3D window shows every story, but only what is shown in 3D.
    sim.SetCurrentWindow(sim.FindWindow(APIWind_3DModelID));
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(s.Held(T(API_WallID)), (PK::HashSet<PK::Guid>{wall, locked, upstairs, othersClause}));
    EXPECT_EQ(s.Held(T(API_SlabID)), PK::HashSet<PK::Guid>{slab});
    EXPECT_EQ(s.observer.reports.size(), 2u);

    // A window that cannot be read counts as the 3D window.
    sim.SetCurrentWindow(sim.FindWindow(APIWind_FloorPlanID));
    PK::MainMessageLoop::RunPending();
    TVSim::Faults::FailAlways("TVAPI_Database", APIERR_GENERAL);
    LogCapture log;
    s.Cache().Reset(false);
    EXPECT_EQ(s.Held(T(API_WallID)), (PK::HashSet<PK::Guid>{wall, locked, upstairs, othersClause}));
    EXPECT_EQ(log.MessagesStartingWith("exception: APIERR_GENERAL").size(), 1u);
    EXPECT_EQ(s.observer.reports.size(), 3u);
}

TEST(UnassociatedElements, AnElementThatCannotBeReadIsSkippedAndTheRestOfItsTypeStillCounts) {
    Scene s;
    const API_Guid walls[] = {s.p.sim.AddElement(API_WallID), s.p.sim.AddElement(API_WallID),
                              s.p.sim.AddElement(API_WallID)};
    // The first wall the host lists fails to be read.
    PK::Array<PK::Guid> listed;
    s.p.tv->Element_GetElemList(listed, API_WallID, 0, APIVarId_Generic, PK::NULLGuid);
    ASSERT_EQ(listed.GetSize(), 3u);
    TVSim::Faults::FailForElement(listed[0], APIERR_GENERAL, "TVAPI_Element_GetHeader");

    LogCapture log;
    s.Cache().Reset(true);
    PK::HashSet<PK::Guid> expected;
    for (const API_Guid& wall : walls)
        if (wall != listed[0]) expected.Add(wall);
    EXPECT_EQ(s.Held(T(API_WallID)), expected);
    const auto lines = log.MessagesStartingWith("exception: APIERR_GENERAL");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("; mainType: 1; element: "), std::string::npos) << lines[0];

    // A type whose listing fails is left out; the others still count.
    TVSim::Faults::Clear();
    TVSim::Faults::FailCall("TVAPI_Element_GetElemList", APIERR_GENERAL);
    const API_Guid slab = s.p.sim.AddElement(API_SlabID);
    log.Clear();
    s.Cache().Reset(true);
    EXPECT_FALSE(s.Cache().Get().ContainsKey(T(API_WallID)));
    EXPECT_EQ(s.Held(T(API_SlabID)), PK::HashSet<PK::Guid>{slab});
    EXPECT_EQ(log.Count(spdlog::level::err, "exception: APIERR_GENERAL(-2130313215); mainType: 1"), 1u);
}

TEST(UnassociatedElements, NewElementsAreAddedOneByOneAndKindsThatBringPartsRebuildTheCache) {
    struct Row {
        const char* element;
        API_ElemTypeID type;
        TVSim::ElementOptions options;
        Types reported;  // empty: nothing is added or reported
    };
    Types railing{T(API_RailingID)};
    for (int type = API_RailingToprailID; type <= API_RailingEndFinishID; ++type)
        railing.Add(T(static_cast<API_ElemTypeID>(type)));
    const std::vector<Row> rows = {
        {"a wall", API_WallID, {}, Types{T(API_WallID)}},
        {"a locked slab", API_SlabID, {.locked = true}, Types{T(API_SlabID)}},
        {"a column", API_ColumnID, {}, Types{T(API_ColumnID), T(API_ColumnSegmentID)}},
        {"a beam", API_BeamID, {}, Types{T(API_BeamID), T(API_BeamSegmentID)}},
        {"a curtain wall",
         API_CurtainWallID,
         {},
         Types{T(API_CurtainWallID), T(API_CurtainWallSegmentID), T(API_CurtainWallFrameID), T(API_CurtainWallPanelID),
               T(API_CurtainWallJunctionID), T(API_CurtainWallAccessoryID)}},
        {"a stair", API_StairID, {}, Types{T(API_StairID), T(API_StairStructureID), T(API_RiserID), T(API_TreadID)}},
        {"a railing", API_RailingID, {}, railing},
        {"a door of another variation", API_DoorID, {}, Types{}},
        {"a hotlinked wall", API_WallID, {.locked = true, .hotlink = PK::Guid::Generate()}, Types{}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.element);
        Scene s;
        s.Cache().Reset(false);
        const API_Guid element = s.p.sim.AddElement(row.type, row.options);
        PK::MainMessageLoop::RunPending();
        if (row.reported.IsEmpty()) {
            EXPECT_TRUE(s.observer.reports.empty());
            EXPECT_TRUE(s.Cache().Get().IsEmpty());
            continue;
        }
        ASSERT_EQ(s.observer.reports.size(), 1u);
        EXPECT_EQ(s.observer.reports[0], row.reported);
        EXPECT_TRUE(s.Held(T(row.type, row.options.variation)).Contains(element));
    }
}

TEST(UnassociatedElements, ANewElementThatAlreadyCarriesAClauseIsNotAdded) {
    Scene s;
    s.Cache().Reset(false);
    LogCapture log;
    // A copy of an associated element.
    s.Associated(API_WallID, "clause-a", "A10");
    PK::MainMessageLoop::RunPending();
    EXPECT_TRUE(log.Records().empty());
    // A copy of an element of a clause the connection does not know.
    const API_Guid puzzling = s.Associated(API_WallID, "clause-x", "A10");
    PK::MainMessageLoop::RunPending();
    EXPECT_TRUE(s.observer.reports.empty());
    EXPECT_TRUE(s.Cache().Get().IsEmpty());
    const auto lines = log.MessagesStartingWith(
        "failed assertion: this->_conn.HasVirtualType( this->_conn.GetVirtualTypeIdForClauseId( clauseId)), "
        "this->_conn({ ");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(fmt::format("elem.GetTrueGuid()({}), typeID(API_WallID)", PK::Guid(puzzling))),
              std::string::npos)
        << lines[0];

    // A notification without an element type changes nothing.
    API_NotifyElementType empty;
    TVSim::Events::NewElement(&empty);
    EXPECT_TRUE(s.observer.reports.empty());
}

TEST(UnassociatedElements, AddingAndRemovingReportOnlyWhatChangedAndKeepEmptiedTypes) {
    Scene s;
    const API_Guid wall = s.p.sim.AddElement(API_WallID);
    const API_Guid slab = s.p.sim.AddElement(API_SlabID);
    s.Cache().Reset(false);

    const API_Guid beam = s.p.sim.AddElement(API_BeamID);  // made after the rebuild
    EXPECT_FALSE(s.Cache().Add(wall));
    EXPECT_FALSE(s.Cache().Remove(beam));
    EXPECT_TRUE(s.observer.reports.empty());

    EXPECT_TRUE(s.Cache().Remove(PK::Array<PK::Guid>{wall, slab}));
    ASSERT_EQ(s.observer.reports.size(), 1u);
    EXPECT_EQ(s.observer.reports[0], (Types{T(API_WallID), T(API_SlabID)}));
    EXPECT_EQ(s.Cache().GetElemCountByType(T(API_WallID)), 0u);
    EXPECT_TRUE(s.Cache().Get().ContainsKey(T(API_WallID)));
    EXPECT_TRUE(s.Cache().GetElemsByType(T(API_ZoneID)).IsEmpty());

    EXPECT_TRUE(s.Cache().Add(wall));
    EXPECT_EQ(s.observer.reports.back(), Types{T(API_WallID)});
    EXPECT_EQ(s.Cache().GetElemsByType(T(API_WallID)), PK::Array<PK::Guid>{wall});

    // The next rebuild drops the emptied type and reports it.
    s.observer.reports.clear();
    s.p.sim.DeleteElement(slab);
    s.Cache().Reset(true);
    EXPECT_FALSE(s.Cache().Get().ContainsKey(T(API_SlabID)));
    ASSERT_EQ(s.observer.reports.size(), 1u);
    EXPECT_EQ(s.observer.reports[0], (Types{T(API_WallID), T(API_SlabID), T(API_BeamID)}));
}

TEST(UnassociatedElements, ReceivedChangesStoryChangesAndThe3DDisplayRebuildTheCache) {
    Scene s;
    TVSim::Project& sim = s.p.sim;
    const API_Guid wall = sim.AddElement(API_WallID);
    const API_Guid upstairs = sim.AddElement(API_WallID, {.story = 1});
    sim.SetStories(0, {"Ground Floor", "First Floor"});
    PK::MainMessageLoop::RunPending();
    s.Cache().Reset(false);
    EXPECT_EQ(s.Held(T(API_WallID)), PK::HashSet<PK::Guid>{wall});

    // Another member associated the wall and added a clause for it.
    sim.Classify(wall, s.p.Item("B21"));
    s.p.sim.SetPropertyText(wall, s.clauseIdDefinition, "clause-c");
    s.WithClauses({{"clause-a", "A10"}, {"clause-b", "B20"}, {"clause-c", "B21"}});
    s.observer.reports.clear();
    TVSim::Events::ProjectEvent(APINotify_ReceiveChanges);
    EXPECT_EQ(s.Held(T(API_WallID)), PK::HashSet<PK::Guid>{});
    ASSERT_EQ(s.observer.reports.size(), 1u);
    EXPECT_EQ(s.observer.reports[0], Types{T(API_WallID)});

    sim.SetCurrentStory(1);
    PK::MainMessageLoop::RunPending();
    EXPECT_EQ(s.Held(T(API_WallID)), PK::HashSet<PK::Guid>{upstairs});

    TVSim::Events::ProjectEvent(APINotify_ShowIn3DChanged);
    EXPECT_EQ(s.observer.reports.size(), 3u);
}
