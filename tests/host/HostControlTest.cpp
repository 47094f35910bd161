// The control side of the simulated host: faults, hooks, journal, events
// through registrations, merges, alerts and the rest tests lean on.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>

#include "TVSim/Alerts.hpp"
#include "TVSim/Sim.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/TempDir.hpp"

namespace {

GSErrCode Header(const API_Guid& guid) {
    API_Elem_Head head;
    head.guid = guid;
    return TVAPI_Element_GetHeader(&head);
}

PK::UniString ObjectNamed(const char* name) {
    API_Guid guid;
    TVAPI_AddOnObject_GetUniqueObjectGuidFromName(name, &guid);
    return guid.IsNull() ? PK::UniString() : PK::UniString(name);
}

}  // namespace

TEST(SimulatedHostControl, WithoutAProjectProjectBoundCallsAnswerNoPlan) {
    TVSim::CloseProject();
    API_WindowInfo window;
    EXPECT_EQ(TVAPI_Database(APIDb_GetCurrentWindowID, &window), APIERR_NOPLAN);
    EXPECT_EQ(TVAPI_CallUndoableCommand("x", [] { return NoError; }), APIERR_NOPLAN);
    PK::Array<PK::UniString> names;
    EXPECT_EQ(TVAPI_ModulData_GetList(&names), APIERR_NOPLAN);
    API_ServerApplicationInfo application;
    EXPECT_EQ(TVAPI_Environment(APIEnv_ApplicationID, &application), NoError);
}

TEST(SimulatedHostControl, FaultsHitTheNthCallOrEveryCallAboutAnElement) {
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid a = project.AddElement(API_WallID), b = project.AddElement(API_WallID);
    TVSim::Faults::FailCall("TVAPI_Element_GetHeader", APIERR_GENERAL, 2);
    TVSim::Faults::FailForElement(b, APIERR_NOTMINE);
    EXPECT_EQ(Header(a), NoError);
    EXPECT_EQ(Header(a), APIERR_GENERAL);
    EXPECT_EQ(Header(a), NoError);
    EXPECT_EQ(Header(b), APIERR_NOTMINE);
    EXPECT_FALSE(TVAPI_Element_Filter(b, APIFilt_None));
    TVSim::Faults::Clear();
    EXPECT_EQ(Header(b), NoError);

    TVSim::Faults::FailAlways("TVAPI_Environment:PROJ", APIERR_GENERAL);
    API_ProjectInfo info;
    API_ServerApplicationInfo application;
    EXPECT_EQ(TVAPI_Environment(APIEnv_ProjectID, &info), APIERR_GENERAL);
    EXPECT_EQ(TVAPI_Environment(APIEnv_ApplicationID, &application), NoError);
}

TEST(SimulatedHostControl, AnActionCanRunJustBeforeACallAsAnotherMemberWould) {
    TVSim::Project& project = TVSim::OpenProject();
    // Another member creates the object between the add-on's lookup and its creation.
    TVSim::Faults::BeforeCall("TVAPI_AddOnObject_CreateUniqueObject", [&] { project.AddAddOnObject("PlanData"); });
    EXPECT_EQ(ObjectNamed("PlanData"), PK::UniString());
    API_Guid created;
    GSErrCode result = NoError;
    TVAPI_CallCommand("create", [&] {
        result = TVAPI_AddOnObject_CreateUniqueObject("PlanData", &created);
        return NoError;
    });
    EXPECT_EQ(result, APIERR_NAMEALREADYUSED);
    EXPECT_EQ(ObjectNamed("PlanData"), PK::UniString("PlanData"));
}

TEST(SimulatedHostControl, TheJournalRecordsCallsArgumentsAndAnswers) {
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid wall = project.AddElement(API_WallID);
    TVSim::Journal::Clear();
    Header(wall);
    Header(APINULLGuid);
    API_ProjectInfo info;
    TVAPI_Environment(APIEnv_ProjectID, &info);
    const auto& calls = TVSim::Journal::GetCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].function, "TVAPI_Element_GetHeader");
    EXPECT_EQ(calls[0].args, wall.ToUniString().ToCStr() + ", 0");
    EXPECT_EQ(calls[1].result, APIERR_BADID);
    EXPECT_EQ(calls[2].function, "TVAPI_Environment:PROJ");
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Environment"), 1u);
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Element_GetHeader"), 2u);
}

TEST(SimulatedHostControl, RegistrationsAreCheckedAndCallbacksReachedThroughThem) {
    static int menuItem = 0;
    static int paletteMessages = 0;
    EXPECT_EQ(TVAPI_Install_MenuHandler(32520, [](const API_MenuParams*) { return NoError; }), APIERR_BADID);
    ASSERT_EQ(TVAPI_Register_Menu(32520, 32521, MenuCode_Palettes, MenuFlag_Default), NoError);
    ASSERT_EQ(TVAPI_Install_MenuHandler(32520,
                                        [](const API_MenuParams* params) {
                                            menuItem = params->menuItemRef.itemIndex;
                                            return NoError;
                                        }),
              NoError);
    EXPECT_EQ(TVSim::Events::ChooseMenuItem(32520, 1), NoError);
    EXPECT_EQ(menuItem, 1);
    EXPECT_EQ(TVSim::Events::ChooseMenuItem(32000, 1), std::nullopt);

    auto palette = [](PK::Int32, API_PaletteMessageID, PK::Int64) -> GSErrCode {
        ++paletteMessages;
        return NoError;
    };
    ASSERT_EQ(TVAPI_RegisterModelessWindow(32401, palette, 0x387, PK::Guid::Generate()), NoError);
    EXPECT_EQ(TVAPI_RegisterModelessWindow(32401, palette, 0x387, PK::Guid::Generate()), APIERR_WINDEXIST);
    EXPECT_EQ(TVSim::Events::PaletteMessage(32401, APIPalMsg_OpenPalette), NoError);
    ASSERT_EQ(TVAPI_UnregisterModelessWindow(32401), NoError);
    EXPECT_EQ(TVAPI_UnregisterModelessWindow(32401), APIERR_WINDNOTEXIST);
    EXPECT_EQ(TVSim::Events::PaletteMessage(32401, APIPalMsg_ClosePalette), std::nullopt);
    EXPECT_EQ(paletteMessages, 1);
}

TEST(SimulatedHostControl, AnExceptionEscapingIntoTheHostIsCaughtAndRecorded) {
    TVSim::OpenProject();
    EXPECT_EQ(TVAPI_CallUndoableCommand("x", []() -> GSErrCode { throw std::runtime_error("oops"); }), APIERR_GENERAL);
    ASSERT_EQ(TVSim::Events::GetEscapedExceptions().size(), 1u);
    EXPECT_EQ(TVSim::Events::GetEscapedExceptions()[0], "TVAPI_CallUndoableCommand: oops");
    TVSim::Reset();  // provoked on purpose; the process-wide check must not see it
}

TEST(SimulatedHostControl, AMergeGoesThroughTheHandlerAndKeepsItsResult) {
    TestSupport::HandleLeakCheck noLeaks;
    TVSim::Project& project = TVSim::OpenProject();
    project.StoreModulData("Conn", {1, 0x6D6D, std::vector<char>{'a'}});
    TVSim::ModulData incoming{1, 0x6D6D, std::vector<char>{'b'}};
    EXPECT_EQ(TVSim::Events::MergeModulData("Conn", incoming), std::nullopt);  // no handler yet

    // The handler joins the two blocks and hands the result over in the destination.
    TVAPI_Install_ModulDataMergeHandler([](API_MDSetCmd, const PK::UniString&, const API_ModulData* stored,
                                           const API_ModulData* toMerge, API_ModulData* destination) -> GSErrCode {
        if (stored == nullptr) return APIERR_BADPARS;
        const char joined[2] = {(*stored->dataHdl)[0], (*toMerge->dataHdl)[0]};
        *destination = *stored;
        BMPtrToHandle(joined, &destination->dataHdl, 2);
        return NoError;
    });
    EXPECT_EQ(TVSim::Events::MergeModulData("Conn", incoming), NoError);
    EXPECT_EQ(project.GetModulData("Conn")->bytes, (std::vector<char>{'a', 'b'}));
    EXPECT_EQ(TVSim::Events::MergeModulData("New", incoming), APIERR_BADPARS);
    EXPECT_EQ(project.GetModulData("New"), nullptr);
}

TEST(SimulatedHostControl, AlertsShowTheirResourceTextsAndAnswerAsScripted) {
    TestSupport::TempDir dir;
    {
        std::ofstream alert(dir.Path() / "Alert-32000.txt");
        alert << "# test alert\ntitle\tTitle\ntext\tConnect %1 with %2?\nbutton\tYes\nbutton\tNo\n";
    }
    TVSim::Resources::SetFolder(dir.Path());
    TVSim::Alerts::ScriptAnswers({2});
    EXPECT_EQ(DGResAlertParam(TVAPI_GetOwnResModule(), 32000, "Spec", "House"), 2);
    EXPECT_EQ(DGResAlert(TVAPI_GetOwnResModule(), 32000), 1);
    EXPECT_EQ(DGResAlert(TVAPI_GetOwnResModule(), 31999), 0);
    const auto& shown = TVSim::Alerts::GetShown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, PK::UniString("Connect Spec with House?"));
    EXPECT_EQ(shown[0].buttons.size(), 2u);
    EXPECT_FALSE(shown[2].found);
}

TEST(SimulatedHostControl, TheAddOnsOwnAlertsHaveTexts) {
    for (short id : {32567, 32568}) {
        EXPECT_GE(DGResAlert(TVAPI_GetOwnResModule(), id), 1) << id;
        EXPECT_FALSE(TVSim::Alerts::GetShown().back().text.IsEmpty()) << id;
    }
}

TEST(SimulatedHostControl, SeededGuidsRepeatAndResetForgetsEverything) {
    auto build = [] {
        TVSim::Reset();
        TVSim::SeedGuids(7);
        TVSim::Project& project = TVSim::OpenProject();
        return project.AddElement(API_WallID);
    };
    const API_Guid first = build();
    EXPECT_EQ(build(), first);
    TVAPI_Register_ModulDataHandler();
    TVSim::Reset();
    EXPECT_EQ(TVSim::GetProject(), nullptr);
    EXPECT_FALSE(TVSim::GetRegistrations().modulDataHandlerRegistered);
}

TEST(SimulatedHostControl, TheProgressWindowIsUsedInOrder) {
    PK::Int32 value = 5;
    EXPECT_EQ(TVAPI_Interface(APIIo_IncProgressValueID, &value), APIERR_BADPARS);
    PK::UniString title = "Working";
    PK::Int16 phases = 1;
    ASSERT_EQ(TVAPI_Interface(APIIo_OpenProgressWindowID, &title, &phases), NoError);
    EXPECT_EQ(TVAPI_Interface(APIIo_IncProgressValueID, &value), APIERR_BADPARS);  // no phase yet
    PK::UniString phase = "";
    PK::Int32 max = 10;
    ASSERT_EQ(TVAPI_Interface(APIIo_NextProgressPhaseID, &phase, &max), NoError);
    ASSERT_EQ(TVAPI_Interface(APIIo_IncProgressValueID, &value), NoError);
    ASSERT_EQ(TVAPI_Interface(APIIo_IncProgressValueID, &value), NoError);
    EXPECT_EQ(TVSim::Progress::GetWindows()[0].phases[0].value, 10);
    ASSERT_EQ(TVAPI_Interface(APIIo_CloseProgressWindowID), NoError);
    EXPECT_EQ(TVAPI_Interface(APIIo_CloseProgressWindowID), APIERR_BADPARS);
}
