// The control side of the simulated host that tests lean on: faults on the
// nth call, the journal, registrations, the exception barrier, alerts, Reset.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "TVSim/Alerts.hpp"
#include "TVSim/Sim.hpp"
#include "support/TempDir.hpp"

namespace {

GSErrCode Header(const API_Guid& guid) {
    API_Elem_Head head;
    head.guid = guid;
    return TVAPI_Element_GetHeader(&head);
}

GSErrCode OnPalette(PK::Int32, API_PaletteMessageID, PK::Int64) { return NoError; }

}  // namespace

TEST(SimulatedHostControl, AFaultHitsTheNthCallAndTheJournalCountsEachCallAndItsFamily) {
    const API_Guid wall = TVSim::OpenProject().AddElement(API_WallID);
    TVSim::Faults::FailCall("TVAPI_Element_GetHeader", APIERR_GENERAL, 2);
    EXPECT_EQ(Header(wall), NoError);
    EXPECT_EQ(Header(wall), APIERR_GENERAL);
    API_ProjectInfo info;
    TVAPI_Environment(APIEnv_ProjectID, &info);
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Environment"), 1u);
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Environment:PROJ"), 1u);
}

TEST(SimulatedHostControl, RegistrationsAreCheckedAndResetForgetsThem) {
    EXPECT_EQ(TVSim::Events::ChooseMenuItem(32520, 1), std::nullopt) << "no handler installed";
    ASSERT_EQ(TVAPI_RegisterModelessWindow(32401, OnPalette, 0x387, PK::Guid::Generate()), NoError);
    EXPECT_EQ(TVAPI_RegisterModelessWindow(32401, OnPalette, 0x387, PK::Guid::Generate()), APIERR_WINDEXIST);
    ASSERT_EQ(TVAPI_UnregisterModelessWindow(32401), NoError);
    EXPECT_EQ(TVAPI_UnregisterModelessWindow(32401), APIERR_WINDNOTEXIST);
    TVAPI_Register_ModulDataHandler();
    TVSim::Reset();
    EXPECT_FALSE(TVSim::GetRegistrations().modulDataHandlerRegistered);
}

TEST(SimulatedHostControl, AnExceptionEscapingIntoTheHostIsCaughtAndRecorded) {
    TVSim::OpenProject();
    EXPECT_EQ(TVAPI_CallUndoableCommand("x", []() -> GSErrCode { throw std::runtime_error("oops"); }), APIERR_GENERAL);
    ASSERT_EQ(TVSim::Events::GetEscapedExceptions().size(), 1u);
    EXPECT_EQ(TVSim::Events::GetEscapedExceptions()[0], "TVAPI_CallUndoableCommand: oops");
    TVSim::Reset();  // provoked on purpose; the process-wide check must not see it
}

TEST(SimulatedHostControl, AlertsShowTheirResourceTextsAndAnswerAsScripted) {
    TestSupport::TempDir dir;
    std::ofstream(dir.Path() / "Alert-32000.txt") << "text\tConnect %1 with %2?\nbutton\tYes\nbutton\tNo\n";
    TVSim::Resources::SetFolder(dir.Path());
    TVSim::Alerts::ScriptAnswers({2});
    EXPECT_EQ(DGResAlertParam(TVAPI_GetOwnResModule(), 32000, "Spec", "House"), 2);
    EXPECT_EQ(TVSim::Alerts::GetShown()[0].text, PK::UniString("Connect Spec with House?"));
}
