// The connection factory on one user's machine: connecting with its refusals
// and failures, the cache of live connections, stored records it cannot read,
// the host's module-data merge requests, and in team work the clause values it
// keeps for each connection nobody holds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "IO/MemoryChannel.hpp"
#include "Model/ConnectionWithSpecificationFactory.hpp"
#include "Model/Errors.hpp"
#include "Torvel/Api/Error.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/LogCapture.hpp"
#include "support/Team.hpp"

using namespace TestSupport;
using testing::ElementsAre;
using testing::HasSubstr;

namespace {

// One user's project with the add-on's connection factory.
struct ConnectionFactory : ::testing::Test {
    // spec-<n>, "Spec <n>" in "Project One", through system n unless another is given.
    ConnectionPtr Connect(int n, int system = 0) {
        return factory.Cmd_Connect(project.System(system == 0 ? n : system), SpecId(n),
                                   ("Spec " + std::to_string(n)).c_str(), "project-1", "Project One");
    }

    TestSupport::LogCapture log;
    Project project;
    Model::ConnectionWithSpecificationFactory factory{project.tv, project.tessary, project.plan};
    const PK::UniString name = "ConnectionWithSpecification:spec-1";
    // A record whose outer frame a newer version of the add-on wrote.
    const std::vector<char> newer = StoredConnection{.version = {2, 0}}.Bytes();
};

// A host module-data record holding its own copy of the bytes (none: a null handle); frees it when it goes.
struct Record {
    explicit Record(const std::vector<char>* bytes = nullptr, PK::UInt16 sign = IO::PlatformSignLittleEndian) {
        data.dataVersion = 1;
        data.platformSign = sign;
        if (bytes != nullptr) BMPtrToHandle(bytes->data(), &data.dataHdl, static_cast<PK::Int32>(bytes->size()));
    }
    Record(const Record&) = delete;
    ~Record() { BMKillHandle(&data.dataHdl); }
    std::vector<char> Bytes() const {
        if (data.dataHdl == nullptr) return {};
        return std::vector<char>(*data.dataHdl, *data.dataHdl + BMGetHandleSize(data.dataHdl));
    }

    API_ModulData data{};
};

// The title the element carries for the specification's connection, on the current member's machine.
std::string TitleOf(Team& team, int spec, const API_Guid& element) {
    TVSim::Project& sim = team.Sim();
    const API_Guid group = sim.FindPropertyGroup(("Orvo Tessary: Project One / Spec " + std::to_string(spec)).c_str());
    return Text(sim.GetPropertyText(element, sim.FindPropertyDefinition(group, "OrvoTessaryTitle")));
}

template <typename Refusal, typename Call>
void ExpectRefusedFor(const ConnectionPtr& existing, Call call) {
    try {
        call();
        ADD_FAILURE() << "connected twice";
    } catch (const Refusal& e) {
        EXPECT_EQ(e.GetConnection(), existing);
    }
}

}  // namespace

TEST_F(ConnectionFactory, ConnectingRefusesAUsedClassificationSystemBeforeAnAlreadyConnectedSpecification) {
    const auto first = Connect(1);
    const std::size_t steps = project.sim.GetUndoSteps().size();
    // spec-1 again, through system 1: the system is checked first.
    ExpectRefusedFor<Model::ClassificationSystemAlreadyUsedError>(first, [&] { Connect(1); });
    ExpectRefusedFor<Model::ConnectionAlreadyExistsForSpecificationInPlanError>(first, [&] { Connect(1, 2); });
    EXPECT_EQ(project.sim.GetUndoSteps().size(), steps) << "a refusal changes nothing";
}

TEST_F(ConnectionFactory, AConnectThatFailsInsideTheCommandOrThatTheHostRefusesToRunThrowsAndLeavesNoGroup) {
    struct Row {
        const char* failing;
        PK::USize nth;
        PKErrCode code;
        const char* thrown;  // as the log line has it
    };
    for (const Row& row : {Row{"TVAPI_Property_CreatePropertyDefinition", 3, APIERR_NOACCESSRIGHT,
                               "ErrorPropertyManagerNoAccessRight(APIERR_NOACCESSRIGHT)"},
                           Row{"TVAPI_ModulData_Store", 1, APIERR_GENERAL, "APIERR_GENERAL(-2130313215)"},
                           Row{"TVAPI_CallUndoableCommand", 1, APIERR_GENERAL, "the host did not run the command"}}) {
        SCOPED_TRACE(row.failing);
        TVSim::Faults::FailCall(row.failing, row.code, row.nth);
        EXPECT_ANY_THROW(Connect(1));
        EXPECT_TRUE(project.sim.GetPropertyGroups().IsEmpty()) << "the group made for the connection is gone";
        EXPECT_TRUE(project.sim.GetModulDataNames().IsEmpty());
        EXPECT_TRUE(factory.GetAllLoaded().IsEmpty());
        EXPECT_THAT(log.MessagesStartingWith("shouldn't be here: "), ElementsAre(HasSubstr(row.thrown)));
        log.Clear();
        TVSim::Faults::Clear();
    }
}

TEST_F(ConnectionFactory, EveryoneAskingGetsTheSameLiveConnectionAndAReleasedOneIsReadAgain) {
    Connect(1);
    factory.Reset();
    auto first = factory.GetById("spec-1");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(factory.GetById("spec-1"), first);
    first.reset();
    EXPECT_NE(factory.GetById("spec-1"), nullptr);
    EXPECT_EQ(log.MessagesStartingWith("Loaded: ").size(), 2u);

    EXPECT_EQ(factory.GetById(""), nullptr);
    EXPECT_TRUE(log.Has(spdlog::level::err, "failed assertion: !specId.IsEmpty()"));
    EXPECT_EQ(factory.GetById("spec-9"), nullptr);
    EXPECT_TRUE(log.Has(spdlog::level::info, "No modul data for: \"ConnectionWithSpecification:spec-9\""));
}

TEST_F(ConnectionFactory, AConnectionThatCannotBeReadIsReportedAndSkippedAndItsBytesStay) {
    std::vector<char> damaged = RecordOf(*Connect(2));
    damaged.resize(damaged.size() / 2);
    project.Store("spec-1", damaged);
    project.Store("spec-3", newer);
    factory.Reset();

    PK::Array<Model::ConnectionWithSpecificationFactory::LoadError> errors;
    const auto listed = factory.GetAll(&errors);
    ASSERT_EQ(listed.GetSize(), 1u);
    EXPECT_EQ(listed[0]->Id(), "spec-2");
    ASSERT_EQ(errors.GetSize(), 2u);
    EXPECT_EQ(errors[0].modulDataName, name);
    EXPECT_EQ(errors[1].message, "Error::VersionIncompatibility");
    EXPECT_THROW(factory.GetById("spec-3"), Model::Error::VersionIncompatibility);

    EXPECT_EQ(project.Stored(), damaged);
    EXPECT_EQ(project.Stored("spec-3"), newer);
    EXPECT_EQ(log.Count(spdlog::level::err, "ConnectionWithSpecification read error: Error::VersionIncompatibility"),
              2u);
    EXPECT_EQ(log.MessagesStartingWith("modulDataName: \"ConnectionWithSpecification:spec-1\", data: ").size(), 1u);
}

// Damaged bytes fail to read with a host error code as well, yet the host handed them over: connecting another
// specification goes on, and connecting their own is the user's way out. A newer version's record is the team's.
TEST_F(ConnectionFactory, ARecordThatCannotBeReadStopsNoOtherConnectAndItsOwnReplacesItUnlessANewerVersionWroteIt) {
    std::vector<char> damaged = StoredConnection{}.Bytes();
    damaged.resize(damaged.size() / 2);
    project.Store("spec-1", damaged);
    project.Store("spec-3", newer);

    const auto other = Connect(2);
    EXPECT_EQ(project.Stored("spec-2"), RecordOf(*other));

    const std::size_t steps = project.sim.GetUndoSteps().size();
    EXPECT_THROW(Connect(3, 1), Model::Error::VersionIncompatibility);
    EXPECT_EQ(project.Stored("spec-3"), newer);
    EXPECT_EQ(project.sim.GetUndoSteps().size(), steps);

    const auto replacing = Connect(1);
    EXPECT_EQ(project.Stored(), RecordOf(*replacing));
    EXPECT_TRUE(log.Has(spdlog::level::warn,
                        "Connecting replaces the stored record that cannot be read: "
                        "\"ConnectionWithSpecification:spec-1\""));
}

TEST_F(ConnectionFactory, MergeRequestsWithoutTwoVersionsToMergeAnswerAsTheHostExpects) {
    TestSupport::HandleLeakCheck noLeaks;
    const std::vector<char> mine = RecordOf(*Connect(1));
    {
        Record stored(&mine);
        EXPECT_EQ(factory.ModulDataMerge(APIMDSetMerge_TW, name, &stored.data, nullptr, nullptr), APIERR_BADPARS);
        EXPECT_TRUE(log.Has(spdlog::level::err,
                            "failed assertion: originalInfo != nullptr && toMergeInfo != nullptr && destInfo != "
                            "nullptr, originalInfo != nullptr(1), toMergeInfo != nullptr(0), "
                            "modulDataName(\"ConnectionWithSpecification:spec-1\")"));
    }
    struct Row {
        const char* what;
        API_MDSetCmd command;
        const std::vector<char>*stored, *incoming, *expected;
    };
    for (const Row& row : {Row{"another command keeps the stored", APIMDSetMerge_Hotlink, &mine, &newer, &mine},
                           Row{"no stored data takes the incoming", APIMDSetMerge_TW, nullptr, &newer, &newer},
                           Row{"no incoming data keeps the stored", APIMDSetMerge_TW, &mine, nullptr, &mine},
                           Row{"a newer incoming one is taken whole", APIMDSetMerge_TW, &mine, &newer, &newer}}) {
        SCOPED_TRACE(row.what);
        Record stored(row.stored), incoming(row.incoming), destination;
        EXPECT_EQ(factory.ModulDataMerge(row.command, name, &stored.data, &incoming.data, &destination.data), NoError);
        EXPECT_EQ(destination.Bytes(), *row.expected);
    }
}

TEST_F(ConnectionFactory, AMergeIntoTheLoadedConnectionChangesItInPlaceAndTheClausesItTakesAnswerToIt) {
    TestSupport::HandleLeakCheck noLeaks;
    auto loaded = Connect(1);
    // Another member's version: the same start with clause-c, from a big-endian machine.
    auto other = project.Read(RecordOf(*loaded));
    ASSERT_TRUE(AddClause(*other, "clause-c", "C30"));
    AddIssue(*other, "issue of theirs");
    const std::vector<char> theirs = RecordOf(*other, IO::PlatformSignBigEndian);
    other.reset();
    ASSERT_TRUE(AddClause(*loaded, "clause-a", "A10"));
    const std::vector<char> mine = RecordOf(*loaded);
    const ConnectionSummary both{{"clause-a", "clause-c"}, {"issue of theirs"}};

    Record stored(&mine), incoming(&theirs, IO::PlatformSignBigEndian), destination;
    const auto merge = [&](Record& into) {
        return factory.ModulDataMerge(APIMDSetMerge_TW, name, &stored.data, &incoming.data, &into.data);
    };
    ASSERT_EQ(merge(destination), NoError);
    EXPECT_EQ(Summarize(*loaded), both) << "the loaded connection itself took the other version in";
    EXPECT_EQ(destination.Bytes(), RecordOf(*loaded));

    // The version merged in is gone; the clause it brought answers to the loaded connection.
    Api::Properties renamed;
    renamed.Add(Api::Properties::Name::Title, "Renamed");
    ASSERT_TRUE(
        loaded->CallUndoableCmd("Rename", [&] { loaded->GetVirtualType("clause-c").UpdateProperties(renamed); }));
    EXPECT_EQ(project.Load()->GetVirtualType("clause-c").Properties().Get(Api::Properties::Name::Title), "Renamed");

    // Nobody holding it, the stored version is read and merged.
    loaded.reset();
    Record destinationAgain;
    ASSERT_EQ(merge(destinationAgain), NoError);
    EXPECT_TRUE(log.Has(spdlog::level::info, "MergeIn: \"ConnectionWithSpecification:spec-1\", has loaded: 0"));
    EXPECT_EQ(Summarize(*project.Read(destinationAgain.Bytes())), both);
}

TEST_F(ConnectionFactory, ARefreshThatFailsForOneConnectionStillRefreshesTheOthersBeforeItReports) {
    const auto one = Connect(1);  // held, so its refresh is the one that fails
    auto two = Connect(2);
    // Another member's spec-2 arrives with a clause.
    ASSERT_TRUE(AddClause(*project.Read(project.Stored("spec-2")), "clause-b", "B20"));
    TVSim::Faults::FailCall("TVAPI_ModulData_Get", APIERR_GENERAL);
    EXPECT_THROW(factory.RefreshLoadedFromStored(), Api::GeneralError);
    EXPECT_TRUE(two->HasVirtualType("clause-b")) << "a stale connection would store its old state over the new one";
}

// A connection marked deleted is stale: what is stored speaks for the entry, and the mark stays.
TEST_F(ConnectionFactory, AMergeGoesByTheStoredRecordWhenTheLoadedConnectionIsMarkedDeleted) {
    TestSupport::HandleLeakCheck noLeaks;
    struct Row {
        const char* what;
        std::function<void(Model::ConnectionWithSpecification&)> leaveStale;
        std::optional<ConnectionSummary> merged;  // none: the stored record is kept as it is
    };
    const std::vector<Row> rows = {
        {"a newer add-on wrote it",
         [&](Model::ConnectionWithSpecification& loaded) {
             project.Store("spec-1", newer);
             loaded.RefreshFromStored();
         },
         std::nullopt},
        {"another member disconnected and connected it again",
         [&](Model::ConnectionWithSpecification& loaded) {
             project.sim.EraseModulData(name);
             loaded.RefreshFromStored();
             EXPECT_TRUE(AddClause(*project.Connect(), "clause-b", "B20"));
         },
         ConnectionSummary{{"clause-b", "clause-c"}, {}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        project.sim.EraseModulData(name);
        const auto loaded = Connect(1);
        ASSERT_TRUE(AddClause(*loaded, "clause-a", "A10"));
        const std::vector<char> before = RecordOf(*loaded);
        row.leaveStale(*loaded);
        ASSERT_TRUE(loaded->IsDeleted());
        const std::vector<char> mine = project.Stored();
        // Their version: what they last received, with a clause of theirs.
        auto other = project.Read(row.merged ? mine : before);
        ASSERT_TRUE(AddClause(*other, "clause-c", "C30"));
        const std::vector<char> theirs = RecordOf(*other);

        Record stored(&mine), incoming(&theirs), destination;
        ASSERT_EQ(factory.ModulDataMerge(APIMDSetMerge_TW, name, &stored.data, &incoming.data, &destination.data),
                  NoError);
        if (row.merged)
            EXPECT_EQ(Summarize(*project.Read(destination.Bytes())), *row.merged);
        else
            EXPECT_TRUE(destination.Bytes() == newer) << "the newer record is not kept as it is";
        EXPECT_TRUE(loaded->IsDeleted());
    }
}

// A's add-on holds only the connection it shows, spec-3; spec-1 and spec-2 it has seen, and nobody holds them. Each has
// clause-c, with values of its own. B changes spec-1's clause values before it knows of A's wall there: A's receive
// brings A's wall of spec-1 the new values, by what A last saw of spec-1 itself, and leaves spec-2 as it was, its wall
// with the title A gave it by hand. The clause of the shown connection and spec-1's new one have the same values:
// compared with anything but their own, spec-1's change would go unnoticed or spec-2's clause seem changed.
TEST(ConnectionFactoryInTeamWork, AReceiveComparesEachConnectionNobodyHoldsWithTheValuesItHadItself) {
    constexpr Member A = 0;
    constexpr Member B = 1;
    LogCapture log;
    Team team;
    team.As(A);
    Model::Manager& managerA = *team.Current().addOn->manager;
    ASSERT_NE(team.Connect(1), nullptr);
    ASSERT_NE(team.Connect(2), nullptr);
    team.Sim().ReserveClassificationsAndProperties();
    const API_Guid system3 = team.Sim().AddClassificationSystem("Clauses 3");
    team.Sim().AddClassificationItem(system3, "C30", APINULLGuid, "Roofs");
    managerA.ConnectWithSpecification(system3, SpecId(3), "Spec 3", "project-1", "Project One");
    team.Sim().ReleaseClassificationsAndProperties();
    const API_Guid wall2 = team.Sim().AddElement(API_WallID);
    team.Get(1)->Cmd_AssociateElementsToVirtualType("clause-c", Clause("clause-c", "C30"), {}, false);
    team.Get(2)->Cmd_AssociateElementsToVirtualType("clause-c", Clause("clause-c", "C30", "Roofs"), {wall2}, false);
    team.Get(3)->Cmd_AssociateElementsToVirtualType("clause-c", Clause("clause-c", "C30", "Screed floors"), {}, false);
    team.SyncAll();

    team.As(A);
    const API_Guid wall1 = team.Sim().AddElement(API_WallID);
    team.Get(1)->Cmd_AssociateElementsToVirtualType("clause-c", Clause("clause-c", "C30"), {wall1}, false);
    const API_Guid group2 = team.Sim().FindPropertyGroup("Orvo Tessary: Project One / Spec 2");
    team.Sim().SetPropertyText(wall2, team.Sim().FindPropertyDefinition(group2, "OrvoTessaryTitle"), "Our roof");
    team.SendAndReceive();

    team.As(B);
    team.Get(1)->Cmd_UpdateVirtualTypeProperties("clause-c", Clause("clause-c", "C30", "Screed floors"), false);
    team.SendAndReceive();
    team.As(A);
    ASSERT_NE(managerA.GetSelectedConnection(), nullptr);
    ASSERT_EQ(Text(managerA.GetSelectedConnection()->TessarySpecificationId()), "spec-3");
    team.Receive();

    EXPECT_EQ(TitleOf(team, 1, wall1), "Screed floors");
    EXPECT_EQ(TitleOf(team, 2, wall2), "Our roof") << "spec-2's values did not change";
    // The receive ended A's undo history.
    EXPECT_EQ(team.Sim().GetUndoableCount(), 1u) << "one step writes A's wall of spec-1";
    EXPECT_TRUE(log.MessagesStartingWith("exception: ").empty());
}
