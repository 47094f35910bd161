// A connection as a record: made in the project, stored as module data, read
// back, refused cleanly when its stored form cannot be read, and its marks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "IO/MemoryChannel.hpp"
#include "Model/Errors.hpp"
#include "Model/Issue/BaseWithText.hpp"
#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"
#include "support/RecordingObserver.hpp"
#include "support/StoredRecords.hpp"

using namespace TestSupport;
using Model::ConnectionWithSpecification;
using TestSupport::LogCapture;

namespace {

std::string Printed(const ConnectionWithSpecification& connection) { return fmt::format("{}", connection); }

std::vector<std::string> IssueTexts(ConnectionWithSpecification& connection) {
    std::vector<std::string> texts;
    for (const auto& issue : connection.GetIssuesWithText()) texts.push_back(fmt::format("{}", issue.GetIssue()));
    return texts;
}

std::vector<std::string> ClauseIds(const ConnectionWithSpecification& connection) {
    std::vector<std::string> ids;
    connection.EnumerateVirtualTypes([&](const Model::VirtualType& type) { ids.push_back(type.ClauseId().ToCStr()); });
    return ids;
}

// A record another version of the project holds: two clauses, issues, the disconnected mark.
StoredConnection TeamMembersRecord(const Project& p) {
    StoredConnection record;
    record.disconnected = true;
    record.system = p.System();
    record.group = PK::Guid::Generate();
    record.definitions.Add("OrvoTessaryClauseId", PK::Guid::Generate());
    record.definitions.Add("OrvoTessaryCode", PK::Guid::Generate());
    record.virtualTypes.push_back({"A10", p.Item("A10"), "clause-a", Clause("clause-a", "A10", "Walls"), {}});
    record.virtualTypes.push_back(
        {"B21", p.Item("B21"), "clause-b", Clause("clause-b", "B21", "Screed \"fine\""), {"OrvoTessaryTitle"}});
    record.issues.Push(std::make_shared<Model::Issue::CoudntUpdateProjectOrSpecTitle>("Spec Two", "Project Two"));
    record.issues.Push(std::make_shared<Model::Issue::MissingClassificationItem>(Clause("clause-c", "Z99")));
    record.issues.Push(std::make_shared<Model::Issue::UnknownError>("hint"));
    return record;
}

}  // namespace

TEST(ConnectionRecord, ConnectingCreatesTheGroupWithTheClauseDefinitionsTellsThePageAndStoresTheConnection) {
    Project p;
    const ConnectionPtr connection = p.Connect("spec-1", "Spec One", "project-1", "Project One");

    const API_Guid group = p.GroupOf("Orvo Tessary: Project One / Spec One");
    ASSERT_FALSE(group.IsNull());
    std::vector<std::string> names;
    for (const API_Guid& guid : p.sim.GetPropertyGroup(group).definitions) {
        const API_PropertyDefinition& definition = p.sim.GetPropertyDefinition(guid).definition;
        names.push_back(definition.name.ToCStr());
        EXPECT_EQ(definition.defaultValue.basicValue.singleVariant.variant.uniStringValue, PK::UniString("-"));
        // Available for every clause item, at any depth of the system.
        EXPECT_EQ(definition.availability,
                  (PK::Array<API_Guid>{p.Item("A10"), p.Item("B20"), p.Item("B21"), p.Item("C30")}));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"OrvoTessaryClauseId", "OrvoTessaryCode", "OrvoTessaryTitle",
                                               "OrvoTessaryPrefix", "OrvoTessarySuffix"}));
    EXPECT_EQ(p.timeline,
              std::vector<std::string>{"page AssociateSpec(spec-1, " + p.plan->Id().ToCStr() + ", Untitled)"});
    EXPECT_EQ(p.sim.GetUndoSteps().size(), 1u);

    const ConnectionPtr loaded = p.Load("spec-1");
    EXPECT_EQ(RecordOf(*loaded), p.Stored("spec-1"));
    EXPECT_EQ(loaded->TessaryProjectTitle(), PK::UniString("Project One"));
}

TEST(ConnectionRecord, AStoredConnectionReadsBackFieldForFieldAndIsWrittenBackByteForByte) {
    Project p;
    const StoredConnection record = TeamMembersRecord(p);
    record.StoreInto(p.sim);

    auto connection = std::make_shared<ConnectionWithSpecification>(p.tv, p.tessary, p.plan);
    Timeline firstHeard, secondHeard;
    RecordingObserver first(*connection, firstHeard), second(*connection, secondHeard);
    secondHeard.clear();
    p.Reload(*connection);

    EXPECT_EQ(secondHeard, (Timeline{"VirtualTypeListChanged", "IssueListChanged"}));
    EXPECT_EQ(firstHeard, secondHeard);
    EXPECT_EQ(connection->Id(), PK::UniString("spec-1"));
    EXPECT_EQ(connection->TessarySpecificationTitle(), PK::UniString("Spec One"));
    EXPECT_EQ(connection->TessaryProjectId(), PK::UniString("project-1"));
    EXPECT_TRUE(connection->IsDisconnected());
    EXPECT_EQ(ClauseIds(*connection), (std::vector<std::string>{"clause-a", "clause-b"}));
    EXPECT_EQ(connection->GetVirtualType("clause-b").Properties().Title(), PK::UniString("Screed \"fine\""));
    EXPECT_TRUE(connection->GetVirtualType("clause-b").HasDirtyProperty());
    EXPECT_THROW(connection->GetVirtualType("clause-c"), std::out_of_range);
    std::vector<std::string> expectedIssues;
    for (const auto& issue : record.issues) expectedIssues.push_back(fmt::format("{}", *issue));
    EXPECT_EQ(IssueTexts(*connection), expectedIssues);

    EXPECT_EQ(RecordOf(*connection), record.Bytes());
    EXPECT_TRUE(
        Printed(*connection)
            .starts_with("{ \"_lastModificationTime\": 0, \"_markedAsDeleted\": 0, \"_markedAsDisconnected\": 1, "
                         "\"_tessarySpecificationTitle\": \"Spec One\", \"_tessaryProjectTitle\": \"Project One\", "
                         "\"_classificationSystem\": { _guid: "));

    // Of two stored virtual types of one clause the first is kept.
    StoredConnection twice = TeamMembersRecord(p);
    twice.virtualTypes[1].clauseId = "clause-a";
    twice.StoreInto(p.sim);
    const ConnectionPtr deduplicated = p.Load();
    EXPECT_EQ(ClauseIds(*deduplicated), std::vector<std::string>{"clause-a"});
    EXPECT_EQ(deduplicated->GetVirtualType("clause-a").Properties().Code(), PK::UniString("A10"));
}

TEST(ConnectionRecord, ARecordThatCannotBeReadAnywhereIsATypedErrorAndTheConnectionStaysAsItWas) {
    Project p;
    TeamMembersRecord(p).StoreInto(p.sim);
    const std::vector<char> whole = p.Stored();
    const ConnectionPtr connection = p.Load();
    const std::string before = Printed(*connection);

    // Every value of the record in turn fails to be read.
    PK::USize values = 0;
    {
        IO::MemoryIChannel32 ic(whole.data(), whole.size());
        ConnectionWithSpecification probe(p.tv, p.tessary, p.plan);
        ASSERT_EQ(probe.Read(ic), PK::NoError);
        values = ic.GetValueCount();
    }
    ASSERT_GT(values, 40u);
    for (PK::USize nth = 1; nth <= values; ++nth) {
        SCOPED_TRACE("value " + std::to_string(nth) + " of " + std::to_string(values));
        PK::ChannelFaults::ArmNextChannel(nth, PK::EndOfInput);
        EXPECT_THROW(p.Reload(*connection), Api::GeneralError);
        ASSERT_EQ(Printed(*connection), before);
    }
    PK::ChannelFaults::Disarm();

    // Cut short, wherever.
    for (std::size_t length : {std::size_t{1}, whole.size() / 3, whole.size() / 2, whole.size() - 1}) {
        SCOPED_TRACE("cut at " + std::to_string(length) + " of " + std::to_string(whole.size()));
        p.sim.StoreModulData(
            "ConnectionWithSpecification:spec-1",
            {1, IO::PlatformSignLittleEndian, std::vector<char>(whole.begin(), whole.begin() + length)});
        EXPECT_THROW(p.Reload(*connection), Api::GeneralError);
        ASSERT_EQ(Printed(*connection), before);
    }

    // What the connection holds is still whole: storing it puts the whole record back.
    InCommand(*p.tv, [&] { connection->Store(); });
    EXPECT_EQ(p.Stored(), whole);
}

TEST(ConnectionRecord, ARecordOfANewerVersionIsRefusedAsSuchAndTheConnectionStaysAsItWas) {
    struct Row {
        const char* part;
        std::function<void(StoredConnection&)> make;
    };
    const std::vector<Row> rows = {
        {"connection", [](StoredConnection& r) { r.version = PK::ClassVersion(2, 0); }},
        {"property group", [](StoredConnection& r) { r.groupVersion = PK::ClassVersion(2, 0); }},
        {"virtual type", [](StoredConnection& r) { r.virtualTypes[1].version = PK::ClassVersion(2, 1); }},
    };
    Project p;
    TeamMembersRecord(p).StoreInto(p.sim);
    const ConnectionPtr connection = p.Load();
    const std::string before = Printed(*connection);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.part);
        StoredConnection newer = TeamMembersRecord(p);
        newer.specTitle = "Spec One, renamed";
        row.make(newer);
        newer.StoreInto(p.sim);
        EXPECT_THROW(p.Reload(*connection), Model::Error::VersionIncompatibility);
        EXPECT_EQ(Printed(*connection), before);
    }

    // A newer minor version reads: it only adds fields at the end.
    StoredConnection minor = TeamMembersRecord(p);
    minor.version = PK::ClassVersion(1, 3);
    minor.specTitle = "Spec One, renamed";
    minor.StoreInto(p.sim);
    p.Reload(*connection);
    EXPECT_EQ(connection->TessarySpecificationTitle(), PK::UniString("Spec One, renamed"));
}

TEST(ConnectionRecord, PlaceholdersTakeTheGivenTitlesOrTheConnectionsOwn) {
    Project p;
    const ConnectionPtr connection = p.Connect("spec-1", "S", "project-1", "P");
    const PK::UniString both = "{OrvoTessaryProjectTitle}/{OrvoTessarySpecificationTitle}";
    EXPECT_EQ(connection->ResolveVariables(both, "", ""), PK::UniString("P/S"));
    EXPECT_EQ(connection->ResolveVariables(both, "S2", "P2"), PK::UniString("P2/S2"));
    EXPECT_EQ(connection->ResolveVariables(both, "S2", ""), PK::UniString("P/S2"));
    EXPECT_EQ(connection->ResolveVariables("{OrvoTessarySpecificationId}:{OrvoTessaryProjectId}", "", ""),
              PK::UniString("spec-1:project-1"));
    // A value holding a placeholder keeps it: each value goes in once.
    EXPECT_EQ(ConnectionWithSpecification::ResolveVariables("{OrvoTessarySpecificationTitle}", "id",
                                                            "about {OrvoTessaryProjectTitle}", "pid", "House"),
              PK::UniString("about {OrvoTessaryProjectTitle}"));
    EXPECT_FALSE(ConnectionWithSpecification::IsModulDataNameOfThisType("PlanData"));
}

TEST(ConnectionRecord, TheDisconnectedMarkIsStoredAndOnlyAPageClearsIt) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    p.timeline.clear();
    InCommand(*p.tv, [&] { connection->MarkAsDisconnected(); });
    EXPECT_TRUE(p.Load()->IsDisconnected());

    // Without a page nothing happens: the mark stays and nothing is stored.
    p.tessary->Reset({});
    TVSim::Journal::Clear();
    InCommand(*p.tv, [&] { connection->ReconnectWithTessarySpecification(); });
    EXPECT_TRUE(connection->IsDisconnected());
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_ModulData_Store"), 0u);

    // With the page back, the page hears of the plan and the cleared mark is stored.
    p.tessary->Reset(p.page);
    InCommand(*p.tv, [&] { connection->ReconnectWithTessarySpecification(); });
    EXPECT_FALSE(connection->IsDisconnected());
    EXPECT_FALSE(p.Load()->IsDisconnected());
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_ModulData_Store"), 1u);

    // Reconnecting a connection that is not marked only tells the page.
    InCommand(*p.tv, [&] { connection->ReconnectWithTessarySpecification(); });
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_ModulData_Store"), 1u);
    EXPECT_EQ(p.timeline.size(), 2u);
}

TEST(ConnectionRecord, AConnectionKeepsWorkingAfterEveryoneElseDroppedWhatItWasMadeWith) {
    Project p;
    ConnectionPtr connection;
    std::weak_ptr<Api::Torvel> host;
    std::weak_ptr<Model::PlanData> identity;
    {
        // The factory's own pointers, gone once the factory is.
        auto tv = std::make_shared<Implementation::Torvel>();
        host = tv;
        auto tessary = std::make_shared<Model::TessaryPtr>(p.page);
        auto plan = std::make_shared<Model::PlanData>(tv);
        plan->GenerateNew();
        identity = plan;
        InCommand(*tv, [&] {
            connection = std::make_shared<ConnectionWithSpecification>(tv, tessary, plan, p.System(), "spec-1", "S",
                                                                       "project-1", "P");
        });
    }
    EXPECT_FALSE(host.expired());
    EXPECT_FALSE(identity.expired());
    p.timeline.clear();
    InCommand(connection->TV(), [&] {
        connection->MarkAsDisconnected();
        connection->ReconnectWithTessarySpecification();
    });
    ASSERT_EQ(p.timeline.size(), 1u);
    EXPECT_TRUE(p.timeline[0].starts_with("page AssociateSpec(spec-1, "));
    EXPECT_FALSE(p.Load()->IsDisconnected());
}

TEST(ConnectionRecord, TheClassificationSystemFindsItemsAtAnyDepthAndNoticesWhenItIsGone) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    const Model::ClassificationSystem& system = connection->ClassificationSystem();
    EXPECT_TRUE(system.GetItemByID("Z99").IsNull());
    EXPECT_EQ(system.GetAllItems(), (PK::Array<PK::Guid>{p.Item("A10"), p.Item("B20"), p.Item("B21"), p.Item("C30")}));

    p.sim.DeleteClassificationSystem(p.System());
    EXPECT_THROW(system.Check(), Model::Error::MissingClassificationSystem);
    EXPECT_THROW(system.GetItemByID("A10"), Model::Error::MissingClassificationSystem);
    // Connecting with it gone creates nothing.
    p.timeline.clear();
    const PK::USize stored = p.sim.GetModulDataNames().GetSize();
    EXPECT_THROW(p.Connect("spec-2"), Model::Error::MissingClassificationSystem);
    EXPECT_EQ(p.sim.GetPropertyGroups().GetSize(), 1u);
    EXPECT_EQ(p.sim.GetModulDataNames().GetSize(), stored);
    EXPECT_TRUE(p.timeline.empty());

    // A connection that knows no system says so without asking the host.
    auto empty = std::make_shared<ConnectionWithSpecification>(p.tv, p.tessary, p.plan);
    TVSim::Journal::Clear();
    EXPECT_THROW(empty->ClassificationSystem().Check(), Model::Error::MissingClassificationSystem);
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Classification_GetClassificationSystem"), 0u);
}
