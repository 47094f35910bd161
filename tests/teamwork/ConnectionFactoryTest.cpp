// The connection factory on one user's machine: connecting with its refusals
// and failures, the cache of live connections, stored records it cannot read,
// and the host's module-data merge requests.
#include <gtest/gtest.h>

#include "IO/MemoryChannel.hpp"
#include "Model/Errors.hpp"
#include "Torvel/Api/Error.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/LogCapture.hpp"
#include "support/Team.hpp"

using namespace TestSupport;

namespace {

// One user's project with the add-on's connection factory.
struct ConnectionFactory : ::testing::Test {
    ConnectionPtr Connect(int n) { return ConnectSpec(factory, project.System(n), n); }

    TestSupport::LogCapture log;
    Project project;
    Model::ConnectionWithSpecificationFactory factory{project.tv, project.tessary, project.plan};
    const PK::UniString name = "ConnectionWithSpecification:spec-1";
    // A record whose outer frame a newer version of the add-on wrote.
    const std::vector<char> newer = StoredConnection{.version = {2, 0}}.Bytes();
};

// A host module-data record holding its own copy of the bytes; frees it when it goes.
class Record {
public:
    explicit Record(const std::vector<char>& bytes, PK::UInt16 platformSign = IO::PlatformSignLittleEndian) {
        _data.dataVersion = 1;
        _data.platformSign = platformSign;
        BMPtrToHandle(bytes.data(), &_data.dataHdl, static_cast<PK::Int32>(bytes.size()));
    }
    Record() = default;  // no data: a null handle
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;
    ~Record() { BMKillHandle(&_data.dataHdl); }

    API_ModulData* Ptr() { return &_data; }
    std::vector<char> BytesHeld() const {
        if (_data.dataHdl == nullptr) return {};
        return std::vector<char>(*_data.dataHdl, *_data.dataHdl + BMGetHandleSize(_data.dataHdl));
    }

private:
    API_ModulData _data;
};

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
    ExpectRefusedFor<Model::ConnectionAlreadyExistsForSpecificationInPlanError>(
        first, [&] { factory.Cmd_Connect(project.System(2), "spec-1", "Spec", "project-1", "Project One"); });
    EXPECT_EQ(project.sim.GetUndoSteps().size(), steps) << "a refusal changes nothing";
    EXPECT_EQ(factory.GetById("spec-1"), first);
}

TEST_F(ConnectionFactory, AConnectThatFailsInsideTheCommandOrThatTheHostRefusesToRunThrowsAndLeavesNoGroup) {
    struct Row {
        const char* failing;
        PK::USize nth;
        GSErrCode code;
    };
    for (const Row& row : {Row{"TVAPI_Property_CreatePropertyDefinition", 3, APIERR_NOACCESSRIGHT},
                           Row{"TVAPI_ModulData_Store", 1, APIERR_GENERAL}}) {
        SCOPED_TRACE(row.failing);
        TVSim::Faults::FailCall(row.failing, row.code, row.nth);
        EXPECT_THROW(Connect(1), Api::GeneralError);
        EXPECT_TRUE(project.sim.GetPropertyGroups().IsEmpty()) << "the group made for the connection is gone";
        EXPECT_TRUE(project.sim.GetModulDataNames().IsEmpty());
        EXPECT_EQ(factory.GetById("spec-1"), nullptr);
        EXPECT_EQ(log.MessagesStartingWith("shouldn't be here: ").size(), 1u);
        log.Clear();
        TVSim::Faults::Clear();
    }
    // The access-right refusal keeps its own type on its way out.
    TVSim::Faults::FailCall("TVAPI_Property_CreatePropertyDefinition", APIERR_NOACCESSRIGHT);
    EXPECT_THROW(Connect(1), Api::ErrorPropertyManagerNoAccessRight);
    TVSim::Faults::Clear();
    // A command the host refuses to run throws instead of answering nothing.
    TVSim::Faults::FailCall("TVAPI_CallUndoableCommand", APIERR_GENERAL);
    EXPECT_THROW(Connect(1), AddonRuntimeError);
    EXPECT_TRUE(project.sim.GetModulDataNames().IsEmpty());
    EXPECT_TRUE(factory.GetAllLoaded().IsEmpty());
}

TEST_F(ConnectionFactory, EveryoneAskingGetsTheSameLiveConnectionAndAReleasedOneIsReadAgain) {
    Connect(1);
    factory.Reset();
    auto first = factory.GetById("spec-1");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(factory.GetById("spec-1"), first);
    EXPECT_EQ(factory.GetAll().GetFirst(), first);
    EXPECT_EQ(log.MessagesStartingWith("Loaded: ").size(), 1u);
    first.reset();
    EXPECT_NE(factory.GetById("spec-1"), nullptr);
    EXPECT_EQ(log.MessagesStartingWith("Loaded: ").size(), 2u);

    EXPECT_EQ(factory.GetById(""), nullptr);
    EXPECT_TRUE(log.Has(spdlog::level::err, "failed assertion: !specId.IsEmpty()"));
    EXPECT_EQ(factory.GetById("spec-9"), nullptr);
    EXPECT_TRUE(log.Has(spdlog::level::info, "No modul data for: \"ConnectionWithSpecification:spec-9\""));
}

TEST_F(ConnectionFactory, AConnectionThatCannotBeReadIsReportedAndSkippedAndItsBytesStay) {
    const auto two = Connect(2);
    std::vector<char> damaged = RecordOf(*two);
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

TEST_F(ConnectionFactory, MergeRequestsWithoutTwoVersionsToMergeAnswerAsTheHostExpects) {
    TestSupport::HandleLeakCheck noLeaks;
    const std::vector<char> mine = RecordOf(*Connect(1));
    const std::vector<char> theirs = newer;
    {
        Record stored(mine);
        EXPECT_EQ(factory.ModulDataMerge(APIMDSetMerge_TW, name, stored.Ptr(), nullptr, nullptr), APIERR_BADPARS);
        EXPECT_TRUE(log.Has(spdlog::level::err,
                            "failed assertion: originalInfo != nullptr && toMergeInfo != nullptr && destInfo != "
                            "nullptr, originalInfo != nullptr(1), toMergeInfo != nullptr(0), "
                            "modulDataName(\"ConnectionWithSpecification:spec-1\")"));
    }
    struct Row {
        const char* what;
        API_MDSetCmd command;
        bool storedHasData, incomingHasData;
        const std::vector<char>* expected;
    };
    for (const Row& row : {Row{"another command keeps the stored", APIMDSetMerge_Hotlink, true, true, &mine},
                           Row{"no stored data takes the incoming", APIMDSetMerge_TW, false, true, &theirs},
                           Row{"no incoming data keeps the stored", APIMDSetMerge_TW, true, false, &mine}}) {
        SCOPED_TRACE(row.what);
        Record stored = row.storedHasData ? Record(mine) : Record();
        Record incoming = row.incomingHasData ? Record(theirs) : Record();
        Record destination;
        EXPECT_EQ(factory.ModulDataMerge(row.command, name, stored.Ptr(), incoming.Ptr(), destination.Ptr()), NoError);
        EXPECT_EQ(destination.BytesHeld(), *row.expected);
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
    project.Store("spec-1", mine);
    const ConnectionSummary both{{"clause-a", "clause-c"}, {"issue of theirs"}};

    Record stored(mine), incoming(theirs, IO::PlatformSignBigEndian), destination;
    const auto merge = [&](Record& into) {
        return factory.ModulDataMerge(APIMDSetMerge_TW, name, stored.Ptr(), incoming.Ptr(), into.Ptr());
    };
    ASSERT_EQ(merge(destination), NoError);
    EXPECT_TRUE(loaded->HasVirtualType("clause-c")) << "the loaded connection itself took the other version in";
    EXPECT_EQ(Summarize(*loaded), both);
    EXPECT_EQ(destination.BytesHeld(), RecordOf(*loaded));

    // The version merged in is gone; the clause it brought answers to the loaded connection.
    Api::Properties renamed;
    renamed.Add(Api::Properties::Name::Title, "Renamed");
    ASSERT_TRUE(
        loaded->CallUndoableCmd("Rename", [&] { loaded->GetVirtualType("clause-c").UpdateProperties(renamed); }));
    const auto reread = factory.Load(name);
    ASSERT_NE(reread, nullptr);
    EXPECT_TRUE(reread->HasVirtualType("clause-a"));
    EXPECT_EQ(reread->GetVirtualType("clause-c").Properties().Get(Api::Properties::Name::Title), "Renamed");

    // Nobody holding it, the stored version is read and merged.
    loaded.reset();
    Record destinationAgain;
    ASSERT_EQ(merge(destinationAgain), NoError);
    EXPECT_TRUE(log.Has(spdlog::level::info, "MergeIn: \"ConnectionWithSpecification:spec-1\", has loaded: 0"));
    EXPECT_EQ(Summarize(*project.Read(destinationAgain.BytesHeld())), both);
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
