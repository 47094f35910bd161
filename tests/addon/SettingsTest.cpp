// The settings: the tracking user id kept in the host's preferences, and the
// version checks of the start-up check with the notices they show.
#include <gtest/gtest.h>

#include <string>

#include "DG/Alerts.hpp"
#include "Main.hpp"
#include "PK/Guid.hpp"
#include "PK/Pref.hpp"
#include "TVSim/Alerts.hpp"
#include "UI/PaletteManager.hpp"
#include "addon/EntrySupport.hpp"
#include "support/LogCapture.hpp"
#include "support/TempDir.hpp"

using namespace TestSupport;
using TessaryConnect::Settings;
using TessaryConnect::Version;
using TessaryConnect::Model::AddonVersion;

namespace {

PK::UniString StoredUserId() {
    PK::UniString value;
    PKPref::OpenRootKey(1)->GetString("OrvoTessaryConnect", "userId", &value, "<none>", 0);
    return value;
}

struct PreferencesFixture : ::testing::Test {
    void TearDown() override { PKPref::SetFailure(PKPref::Failure::None); }
    TempDir prefs;  // a store of the test's own
};

using TrackingUserId = PreferencesFixture;

}  // namespace

TEST_F(TrackingUserId, TheFirstRunKeepsAFreshIdInDomainOneAndLaterRunsReadItBackOncePerRun) {
    Settings firstRun(Version);
    EXPECT_FALSE(firstRun.IsNewUser());
    const PK::UniString made = firstRun.GetTrackingUserId();
    EXPECT_TRUE(PK::Guid::Parse(made).has_value()) << made.ToCStr();
    EXPECT_EQ(StoredUserId(), made);
    EXPECT_TRUE(firstRun.IsNewUser());
    // Read once per run: a store that now fails changes nothing.
    PKPref::SetFailure(PKPref::Failure::Throw);
    EXPECT_EQ(firstRun.GetTrackingUserId(), made);
    EXPECT_TRUE(firstRun.IsNewUser());
    PKPref::SetFailure(PKPref::Failure::None);

    Settings laterRun(Version);
    EXPECT_EQ(laterRun.GetTrackingUserId(), made);
    EXPECT_FALSE(laterRun.IsNewUser());
    for (int domain : {-1, 0}) {
        PK::UniString other;
        PKPref::OpenRootKey(domain)->GetString("OrvoTessaryConnect", "userId", &other, "<none>", 0);
        EXPECT_EQ(other, "<none>") << "the id lives in domain 1 only, not in " << domain;
    }
}

TEST_F(TrackingUserId, AStoreThatRefusesOrThrowsGivesErroredKeepsNothingAndTheNextCallReadsAgain) {
    PKPref::OpenRootKey(1)->SetString("OrvoTessaryConnect", "userId", "stored-id");
    Settings settings(Version);
    for (PKPref::Failure failure : {PKPref::Failure::Refuse, PKPref::Failure::Throw}) {
        LogCapture log;
        PKPref::SetFailure(failure);
        EXPECT_EQ(settings.GetTrackingUserId(), "<errored>");
        ASSERT_EQ(log.Records().size(), 1u);
        EXPECT_EQ(log.Records()[0].level, spdlog::level::err);
        EXPECT_TRUE(log.Records()[0].message.starts_with("exception: ")) << log.Records()[0].message;
        EXPECT_FALSE(settings.IsNewUser());
    }
    PKPref::SetFailure(PKPref::Failure::None);
    EXPECT_EQ(settings.GetTrackingUserId(), "stored-id") << "what a refused read left was not kept";
    EXPECT_FALSE(settings.IsNewUser());
}

TEST(VersionChecks, WithTheThresholdsOfThisBuildNeitherNoticeShowsAndTheManagerIsMade) {
    EXPECT_EQ(Version, AddonVersion(1, 3, 1, 0));
    EXPECT_EQ(TessaryConnect::settings.GetMinVersion(), Version);
    EXPECT_EQ(TessaryConnect::settings.GetLatestVersion(), Version);
    EXPECT_EQ(TessaryConnect::settings.GetLatestTestVersion(), Version);
    EXPECT_FALSE(TessaryConnect::settings.HasNewVersion());
    EXPECT_FALSE(TessaryConnect::settings.IsTooOldToRun());

    AddOnProject s;
    TVSim::Events::ChooseMenuItem(32520, 1);
    Deliver();
    EXPECT_TRUE(TVSim::Alerts::GetShown().empty());
    EXPECT_NE(TessaryConnect::UI::PaletteManager::GetInstance().GetPalette(), nullptr);
    // A second check with the manager there makes no other.
    EXPECT_TRUE(TessaryConnect::CheckRequirementsAndInitManager(false));
    EXPECT_EQ(TessaryConnect::manager, s.addOn->manager);
}

TEST(VersionChecks, ANewerVersionOpensThePaletteAndShowsItsNoticeOnceTheCommandHasReturned) {
    TessaryConnect::settings.SetThresholds(Version, AddonVersion(1, 4, 0, 0), AddonVersion(1, 4, 0, 0));
    AddOnProject s;
    EXPECT_TRUE(InAddOnLog("info (CheckRequirementsAndInitManager) HasNewVersion true"));
    EXPECT_EQ(PK::MainMessageLoop::GetPendingCount(), 0u) << "no notice at start-up";

    TVSim::Events::ChooseMenuItem(32520, 1);
    EXPECT_NE(TessaryConnect::UI::PaletteManager::GetInstance().GetPalette(), nullptr);
    EXPECT_TRUE(TVSim::Alerts::GetShown().empty()) << "not during the command";
    Deliver();
    ASSERT_EQ(TVSim::Alerts::GetShown().size(), 1u);
    EXPECT_EQ(TVSim::Alerts::GetShown()[0].resID, 32568);
    EXPECT_TRUE(TVSim::Alerts::GetShown()[0].found);
    EXPECT_TRUE(TVSim::Alerts::GetShown()[0].fromPostedTask);
}

TEST(VersionChecks, ATooOldVersionMakesNoManagerTheMenuShowsTheNoticesButNoPaletteAndMergesAreRefused) {
    TessaryConnect::settings.SetThresholds(AddonVersion(1, 4, 0, 0), AddonVersion(1, 4, 0, 0),
                                           AddonVersion(1, 4, 0, 0));
    TVSim::Project& project = FreshHost();
    ASSERT_TRUE(TVSim::LoadAddOn(EntryPoints()).loaded) << "the handlers are registered all the same";
    EXPECT_EQ(TessaryConnect::manager, nullptr);
    EXPECT_TRUE(InAddOnLog("warning (CheckRequirementsAndInitManager) IsTooOldToRun true"));
    Deliver();
    EXPECT_TRUE(TVSim::Alerts::GetShown().empty()) << "no notice at start-up";

    const std::vector<char> own{'o', 'w', 'n'};
    project.StoreModulData("ConnectionWithSpecification:spec-1", {1, 0x6D6D, own});
    EXPECT_EQ(TVSim::Events::MergeModulData("ConnectionWithSpecification:spec-1", {1, 0x6D6D, std::vector<char>{'x'}}),
              APIERR_BADPARS);
    EXPECT_EQ(project.GetModulData("ConnectionWithSpecification:spec-1")->bytes, own);

    EXPECT_EQ(TVSim::Events::ChooseMenuItem(32520, 1), NoError);
    EXPECT_EQ(TessaryConnect::UI::PaletteManager::GetInstance().GetPalette(), nullptr);
    Deliver();
    // A version too old to run is not the latest either: both notices, the newer version's first.
    ASSERT_EQ(TVSim::Alerts::GetShown().size(), 2u);
    EXPECT_EQ(TVSim::Alerts::GetShown()[0].resID, 32568);
    EXPECT_EQ(TVSim::Alerts::GetShown()[1].resID, 32567);
    EXPECT_TRUE(TVSim::Alerts::GetShown()[1].found);

    // Once the check passes, the first menu command makes the manager and opens the palette.
    TessaryConnect::settings.SetThresholds(Version, Version, Version);
    EXPECT_EQ(TVSim::Events::ChooseMenuItem(32520, 1), NoError);
    EXPECT_NE(TessaryConnect::manager, nullptr);
    EXPECT_NE(TessaryConnect::UI::PaletteManager::GetInstance().GetPalette(), nullptr);
    TVSim::UnloadAddOn();
}
