// The connection factory on one user's machine: connecting with its refusals
// and failures, the cache of live connections, stored records it cannot read,
// and the host's module-data merge requests.
#include <gtest/gtest.h>

#include "IO/MemoryChannel.hpp"
#include "Model/Errors.hpp"
#include "SoloProject.hpp"
#include "TeamTestSupport.hpp"
#include "Torvel/Api/Error.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/LogCapture.hpp"

using namespace TeamTest;
using Model::ConnectionWithSpecification;

TEST(ConnectionFactory, ConnectingRefusesAUsedClassificationSystemBeforeAnAlreadyConnectedSpecification) {
    TestSupport::LogCapture log;
    SoloProject project;
    const auto first = project.Connect(1);
    const std::size_t steps = project.sim.GetUndoSteps().size();

    // spec-1 again, through system 1: the system is checked first.
    try {
        project.Connect(1);
        FAIL() << "connected twice";
    } catch (const Model::ClassificationSystemAlreadyUsedError& e) {
        EXPECT_EQ(e.GetConnection(), first);
    }
    try {
        project.factory.Cmd_Connect(project.systems[1], "spec-1", "Spec", "project-1", "Project One");
        FAIL() << "connected twice";
    } catch (const Model::ConnectionAlreadyExistsForSpecificationInPlanError& e) {
        EXPECT_EQ(e.GetConnection(), first);
    }
    EXPECT_EQ(project.sim.GetUndoSteps().size(), steps) << "a refusal changes nothing";
    EXPECT_EQ(project.factory.GetById("spec-1"), first);
}

TEST(ConnectionFactory, AConnectThatFailsInsideTheCommandLeavesNoGroupAndCarriesItsErrorOut) {
    TestSupport::LogCapture log;
    SoloProject project;
    struct Row {
        const char* failing;
        PK::USize nth;
        GSErrCode code;
    };
    for (const Row& row : {Row{"TVAPI_Property_CreatePropertyDefinition", 3, APIERR_NOACCESSRIGHT},
                           Row{"TVAPI_ModulData_Store", 1, APIERR_GENERAL}}) {
        SCOPED_TRACE(row.failing);
        TVSim::Faults::FailCall(row.failing, row.code, row.nth);
        EXPECT_THROW(project.Connect(1), Api::GeneralError);
        EXPECT_TRUE(project.sim.GetPropertyGroups().IsEmpty()) << "the group made for the connection is gone";
        EXPECT_TRUE(project.sim.GetModulDataNames().IsEmpty());
        EXPECT_EQ(project.factory.GetById("spec-1"), nullptr);
        EXPECT_EQ(log.MessagesStartingWith("shouldn't be here: ").size(), 1u);
        log.Clear();
        TVSim::Faults::Clear();
    }
    // The access-right refusal keeps its own type on its way out.
    TVSim::Faults::FailCall("TVAPI_Property_CreatePropertyDefinition", APIERR_NOACCESSRIGHT);
    EXPECT_THROW(project.Connect(1), Api::ErrorPropertyManagerNoAccessRight);
}

TEST(ConnectionFactory, AConnectTheHostRefusesToRunThrowsInsteadOfAnsweringNothing) {
    TestSupport::LogCapture log;
    SoloProject project;
    TVSim::Faults::FailCall("TVAPI_CallUndoableCommand", APIERR_GENERAL);
    EXPECT_THROW(project.Connect(1), AddonRuntimeError);
    EXPECT_TRUE(project.sim.GetModulDataNames().IsEmpty());
    EXPECT_TRUE(project.factory.GetAllLoaded().IsEmpty());
}

TEST(ConnectionFactory, EveryoneAskingGetsTheSameLiveConnectionAndAReleasedOneIsReadAgain) {
    TestSupport::LogCapture log;
    SoloProject project;
    project.Connect(1);
    project.factory.Reset();
    auto first = project.factory.GetById("spec-1");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(project.factory.GetById("spec-1"), first);
    EXPECT_EQ(project.factory.GetAll().GetFirst(), first);
    EXPECT_EQ(log.MessagesStartingWith("Loaded: ").size(), 1u);
    first.reset();
    EXPECT_NE(project.factory.GetById("spec-1"), nullptr);
    EXPECT_EQ(log.MessagesStartingWith("Loaded: ").size(), 2u);

    EXPECT_EQ(project.factory.GetById(""), nullptr);
    EXPECT_TRUE(log.Has(spdlog::level::err, "failed assertion: !tessarySpecificationId.IsEmpty()"));
    EXPECT_EQ(project.factory.GetById("spec-9"), nullptr);
    EXPECT_TRUE(log.Has(spdlog::level::info, "No modul data for: \"ConnectionWithSpecification:spec-9\""));
}

TEST(ConnectionFactory, AConnectionThatCannotBeReadIsReportedAndSkippedAndItsBytesStay) {
    TestSupport::LogCapture log;
    SoloProject project;
    const auto two = project.Connect(2);
    std::vector<char> damaged = SoloProject::Bytes(*two);
    damaged.resize(damaged.size() / 2);
    project.Store("ConnectionWithSpecification:spec-1", damaged);
    project.Store("ConnectionWithSpecification:spec-3", NewerConnectionRecord());
    project.factory.Reset();

    PK::Array<Model::ConnectionWithSpecificationFactory::LoadError> errors;
    const auto listed = project.factory.GetAll(&errors);
    ASSERT_EQ(listed.GetSize(), 1u);
    EXPECT_EQ(listed[0]->Id(), "spec-2");
    ASSERT_EQ(errors.GetSize(), 2u);
    EXPECT_EQ(errors[0].modulDataName, "ConnectionWithSpecification:spec-1");
    EXPECT_EQ(errors[1].message, "Error::VersionIncompatibility");
    EXPECT_THROW(project.factory.GetById("spec-3"), Model::Error::VersionIncompatibility);

    EXPECT_EQ(project.Stored("ConnectionWithSpecification:spec-1"), damaged);
    EXPECT_EQ(project.Stored("ConnectionWithSpecification:spec-3"), NewerConnectionRecord());
    EXPECT_EQ(log.Count(spdlog::level::err, "ConnectionWithSpecification read error: Error::VersionIncompatibility"),
              2u);
    EXPECT_EQ(log.MessagesStartingWith("modulDataName: \"ConnectionWithSpecification:spec-1\", data: ").size(), 1u);
}

TEST(ConnectionFactory, MergeRequestsWithoutTwoVersionsToMergeAnswerAsTheHostExpects) {
    TestSupport::LogCapture log;
    TestSupport::HandleLeakCheck noLeaks;
    SoloProject project;
    const std::vector<char> mine = SoloProject::Bytes(*project.Connect(1));
    const std::vector<char> theirs = NewerConnectionRecord();
    const char* name = "ConnectionWithSpecification:spec-1";
    auto merge = [&](API_MDSetCmd command, Record& stored, Record& incoming, Record& destination) {
        return project.factory.ModulDataMerge(command, name, stored.Ptr(), incoming.Ptr(), destination.Ptr());
    };
    {
        Record stored(mine), incoming(theirs);
        EXPECT_EQ(project.factory.ModulDataMerge(APIMDSetMerge_TW, name, stored.Ptr(), nullptr, nullptr),
                  APIERR_BADPARS);
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
        EXPECT_EQ(merge(row.command, stored, incoming, destination), NoError);
        EXPECT_EQ(destination.BytesHeld(), *row.expected);
    }
}

TEST(ConnectionFactory, AMergeIntoTheLoadedConnectionChangesItInPlaceAndTheClausesItTakesAnswerToIt) {
    TestSupport::LogCapture log;
    TestSupport::HandleLeakCheck noLeaks;
    SoloProject project;
    const char* name = "ConnectionWithSpecification:spec-1";
    auto loaded = project.Connect(1);
    const std::vector<char> base = SoloProject::Bytes(*loaded);
    ASSERT_TRUE(SoloProject::AddClause(*loaded, "clause-a", "A10"));
    const std::vector<char> mine = SoloProject::Bytes(*loaded);

    // Another member's version: the same start with clause-c, from a big-endian machine.
    std::vector<char> theirs;
    {
        auto other = std::make_shared<ConnectionWithSpecification>(project.tv, project.tessary, project.plan);
        IO::MemoryIChannel32 channel(base.data(), base.size());
        ASSERT_EQ(other->Read(channel), PK::NoError);
        ASSERT_TRUE(SoloProject::AddClause(*other, "clause-c", "C30"));
        SoloProject::AddIssue(*other, "issue of theirs");
        theirs = SoloProject::Bytes(*other, IO::PlatformSignBigEndian);
    }
    project.Store(name, mine);

    Record stored(mine), incoming(theirs, IO::PlatformSignBigEndian), destination;
    ASSERT_EQ(project.factory.ModulDataMerge(APIMDSetMerge_TW, name, stored.Ptr(), incoming.Ptr(), destination.Ptr()),
              NoError);
    EXPECT_TRUE(loaded->HasVirtualType("clause-c")) << "the loaded connection itself took the other version in";
    EXPECT_EQ(Summarize(*loaded), (ConnectionSummary{{"clause-a", "clause-c"}, {"issue of theirs"}}));
    EXPECT_EQ(destination.BytesHeld(), SoloProject::Bytes(*loaded));

    // The version merged in is gone; the clause it brought answers to the loaded connection.
    Api::Properties renamed;
    renamed.Add(Api::Properties::Name::Title, "Renamed");
    ASSERT_TRUE(
        loaded->CallUndoableCmd("Rename", [&] { loaded->GetVirtualType("clause-c").UpdateProperties(renamed); }));
    const auto reread = project.factory.Load(name);
    ASSERT_NE(reread, nullptr);
    EXPECT_TRUE(reread->HasVirtualType("clause-a"));
    EXPECT_EQ(reread->GetVirtualType("clause-c").Properties().Get(Api::Properties::Name::Title), "Renamed");

    // Nobody holding it, the stored version is read and merged.
    loaded.reset();
    Record storedAgain(mine), destinationAgain;
    ASSERT_EQ(project.factory.ModulDataMerge(APIMDSetMerge_TW, name, storedAgain.Ptr(), incoming.Ptr(),
                                             destinationAgain.Ptr()),
              NoError);
    EXPECT_TRUE(log.Has(spdlog::level::info, "MergeIn: \"ConnectionWithSpecification:spec-1\", has loaded: 0"));
    auto merged = std::make_shared<ConnectionWithSpecification>(project.tv, project.tessary, project.plan);
    const std::vector<char> mergedBytes = destinationAgain.BytesHeld();
    IO::MemoryIChannel32 channel(mergedBytes.data(), mergedBytes.size());
    ASSERT_EQ(merged->Read(channel), PK::NoError);
    EXPECT_EQ(Summarize(*merged), (ConnectionSummary{{"clause-a", "clause-c"}, {"issue of theirs"}}));
}

TEST(ConnectionFactory, ARefreshThatFailsForOneConnectionStillRefreshesTheOthersBeforeItReports) {
    TestSupport::LogCapture log;
    SoloProject project;
    auto one = project.Connect(1);
    auto two = project.Connect(2);
    // Another member's spec-2 arrives with a clause.
    {
        auto theirs = std::make_shared<ConnectionWithSpecification>(project.tv, project.tessary, project.plan);
        const std::vector<char> stored = project.Stored("ConnectionWithSpecification:spec-2");
        IO::MemoryIChannel32 channel(stored.data(), stored.size());
        ASSERT_EQ(theirs->Read(channel), PK::NoError);
        ASSERT_TRUE(SoloProject::AddClause(*theirs, "clause-b", "B20"));
    }
    TVSim::Faults::FailCall("TVAPI_ModulData_Get", APIERR_GENERAL);
    EXPECT_THROW(project.factory.RefreshLoadedFromStored(), Api::GeneralError);
    EXPECT_TRUE(two->HasVirtualType("clause-b")) << "a stale connection would store its old state over the new one";
}
