// The project's identity, made locally or adopted from the team member who stored it first.
#include <gtest/gtest.h>

#include "Model/Errors.hpp"
#include "Model/PlanData.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"
#include "support/StoredRecords.hpp"

using namespace TessaryConnect;
using Model::PlanData;
using TestSupport::LogCapture;
using TestSupport::PlanRecord;

namespace {

struct ProjectIdentity : TestSupport::HandleCheckedTest {
    ProjectIdentity()
        : sim((TVSim::Reset(), TVSim::OpenProject())), tv(std::make_shared<Implementation::Torvel>()), plan(tv) {}

    // A new id of our own, which State() calls "local".
    void Generate() { plan.GenerateNew(), local = plan.Id(); }
    void Store(const char* id) { sim.SetAddOnObjectContent(Object()->guid, PlanRecord(id)); }
    // Ours and what another reader finds: "local synced, stored local", with ", reserved" while we hold it.
    std::string State() {
        const auto shown = [&](const PK::UniString& id) { return id == local ? "local" : TestSupport::Text(id); };
        PlanData reader(tv);
        const TVSim::AddOnObject* object = Object();
        return shown(plan.Id()) + (plan.IsSynced() ? " synced" : " unsynced") + ", stored " +
               (reader.LoadIfHas() ? shown(reader.Id()) : "none") +
               (object != nullptr && object->reservedByMe ? ", reserved" : "");
    }
    const TVSim::AddOnObject* Object() { return sim.FindAddOnObject("PlanData"); }
    static PK::USize Calls(const char* function) { return TVSim::Journal::Count(function); }

    TVSim::Project& sim;
    std::shared_ptr<Api::Torvel> tv;
    PlanData plan;
    PK::UniString local;
};

}  // namespace

TEST_F(ProjectIdentity, ALocalIdIsWrittenByTheFirstSyncOutsideTheUndoHistoryAndReadBackAsWritten) {
    EXPECT_FALSE(plan.LoadIfHas());
    Generate();
    EXPECT_FALSE(local.IsEmpty());
    EXPECT_EQ(State(), "local unsynced, stored none") << "nothing is written before it must be shared";
    EXPECT_FALSE(plan.Sync()) << "our own id was written, nothing adopted";
    EXPECT_EQ(State(), "local synced, stored local");
    for (const TVSim::UndoStep& step : sim.GetUndoSteps()) EXPECT_FALSE(step.undoable) << step.name.ToCStr();
    EXPECT_EQ(Calls("TVAPI_AddOnObject_ReserveObjects") + Calls("TVAPI_AddOnObject_ReleaseObjects"), 0u)
        << "no reservation outside team work";

    plan.GenerateNew();
    EXPECT_FALSE(plan.IsSynced()) << "a new id forgets that it was in step";
    EXPECT_TRUE(plan.LoadIfHas());
    EXPECT_EQ(State(), "local synced, stored local");
    EXPECT_EQ(TestSupport::Written([&](PK::OChannel& oc) { ASSERT_EQ(plan.Write(oc), PK::NoError); }),
              PlanRecord(local));
}

// Adopted also while we wait for the reservation.
TEST_F(ProjectIdentity, InASharedProjectTheStoredIdWinsAndTheReservationIsAlwaysGivenBack) {
    sim.SetShared(true);
    Generate();
    TVSim::Faults::FailCall("TVAPI_AddOnObject_ModifyObject", APIERR_MEMFULL);
    EXPECT_THROW(plan.Sync(), Api::Error<APIERR_MEMFULL>);
    EXPECT_EQ(State(), "local unsynced, stored none") << "the other members must not stay locked out";
    EXPECT_FALSE(plan.Sync());
    EXPECT_EQ(State(), "local synced, stored local");
    EXPECT_EQ(Calls("TVAPI_AddOnObject_ReserveObjects"), 2u);

    Store("other-member-id");
    Generate();
    EXPECT_TRUE(plan.Sync());
    EXPECT_EQ(State(), "other-member-id synced, stored other-member-id");
    EXPECT_EQ(Calls("TVAPI_AddOnObject_ReserveObjects"), 2u) << "a stored id needs no reservation";

    Store("");
    Generate();
    TVSim::Faults::BeforeCall("TVAPI_AddOnObject_ReserveObjects", [&] { Store("quicker-member-id"); });
    EXPECT_TRUE(plan.Sync());
    EXPECT_EQ(State(), "quicker-member-id synced, stored quicker-member-id");

    Store("");
    sim.ReserveAddOnObjectByOther(Object()->guid);
    Generate();
    EXPECT_THROW(plan.Sync(), Model::AnotherUserIsInitingThePlanId);
    EXPECT_EQ(State(), "local unsynced, stored none") << "a later connection tries again";
}

TEST_F(ProjectIdentity, TheObjectAnotherMemberCreatesAtTheSameMomentIsUsed) {
    API_Guid others{};
    TVSim::Faults::BeforeCall("TVAPI_AddOnObject_CreateUniqueObject", [&] { others = sim.AddAddOnObject("PlanData"); });
    EXPECT_FALSE(plan.InitAddonObjectIfNeeded());
    Generate();
    EXPECT_FALSE(plan.Sync());
    EXPECT_EQ(Object()->guid, others);
    EXPECT_EQ(State(), "local synced, stored local");
}

TEST_F(ProjectIdentity, AnObjectWithoutContentOrWithAnEmptyIdIsNoIdentityAndOneOfANewerVersionIsRefused) {
    LogCapture log;
    const API_Guid object = sim.AddAddOnObject("PlanData");
    EXPECT_FALSE(plan.LoadIfHas());
    EXPECT_TRUE(log.Has(spdlog::level::warn, "Probably couldn't save the planid: PlanData{_id: \"\"}, 00"));
    Store("");
    Generate();
    EXPECT_FALSE(plan.LoadIfHas());
    EXPECT_EQ(State(), "local unsynced, stored none") << "an empty record does not wipe the id we have";
    EXPECT_FALSE(plan.Sync()) << "nothing to adopt: ours is written";
    EXPECT_EQ(State(), "local synced, stored local");

    sim.SetAddOnObjectContent(object, PlanRecord("future-id", {2, 0}));
    EXPECT_THROW(plan.LoadIfHas(), Model::Error::VersionIncompatibility);
    plan.GenerateNew();
    EXPECT_THROW(plan.Sync(), Model::Error::VersionIncompatibility);
}

TEST(ProjectTitle, ComesFromTheProjectInformation) {
    const std::pair<TVSim::ProjectInfoTexts, const char*> rows[] = {
        {{false, PK::UniString("House"), PK::UniString("/p/House.tvp")}, "House"},
        {{false, std::nullopt, PK::UniString("/p/House.tvp")}, "/p/House.tvp"},
        {{true, std::nullopt, std::nullopt}, "Untitled"},  // never saved
        {{false, std::nullopt, std::nullopt}, "unknown"},  // saved, but the host names it not
    };
    auto tv = std::make_shared<Implementation::Torvel>();
    for (const auto& [info, title] : rows) {
        TVSim::OpenProject().SetInfo(info);
        EXPECT_EQ(PlanData(tv).Title(), title);
    }
    TVSim::CloseProject();
    EXPECT_EQ(PlanData(tv).Title(), "") << "no project open";
}
