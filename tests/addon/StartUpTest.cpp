// The host loads the add-on: CheckEnvironment names it and decides whether it
// loads, RegisterInterface and Initialize register it in their order, and
// the first refusal stops the start and is answered.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Main.hpp"
#include "TVSim/Report.hpp"
#include "TVSim/Resources.hpp"
#include "UI/TessaryPalette.hpp"
#include "addon/EntrySupport.hpp"
#include "support/LogCapture.hpp"
#include "support/TempDir.hpp"

using namespace TestSupport;
using V = std::vector<std::string>;

namespace {

V ReportLines() {
    V lines;
    for (const TVSim::Report::Line& line : TVSim::Report::GetLines())
        lines.push_back(line.text.ToCStr() + std::string(line.withDialog ? " (dialog)" : ""));
    return lines;
}

}  // namespace

TEST(StartUp, CheckEnvironmentNamesTheAddOnAndLetsOnlyTorvelItselfOfVersion23OrLaterInTheForegroundLoadIt) {
    FreshHost();
    const TVSim::AddOnLoading loading = TVSim::LoadAddOn(EntryPoints());
    EXPECT_EQ(loading.checkEnvironment, APIAddon_Normal);
    EXPECT_EQ(ReportLines(), (V{"OrvoTessaryConnect: CheckEnvironment", "OrvoTessaryConnect: APIAddon_Normal"}));
    EXPECT_EQ(TVSim::GetAddOnInfo().name, "OrvoTessaryConnect");
    EXPECT_EQ(TVSim::GetAddOnInfo().description,
              "Connects the project with an Orvo Tessary specification and associates model elements with its "
              "clauses.");
    TVSim::UnloadAddOn();

    const auto load = [](auto change) {
        FreshHost();
        change(TVSim::Application());
        const TVSim::AddOnLoading loading = TVSim::LoadAddOn(EntryPoints());
        if (loading.loaded) TVSim::UnloadAddOn();
        return std::make_pair(loading.checkEnvironment, ReportLines());
    };
    const auto refused = std::make_pair(APIAddon_DontRegister, V{"OrvoTessaryConnect: CheckEnvironment"});
    EXPECT_EQ(load([](API_ServerApplicationInfo& a) { a.mainVersion = 22; }), refused);
    EXPECT_EQ(load([](API_ServerApplicationInfo& a) { a.runningInBackground = true; }), refused);
    EXPECT_EQ(load([](API_ServerApplicationInfo& a) { a.serverApplication = 2; }), refused);
    EXPECT_EQ(load([](API_ServerApplicationInfo& a) { a.mainVersion = 23; }),
              std::make_pair(APIAddon_Normal,
                             V{"OrvoTessaryConnect: CheckEnvironment", "OrvoTessaryConnect: APIAddon_Normal"}));

    FreshHost();
    TVSim::Faults::FailCall("TVAPI_Environment:APPL", APIERR_GENERAL);
    EXPECT_EQ(TVSim::LoadAddOn(EntryPoints()).checkEnvironment, APIAddon_DontRegister);
    EXPECT_EQ(ReportLines(), (V{"OrvoTessaryConnect: CheckEnvironment", "OrvoTessaryConnect: TVAPI_Environment error"}));
}

// An empty resources folder, or a host never told where the resources are, which must not look for them in the
// folder the process runs in.
TEST(StartUp, WithoutItsResourcesTheAddOnIsListedUnderItsFallbackNameAndDescription) {
    const TempDir empty;
    const TempDir workingFolder;
    std::filesystem::copy(TVSim::Resources::GetFolder(), workingFolder.Path());
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(workingFolder.Path());
    for (const std::filesystem::path& folder : {empty.Path(), std::filesystem::path()}) {
        SCOPED_TRACE(folder);
        FreshHost();
        TVSim::Resources::SetFolder(folder);
        API_EnvirParams envir;
        EXPECT_EQ(CheckEnvironment(&envir), APIAddon_Normal);
        EXPECT_EQ(envir.addOnInfo.name, "OrvoTessaryConnect");
        EXPECT_EQ(envir.addOnInfo.description, "!! Critical Error !!\n\nVersion: 1.3.1.0");
    }
    std::filesystem::current_path(before);
}

TEST(StartUp, InitializeLogsWhatAndWhereTheAddOnIsMakesTheManagerAndRegistersInTheHostsTables) {
    FreshHost();
    TVSim::SetOwnLocation(IO::Location(std::filesystem::path("/add-ons/Tessary Connect.bundle")));
    ASSERT_TRUE(TVSim::LoadAddOn(EntryPoints()).loaded);

    EXPECT_EQ(PK::DebugOutput::GetTexts().front(), "OrvoTessaryConnect: Initialize");
    const V log = AddOnLog();
    ASSERT_GE(log.size(), 4u);
    EXPECT_TRUE(std::regex_match(log[0], std::regex(R"(info \(Initialize\) Addon: OrvoTessaryConnect: version: "1\.3\.1\.0", )"
                                                    R"(git-commit-hash: "[0-9a-f]{40}", devkit version: 27\.0\.0\.3001, )"
                                                    R"(build time: \w{3} [ \d]\d \d{4} - \d\d:\d\d:\d\d, )")))
        << log[0];
    const std::string userId = TessaryConnect::settings.GetTrackingUserId().ToCStr();
    EXPECT_TRUE(PK::Guid::Parse(userId.c_str()).has_value()) << userId;
    EXPECT_EQ(log[1], "info (Initialize) trackingUserId: \"" + userId + "\"");
    EXPECT_EQ(log[2], "info (Initialize) APIEnv_ApplicationID: {\"serverApplication\": 1, \"mainVersion\": 27, "
                      "\"releaseVersion\": 0, \"runningInBackground\": 0, \"buildNum\": 3001, \"language\": \"INT\", "
                      "\"ssaEnabled\": 0, \"partnerID\": \"\"}");
    EXPECT_EQ(log[3], "info (Initialize) Location: \"/add-ons/Tessary Connect.bundle\"");
    EXPECT_TRUE(InAddOnLog("trace (CheckRequirementsAndInitManager) CheckRequirementsAndInitManager: showDialog(false)"));
    EXPECT_TRUE(InAddOnLog("debug (CheckRequirementsAndInitManager) new Model::Manager"));
    EXPECT_NE(TessaryConnect::manager, nullptr);

    EXPECT_EQ(HostCalls(RegistrationCalls),
              (V{"TVAPI_Register_Menu(32520, 32521, 12, 0) -> 0", "TVAPI_Register_ModulDataHandler() -> 0",
                 "TVAPI_Install_MenuHandler(32520, true) -> 0",
                 "TVAPI_RegisterModelessWindow(32401, 903, " +
                     std::string(TessaryConnect::UI::Palette::Guid.ToUniString().ToCStr()) + ") -> 0",
                 "TVAPI_Notify_CatchSelectionChange(true) -> 0", "TVAPI_Notify_CatchProjectEvent(4294967295, true) -> 0",
                 "TVAPI_Install_ModulDataMergeHandler(true) -> 0", "TVAPI_Notify_CatchNewElement(false, true) -> 0"}));
    const TVSim::Registrations& registered = TVSim::GetRegistrations();
    ASSERT_EQ(registered.menus.size(), 1u);
    EXPECT_EQ(registered.menus[0].menuPosCode, MenuCode_Palettes);
    EXPECT_EQ(registered.menus[0].handler, &TessaryConnect::MenuCommandHandler);
    EXPECT_TRUE(registered.modulDataHandlerRegistered);
    ASSERT_EQ(registered.palettes.size(), 1u);
    EXPECT_EQ(registered.palettes[0].controlFlags, 0x387u);
    EXPECT_EQ(registered.palettes[0].guid, PK::Guid("{7a4bcdda-da8d-459c-b356-a815f02c5df4}"));
    EXPECT_EQ(registered.palettes[0].callBack, &TessaryConnect::PaletteControlCallBack);
    EXPECT_EQ(registered.selectionHandler, &TessaryConnect::Api::TorvelEventSource::Send_SelectionChanged);
    EXPECT_EQ(registered.projectEventHandler, &TessaryConnect::Api::TorvelEventSource::Send_ProjectEvent);
    EXPECT_EQ(registered.mergeHandler, &TessaryConnect::ModulData_MergeHandler);
    EXPECT_EQ(registered.newElementHandler, &TessaryConnect::Api::TorvelEventSource::Element_NewElementEvent);
    EXPECT_FALSE(registered.newElementFilter.has_value());
    TVSim::UnloadAddOn();
}

TEST(StartUp, TheFirstRefusedRegistrationIsLoggedAtCriticalLevelAndAnsweredAndTheLaterOnesAreNotMade) {
    // RegisterInterface logs before the add-on's logger exists: the library's own default logger hears it.
    for (const auto& [function, text] : std::vector<std::pair<std::string, std::string>>{
             {"TVAPI_Register_Menu",
              "TVAPI_Register_Menu(TVT_RESID_MENU_STRING, TVT_RESID_MENU_PROMPT, MenuCode_Palettes, MenuFlag_Default)"},
             {"TVAPI_Register_ModulDataHandler", "TVAPI_Register_ModulDataHandler()"}}) {
        FreshHost();
        LogCapture log;
        TVSim::Faults::FailCall(function, APIERR_MEMFULL);
        const TVSim::AddOnLoading loading = TVSim::LoadAddOn(EntryPoints());
        EXPECT_EQ(loading.registerInterface, APIERR_MEMFULL) << function;
        EXPECT_EQ(loading.initialize, std::nullopt);
        EXPECT_EQ(log.Messages(), V{text});
        EXPECT_TRUE(log.Has(spdlog::level::critical, text));
    }

    const std::vector<std::pair<std::string, std::string>> registrations{
        {"TVAPI_Install_MenuHandler",
         "TVAPI_Install_MenuHandler( TVT_RESID_MENU_STRING, TessaryConnect::MenuCommandHandler)"},
        {"TVAPI_RegisterModelessWindow",
         "TVAPI_RegisterModelessWindow( TessaryConnect::UI::Palette::ResId, TessaryConnect::PaletteControlCallBack, "
         "API_PalEnabled_FloorPlan | API_PalEnabled_Section | API_PalEnabled_Elevation | "
         "API_PalEnabled_InteriorElevation | API_PalEnabled_3D | API_PalEnabled_DocumentFrom3D, "
         "PKGuid2APIGuid(TessaryConnect::UI::Palette::Guid))"},
        {"TVAPI_Notify_CatchSelectionChange",
         "TVAPI_Notify_CatchSelectionChange( TessaryConnect::Api::TorvelEventSource:: Send_SelectionChanged)"},
        {"TVAPI_Notify_CatchProjectEvent",
         "TVAPI_Notify_CatchProjectEvent( API_AllNotificationMask, TessaryConnect::Api::TorvelEventSource:: "
         "Send_ProjectEvent)"},
        {"TVAPI_Install_ModulDataMergeHandler",
         "TVAPI_Install_ModulDataMergeHandler( TessaryConnect::ModulData_MergeHandler)"},
        {"TVAPI_Notify_CatchNewElement",
         "TVAPI_Notify_CatchNewElement( nullptr, TessaryConnect::Api::TorvelEventSource:: Element_NewElementEvent)"}};
    for (std::size_t failing = 0; failing < registrations.size(); ++failing) {
        const std::string& function = registrations[failing].first;
        FreshHost();
        TVSim::Faults::FailCall(function, APIERR_MEMFULL);
        const TVSim::AddOnLoading loading = TVSim::LoadAddOn(EntryPoints());
        EXPECT_EQ(loading.initialize, APIERR_MEMFULL) << function;
        EXPECT_TRUE(InAddOnLog("critical (Initialize) " + registrations[failing].second)) << function;
        EXPECT_TRUE(InAddOnLog("debug (CheckRequirementsAndInitManager) new Model::Manager"))
            << "the manager was made before the registrations";
        // Tried up to the refused one, none after it (FreeData's removals follow).
        std::vector<std::string> tried, expected;
        for (const TVSim::Journal::Call& call : TVSim::Journal::GetCalls()) {
            const bool registration = std::any_of(registrations.begin(), registrations.end(),
                                                  [&](const auto& r) { return r.first == call.function; });
            if (registration) tried.push_back(call.function);
            if (registration && call.result != NoError) break;
        }
        for (std::size_t i = 0; i <= failing; ++i) expected.push_back(registrations[i].first);
        EXPECT_EQ(tried, expected) << function;
        // The host does not keep an add-on that failed to start, and that one leaves nothing behind.
        EXPECT_EQ(loading.freeData, NoError);
        EXPECT_FALSE(TVSim::IsAddOnLoaded());
        EXPECT_EQ(TessaryConnect::manager, nullptr);
        EXPECT_TRUE(TVSim::GetCallbacksAfterFreeData().empty()) << function;
    }
}

TEST(StartUp, AnExceptionInAnEntryFunctionIsLoggedAndAnsweredWithItsSafeAnswerAndNeverReachesTheHost) {
    FreshHost();
    {
        LogCapture log;
        TVSim::Faults::BeforeCall("TVAPI_Environment", [] { throw std::runtime_error("the host broke"); });
        EXPECT_EQ(TVSim::LoadAddOn(EntryPoints()).checkEnvironment, APIAddon_DontRegister);
        ASSERT_EQ(log.Records().size(), 1u);
        EXPECT_EQ(log.Records()[0].level, spdlog::level::err);
        EXPECT_EQ(log.Records()[0].message, "exception: the host broke");
        EXPECT_EQ(log.Records()[0].function, "CheckEnvironment");
    }
    {
        LogCapture log;
        TVSim::Faults::BeforeCall("TVAPI_Register_ModulDataHandler", [] { throw 42; });
        EXPECT_EQ(TVSim::LoadAddOn(EntryPoints()).registerInterface, APIERR_GENERAL);
        EXPECT_TRUE(log.Has(spdlog::level::err, "unknown exception!"));
        EXPECT_EQ(log.Records().back().function, "RegisterInterface");
    }
    TVSim::Faults::BeforeCall("TVAPI_GetOwnLocation", [] { throw std::runtime_error("no bundle"); });
    const TVSim::AddOnLoading loading = TVSim::LoadAddOn(EntryPoints());
    EXPECT_EQ(loading.initialize, APIERR_GENERAL);
    EXPECT_TRUE(InAddOnLog("error (Initialize) exception: no bundle"));
    EXPECT_EQ(loading.freeData, NoError);
    EXPECT_TRUE(TVSim::Events::GetEscapedExceptions().empty());
}

TEST(StartUp, TheApplicationInformationPrintsAsOneLineOfNamedFieldsInRecordOrder) {
    std::ostringstream text;
    text << API_ServerApplicationInfo{};
    EXPECT_EQ(text.str(),
              "{\"serverApplication\": 1, \"mainVersion\": 0, \"releaseVersion\": 0, \"runningInBackground\": 0, "
              "\"buildNum\": 0, \"language\": \"\", \"ssaEnabled\": 0, \"partnerID\": \"\"}");
    EXPECT_EQ(fmt::format("{}", API_ServerApplicationInfo{2, 65535, -1, true, -7, "G\"ER", true, "P-1"}),
              "{\"serverApplication\": 2, \"mainVersion\": 65535, \"releaseVersion\": -1, \"runningInBackground\": 1, "
              "\"buildNum\": -7, \"language\": \"G\\\"ER\", \"ssaEnabled\": 1, \"partnerID\": \"P-1\"}");
}
