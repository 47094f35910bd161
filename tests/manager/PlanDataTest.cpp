// The project's identity: made locally, written into the project when the
// first specification is connected, adopted from another team member who
// wrote it first.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "IO/MemoryChannel.hpp"
#include "Model/Errors.hpp"
#include "Model/PlanData.hpp"
#include "TVSim/Sim.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/LogCapture.hpp"
#include "support/StoredRecords.hpp"

using namespace TessaryConnect;
using Model::PlanData;
using TestSupport::LogCapture;
using TestSupport::PlanRecord;

namespace {

struct Scene : TestSupport::HandleCheckedTest {
    Scene() : sim((TVSim::Reset(), TVSim::OpenProject())), tv(std::make_shared<Implementation::Torvel>()), plan(tv) {}

    // The id another reader finds in the project.
    PK::UniString StoredId() {
        PlanData reader(tv);
        return reader.LoadIfHas() ? reader.Id() : PK::UniString("<none>");
    }
    const TVSim::AddOnObject* Object() { return sim.FindAddOnObject("PlanData"); }

    TVSim::Project& sim;
    std::shared_ptr<Api::Torvel> tv;
    PlanData plan;
};

using ProjectIdentity = Scene;

}  // namespace

TEST_F(ProjectIdentity, AProjectWithoutIdentityGetsALocalIdThatTheFirstSyncWritesOutsideTheUndoHistory) {
    EXPECT_FALSE(plan.LoadIfHas());
    plan.GenerateNew();
    const PK::UniString local = plan.Id();
    EXPECT_FALSE(local.IsEmpty());
    EXPECT_FALSE(plan.IsSynced());
    EXPECT_EQ(Object(), nullptr) << "nothing is written before it must be shared";

    EXPECT_FALSE(plan.Sync()) << "our own id was written, nothing adopted";
    EXPECT_TRUE(plan.IsSynced());
    EXPECT_EQ(plan.Id(), local);
    EXPECT_EQ(StoredId(), local);
    for (const TVSim::UndoStep& step : sim.GetUndoSteps()) EXPECT_FALSE(step.undoable) << step.name.ToCStr();
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_AddOnObject_ReserveObjects"), 0u) << "no reservation outside team work";
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_AddOnObject_ReleaseObjects"), 0u);
}

TEST_F(ProjectIdentity, AStoredIdIsLoadedCountsAsSyncedAndIsWrittenBackAsRead) {
    sim.AddAddOnObject("PlanData", PlanRecord("stored-id"));
    EXPECT_TRUE(plan.LoadIfHas());
    EXPECT_EQ(plan.Id(), "stored-id");
    EXPECT_TRUE(plan.IsSynced());
    IO::MemoryOChannel32 oc;
    ASSERT_EQ(plan.Write(oc), PK::NoError);
    EXPECT_EQ(std::vector<char>(oc.GetDestination(), oc.GetDestination() + oc.GetDataSize()), PlanRecord("stored-id"));
    plan.GenerateNew();
    EXPECT_FALSE(plan.IsSynced()) << "a new id forgets that it was in step";
}

// In a shared project: what another member stored is adopted (also while we
// wait for the reservation), ours is written under a reservation, and the
// reservation is given back whatever happens.
TEST_F(ProjectIdentity, InASharedProjectTheStoredIdWinsAndTheReservationIsAlwaysGivenBack) {
    sim.SetShared(true);
    plan.GenerateNew();
    EXPECT_FALSE(plan.Sync());
    EXPECT_EQ(StoredId(), plan.Id());
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_AddOnObject_ReserveObjects"), 1u);
    EXPECT_FALSE(Object()->reservedByMe);

    sim.SetAddOnObjectContent(Object()->guid, PlanRecord("other-member-id"));
    plan.GenerateNew();
    EXPECT_TRUE(plan.Sync());
    EXPECT_EQ(plan.Id(), "other-member-id");
    EXPECT_TRUE(plan.IsSynced());
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_AddOnObject_ReserveObjects"), 1u) << "a stored id needs no reservation";

    sim.SetAddOnObjectContent(Object()->guid, PlanRecord(""));
    plan.GenerateNew();
    TVSim::Faults::BeforeCall("TVAPI_AddOnObject_ReserveObjects",
                              [&] { sim.SetAddOnObjectContent(Object()->guid, PlanRecord("quicker-member-id")); });
    EXPECT_TRUE(plan.Sync());
    EXPECT_EQ(plan.Id(), "quicker-member-id");
    EXPECT_FALSE(Object()->reservedByMe) << "the reservation is given back";
}

TEST_F(ProjectIdentity, AFailureWhileWritingTheIdStillGivesTheReservationBack) {
    sim.SetShared(true);
    plan.GenerateNew();
    TVSim::Faults::FailCall("TVAPI_AddOnObject_ModifyObject", APIERR_MEMFULL);
    EXPECT_THROW(plan.Sync(), Api::Error<APIERR_MEMFULL>);
    ASSERT_NE(Object(), nullptr);
    EXPECT_FALSE(Object()->reservedByMe) << "the other members must not stay locked out";
    EXPECT_FALSE(plan.IsSynced());
}

TEST_F(ProjectIdentity, AnObjectReservedByAnotherMemberNeedsTheUserAndLeavesTheLocalIdUnsynced) {
    LogCapture log;
    sim.SetShared(true);
    sim.ReserveAddOnObjectByOther(sim.AddAddOnObject("PlanData"));
    plan.GenerateNew();
    const PK::UniString local = plan.Id();
    EXPECT_THROW(plan.Sync(), Model::AnotherUserIsInitingThePlanId);
    EXPECT_TRUE(log.Has(spdlog::level::info,
                        "AnotherUserIsInitingThePlanId: If it coninuosly happening probably the other client 'forget' "
                        "to release it. User interaction is required."));
    EXPECT_EQ(plan.Id(), local);
    EXPECT_FALSE(plan.IsSynced()) << "a later connection tries again";
}

TEST_F(ProjectIdentity, AnObjectAnotherMemberCreatesAtTheSameMomentIsFoundAgainInsteadOfCreated) {
    API_Guid others{};
    TVSim::Faults::BeforeCall("TVAPI_AddOnObject_CreateUniqueObject", [&] { others = sim.AddAddOnObject("PlanData"); });
    EXPECT_FALSE(plan.InitAddonObjectIfNeeded());
    plan.GenerateNew();
    EXPECT_FALSE(plan.Sync());
    EXPECT_EQ(Object()->guid, others);
    EXPECT_EQ(StoredId(), plan.Id());
}

TEST_F(ProjectIdentity, AHostThatNeitherFindsNorCreatesTheObjectIsGivenUpOnAfterAFewAttempts) {
    TVSim::Faults::FailAlways("TVAPI_AddOnObject_CreateUniqueObject", APIERR_NAMEALREADYUSED);
    plan.GenerateNew();
    EXPECT_THROW(plan.Sync(), AddonRuntimeError);
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_AddOnObject_CreateUniqueObject"),
              static_cast<PK::USize>(PlanData::maxCreateOrFindAttempts));
    EXPECT_FALSE(plan.IsSynced());
}

TEST_F(ProjectIdentity, AStoredEmptyIdCountsAsNoIdAndIsFilledWithOurs) {
    LogCapture log;
    sim.AddAddOnObject("PlanData", PlanRecord(""));
    plan.GenerateNew();
    const PK::UniString local = plan.Id();
    EXPECT_FALSE(plan.LoadIfHas());
    EXPECT_EQ(plan.Id(), local) << "an empty record does not wipe the id we have";
    EXPECT_EQ(log.MessagesStartingWith("failed assertion: !this->_id.IsEmpty(), handle(").size(), 1u);
    EXPECT_FALSE(plan.Sync()) << "nothing to adopt: ours is written";
    EXPECT_EQ(plan.Id(), local);
    EXPECT_EQ(StoredId(), local);
}

TEST_F(ProjectIdentity, AnObjectWithoutContentOrOfANewerVersionIsNoIdentity) {
    LogCapture log;
    const API_Guid object = sim.AddAddOnObject("PlanData");
    EXPECT_FALSE(plan.LoadIfHas());
    EXPECT_FALSE(plan.IsSynced());
    EXPECT_TRUE(log.Has(spdlog::level::warn, "Probably couldn't save the planid: PlanData{_id: \"\"}, 00"));

    sim.SetAddOnObjectContent(object, PlanRecord("future-id", {2, 0}));
    EXPECT_THROW(plan.LoadIfHas(), Model::Error::VersionIncompatibility);
    plan.GenerateNew();
    EXPECT_THROW(plan.Sync(), Model::Error::VersionIncompatibility);
}

TEST(ProjectTitle, ComesFromTheProjectInformation) {
    struct Row {
        const char* what;
        TVSim::ProjectInfoTexts info;
        const char* title;
    };
    const std::vector<Row> rows = {
        {"a saved project", {false, PK::UniString("House"), PK::UniString("/p/House.tvp")}, "House"},
        {"a project known by its path", {false, std::nullopt, PK::UniString("/p/House.tvp")}, "/p/House.tvp"},
        {"a name the host gave empty", {false, PK::UniString(""), PK::UniString("/p/House.tvp")}, ""},
        {"a project never saved", {true, std::nullopt, std::nullopt}, "Untitled"},
        {"a saved project the host names not", {false, std::nullopt, std::nullopt}, "unknown"},
    };
    auto tv = std::make_shared<Implementation::Torvel>();
    for (const Row& row : rows) {
        TVSim::OpenProject().SetInfo(row.info);
        EXPECT_EQ(PlanData(tv).Title(), row.title) << row.what;
    }
    TVSim::CloseProject();
    EXPECT_EQ(PlanData(tv).Title(), "") << "no project open";
}
