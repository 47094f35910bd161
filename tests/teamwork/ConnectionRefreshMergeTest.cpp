// A connection re-reading itself after a receive, taking in another member's
// version of itself, and telling which of its clauses elements carry.
#include <gtest/gtest.h>

#include "Torvel/Api/Torvel.hpp"
#include "support/LogCapture.hpp"
#include "support/RecordingObserver.hpp"
#include "support/Team.hpp"

using namespace TestSupport;
using Model::ConnectionWithSpecification;

namespace {

// spec-1 connected on one machine.
struct OneConnection : ::testing::Test {
    TestSupport::LogCapture log;
    Project project;
    ConnectionPtr connection = project.Connect();
};

using ConnectionRefresh = OneConnection;
using ConnectionMerge = OneConnection;
using ConnectionLookUp = OneConnection;

}  // namespace

TEST_F(ConnectionRefresh, ARecordReadBackTellsTheListsAndTheCacheAndAnErasedOneMarksItDeletedSilently) {
    project.sim.AddElement(API_WallID);
    ASSERT_TRUE(AddClause(*project.Read(project.Stored()), "clause-a", "A10"));
    Timeline heard;
    RecordingObserver events(*connection, heard);
    connection->RefreshFromStored();
    EXPECT_TRUE(connection->HasVirtualType("clause-a"));
    EXPECT_EQ(heard, (std::vector<std::string>{"VirtualTypeListChanged", "IssueListChanged",
                                               "UnassociatedElementTypeChanged"}));

    // Erased by another member.
    heard.clear();
    project.sim.EraseModulData("ConnectionWithSpecification:spec-1");
    connection->RefreshFromStored();
    EXPECT_TRUE(connection->IsDeleted());
    EXPECT_TRUE(heard.empty());
    EXPECT_TRUE(log.Has(spdlog::level::info, "Moduldata probably deleted on another TW client"));
}

TEST_F(ConnectionRefresh, AnUnreadableRecordIsLoggedAndKeptAndOnlyANewerOneStopsTheConnectionFromStoring) {
    ASSERT_TRUE(AddClause(*connection, "clause-a", "A10"));
    std::vector<char> damaged = project.Stored();
    damaged.resize(damaged.size() - 3);
    project.Store("spec-1", damaged);
    EXPECT_NO_THROW(connection->RefreshFromStored());
    EXPECT_FALSE(connection->IsDeleted());
    EXPECT_TRUE(connection->HasVirtualType("clause-a")) << "it keeps what it had";
    EXPECT_EQ(log.MessagesStartingWith("ConnectionWithSpecification read error: ").size(), 2u);
    EXPECT_EQ(project.Stored(), damaged);

    const std::vector<char> newer = StoredConnection{.version = {2, 0}}.Bytes();
    project.Store("spec-1", newer);
    EXPECT_NO_THROW(connection->RefreshFromStored());
    EXPECT_TRUE(connection->IsDeleted());
    EXPECT_TRUE(
        log.Has(spdlog::level::critical, "ConnectionWithSpecification read error: Error::VersionIncompatibility"));
    AddIssue(*connection, "stored over it?");
    EXPECT_EQ(project.Stored(), newer);
}

TEST_F(ConnectionMerge, ANewClauseIsAnnouncedButNamesGroupAndMarksWinSilentlyAndAnotherSpecificationIsRefused) {
    // A clause only the incoming version has is added and announced.
    auto other = project.Read(project.Stored());
    ASSERT_TRUE(AddClause(*other, "clause-a", "A10"));
    {
        Timeline heard;
        RecordingObserver events(*connection, heard);
        EXPECT_TRUE(connection->MergeIn(*other));
        EXPECT_TRUE(connection->HasVirtualType("clause-a"));
        EXPECT_EQ(heard, std::vector<std::string>{"VirtualTypeListChanged"});
    }
    connection->CallUndoableCmd("Mark", [&] { connection->MarkAsDisconnected(); });
    const std::vector<char> mine = RecordOf(*connection);

    // The other member's version: renamed, with a group of its own, not disconnected, the same clause.
    const ConnectionPtr theirs = project.Connect("spec-1", "Spec renamed", "project-1", "Project renamed");
    ASSERT_TRUE(AddClause(*theirs, "clause-a", "A10"));
    Timeline heard;
    RecordingObserver events(*connection, heard);
    EXPECT_FALSE(connection->MergeIn(*theirs));
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(connection->TessarySpecificationTitle(), "Spec renamed");
    EXPECT_EQ(connection->TessaryProjectTitle(), "Project renamed");
    EXPECT_EQ(connection->PropertyGroup().GetPropertyGuid(Api::Properties::Name::Code),
              theirs->PropertyGroup().GetPropertyGuid(Api::Properties::Name::Code));
    EXPECT_FALSE(connection->IsDisconnected()) << "the incoming mark wins, also when it is clear";

    auto before = project.Read(mine);
    const std::vector<char> unchanged = RecordOf(*before);
    EXPECT_FALSE(before->MergeIn(*project.Connect("spec-2")));
    EXPECT_TRUE(log.Has(spdlog::level::critical,
                        "failed assertion: this->_tessarySpecificationId == toMerge._tessarySpecificationId"));
    EXPECT_EQ(RecordOf(*before), unchanged);
}

TEST_F(ConnectionMerge, AClauseTakenInKeepsTheValuesNotYetWrittenSoTheyStillReachTheElements) {
    const std::vector<char> mine = project.Stored();
    // The other member changed the clause's title while one of its walls was locked.
    const API_Guid wall = project.sim.AddElement(API_WallID), locked = project.sim.AddElement(API_WallID);
    auto other = project.Read(mine);
    other->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10", "Walls"), {wall, locked}, false);
    project.sim.SetElementLocked(locked, true);
    other->Cmd_UpdateVirtualTypeProperties("clause-a", Clause("clause-a", "A10", "Outer walls"), false);
    ASSERT_TRUE(other->GetVirtualType("clause-a").HasDirtyProperty());
    project.Store("spec-1", mine);

    ASSERT_TRUE(connection->MergeIn(*project.Read(RecordOf(*other))));
    other.reset();
    project.Store("spec-1", RecordOf(*connection));  // as the host keeps the merged version
    EXPECT_EQ(
        connection->GetVirtualType("clause-a").GetAsAssociableType(true).properties.Get(Api::Properties::Name::Title),
        "Outer walls<dirty>");
    project.sim.SetElementLocked(locked, false);
    connection->Cmd_UpdateVirtualTypeProperties("clause-a", {}, false);
    const API_Guid title = connection->PropertyGroup().GetPropertyGuid(Api::Properties::Name::Title);
    EXPECT_EQ(Text(project.sim.GetPropertyText(locked, title)), "Outer walls");
}

TEST_F(ConnectionMerge, AGroupTheIncomingVersionReplacesTravelsWithTheRecordOnceAndGoesWithADisconnection) {
    auto replacedOf = [](const Model::ConnectionWithSpecification& of) {
        PK::Array<PK::Guid> guids;
        for (const auto& replaced : of.PropertyGroup().GetReplacedGroups()) guids.Push(replaced.guid);
        return guids;
    };
    // Another member connected the same specification at once, with a group of its own.
    const ConnectionPtr theirs = project.Connect();
    const API_Guid mine = project.GroupOf("Orvo Tessary: Project One / Spec One");
    const API_Guid kept = project.GroupOf("Orvo Tessary: Project One / Spec One*");
    ASSERT_FALSE(mine.IsNull());
    ASSERT_FALSE(kept.IsNull());
    connection->MergeIn(*theirs);
    EXPECT_EQ(connection->PropertyGroup().GetPropertyGuid(Api::Properties::Name::ClauseId),
              theirs->PropertyGroup().GetPropertyGuid(Api::Properties::Name::ClauseId));
    EXPECT_EQ(replacedOf(*connection), PK::Array<PK::Guid>{mine});

    // The other member reads it from the record and merges it back and forth: listed once, never the kept group.
    const ConnectionPtr received = project.Read(RecordOf(*connection));
    EXPECT_EQ(replacedOf(*received), PK::Array<PK::Guid>{mine});
    theirs->MergeIn(*received);
    received->MergeIn(*theirs);
    EXPECT_EQ(replacedOf(*theirs), PK::Array<PK::Guid>{mine});
    EXPECT_EQ(replacedOf(*received), PK::Array<PK::Guid>{mine});

    ASSERT_TRUE(connection->Cmd_Disconnect(false));
    EXPECT_FALSE(project.sim.HasPropertyGroup(kept));
    EXPECT_FALSE(project.sim.HasPropertyGroup(mine)) << "the replaced group goes too";
}

TEST_F(ConnectionLookUp, ElementsAreSortedIntoTheClausesTheyCarryAndThoseCarryingNone) {
    ASSERT_TRUE(AddClause(*connection, "clause-a", "A10"));
    const API_Guid item = project.sim.FindClassificationItem(project.System(), "A10");
    const API_Guid clauseIdDefinition = connection->PropertyGroup().GetPropertyGuid(Api::Properties::Name::ClauseId);
    auto element = [&](const char* clauseId) {
        const API_Guid guid = project.sim.AddElement(API_WallID);
        project.sim.Classify(guid, item);
        if (clauseId != nullptr) project.sim.SetPropertyText(guid, clauseIdDefinition, clauseId);
        return guid;
    };
    const API_Guid first = element("clause-a"), second = element("clause-a"), bare = element(nullptr);
    const API_Guid vanishing = element("clause-a"), failing = element("clause-a"), unknownClause = element("clause-z");
    // The host loses one while its value is read, and cannot read another.
    TVSim::Faults::FailForElement(vanishing, APIERR_BADID, "TVAPI_Element_GetPropertyValuesByGuid");
    TVSim::Faults::FailForElement(failing, APIERR_GENERAL, "TVAPI_Element_GetPropertyValuesByGuid");

    const auto found =
        connection->FindVirtualTypeIdsForElements({first, bare, vanishing, second, failing, unknownClause});
    ASSERT_EQ(found.virtualTypes.GetSize(), 1u);
    EXPECT_EQ(found.virtualTypes[0]->ClauseId(), "clause-a");
    EXPECT_EQ(found.unassociatedElements, (PK::Array<PK::Guid>{bare, failing}));
    EXPECT_EQ(log.MessagesStartingWith("Element(").size(), 1u) << "the one gone is in neither list";
    EXPECT_TRUE(log.Has(spdlog::level::err, "GeneralError: APIERR_GENERAL(-2130313215)"));
    TVSim::Faults::Clear();
    EXPECT_EQ(log.MessagesStartingWith("not exitsing virtual type for clauseId(\"clause-z\")").size(), 1u);

    EXPECT_EQ(connection->GetAssociatedElements("clause-a").GetSize(), 4u);
    EXPECT_TRUE(connection->GetAssociatedElements("clause-q").IsEmpty());
    EXPECT_TRUE(
        log.Has(spdlog::level::err,
                "failed assertion: this->_virtualTypes.ContainsKey(virtualTypeId), virtualTypeId(\"clause-q\")"));

    // Without the clause-id definition no element can carry a clause.
    project.sim.DeletePropertyDefinition(clauseIdDefinition);
    const auto none = connection->FindVirtualTypeIdsForElements({first, bare});
    EXPECT_TRUE(none.virtualTypes.IsEmpty());
    EXPECT_EQ(none.unassociatedElements, (PK::Array<PK::Guid>{first, bare}));
}

TEST_F(ConnectionLookUp, AFailingLookUpOutsideACommandAnswersAndKeepsItsIssue) {
    ASSERT_TRUE(AddClause(*connection, "clause-a", "A10"));
    const API_Guid wall = project.sim.AddElement(API_WallID);
    TVSim::Faults::FailAlways("TVAPI_Property_GetPropertyDefinition", APIERR_GENERAL);

    Model::VirtualTypesOfElements found;
    EXPECT_NO_THROW(found = connection->FindVirtualTypeIdsForElements({wall}));
    EXPECT_TRUE(found.virtualTypes.IsEmpty());
    EXPECT_TRUE(found.unassociatedElements.IsEmpty());
    EXPECT_NO_THROW(connection->GetAssociatedElements("clause-a"));
    EXPECT_EQ(connection->IssueCollection().Get().GetSize(), 1u) << "an unknown error";
    // Stored at once: a connection stores itself inside a host command of its own when it is outside one.
    EXPECT_FALSE(log.Has(spdlog::level::err, "exception: APIERR_NEEDSUNDOSCOPE(-2130312307)"));
}
