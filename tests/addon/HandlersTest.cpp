// What the host calls between Initialize and FreeData: the menu command, the
// palette's messages, the module-data merge handler and the notification
// entry points. Each answers the host and lets no exception out.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "Main.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "UI/PaletteManager.hpp"
#include "UI/TessaryPalette.hpp"
#include "addon/EntrySupport.hpp"
#include "support/LogCapture.hpp"

using namespace TestSupport;
using TessaryConnect::UI::PaletteManager;

namespace {

constexpr PK::Int16 Menu = 32520;

TessaryConnect::UI::Palette* OpenPalette() { return PaletteManager::GetInstance().GetPalette(); }

}  // namespace

TEST(MenuCommand, ItsItemOpensThePaletteForTheManagerOnceAndUnloadingClosesIt) {
    AddOnProject s;
    EXPECT_EQ(OpenPalette(), nullptr);
    EXPECT_EQ(TVSim::Events::ChooseMenuItem(Menu, 1), NoError);
    TessaryConnect::UI::Palette* palette = OpenPalette();
    ASSERT_NE(palette, nullptr);
    EXPECT_TRUE(palette->IsVisible());
    EXPECT_EQ(TVSim::Events::ChooseMenuItem(Menu, 1), NoError);
    EXPECT_EQ(OpenPalette(), palette) << "an open palette stays the one";
    EXPECT_TRUE(InAddOnLog("trace (CheckRequirementsAndInitManager) CheckRequirementsAndInitManager: showDialog(true)"));
    const std::vector<std::string> log = AddOnLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), "debug (CheckRequirementsAndInitManager) new Model::Manager"), 1)
        << "the manager Initialize made is kept";
    EXPECT_EQ(TessaryConnect::manager, s.addOn->manager);

    s.addOn.reset();
    EXPECT_EQ(OpenPalette(), nullptr);
}

TEST(MenuCommand, AnotherItemIsLoggedAndAnotherMenuIgnoredAndNeitherOpensThePalette) {
    AddOnProject s;
    EXPECT_EQ(TVSim::Events::ChooseMenuItem(Menu, 2), NoError);
    EXPECT_TRUE(InAddOnLog("error (MenuCommandHandler) Unknown itemIndex(2)"));
    LogCapture log;
    API_MenuParams other;
    other.menuItemRef = {32521, 1};
    EXPECT_EQ(TessaryConnect::MenuCommandHandler(&other), NoError);
    EXPECT_EQ(TessaryConnect::MenuCommandHandler(nullptr), NoError);
    EXPECT_TRUE(log.Records().empty());
    EXPECT_EQ(OpenPalette(), nullptr);
}

TEST(PaletteCallBack, TheHostsMessagesToThePaletteReachItAndMessagesToAnotherReferenceIdAreIgnored) {
    AddOnProject s;
    // Before the palette exists the messages change nothing.
    EXPECT_EQ(TVSim::Events::PaletteMessage(32401, APIPalMsg_OpenPalette), NoError);
    EXPECT_EQ(OpenPalette(), nullptr);
    TVSim::Events::ChooseMenuItem(Menu, 1);
    ASSERT_NE(OpenPalette(), nullptr);

    EXPECT_EQ(TVSim::Events::PaletteMessage(32401, APIPalMsg_HidePalette_Begin), NoError);
    EXPECT_FALSE(OpenPalette()->IsVisible());
    bool visible = true;
    EXPECT_EQ(TVSim::Events::PaletteMessage(32401, APIPalMsg_IsPaletteVisible, reinterpret_cast<PK::Int64>(&visible)),
              NoError);
    EXPECT_FALSE(visible);
    EXPECT_EQ(TessaryConnect::PaletteControlCallBack(32402, APIPalMsg_HidePalette_End, 0), NoError);
    EXPECT_FALSE(OpenPalette()->IsVisible()) << "another palette's message";
    EXPECT_EQ(TVSim::Events::PaletteMessage(32401, APIPalMsg_HidePalette_End), NoError);
    EXPECT_TRUE(OpenPalette()->IsVisible());
}

TEST(ModulDataMerge, TheManagerMergesAndWithoutOneTheDestinationStaysUntouchedAndTheHostKeepsItsOwnVersion) {
    AddOnProject s;
    const ConnectionPtr connection = s.ConnectSpec(1);
    ASSERT_NE(connection, nullptr);
    const PK::UniString name = connection->GetModulDataName();
    const std::vector<char> own = s.Stored("spec-1");
    EXPECT_EQ(TVSim::Events::MergeModulData(name, {1, 0x6D6D, own}), NoError) << "the manager merged";
    EXPECT_TRUE(InAddOnLog("trace (ModulData_MergeHandler) Main::ModulData_MergeHandler: \"" +
                           std::string(name.ToCStr()) + "\", " + std::to_string(APIMDSetMerge_TW)));
    EXPECT_EQ(TVSim::Events::MergeModulData("SomebodyElses", {1, 0x6D6D, own}), APIERR_BADPARS);
    EXPECT_TRUE(InAddOnLog("critical (HandleModulDataMergeRequest) Modul data merge handler is missing: "
                           "\"SomebodyElses\""));

    // Without a manager: refused, so that the host keeps the member's own entry.
    const std::shared_ptr<TessaryConnect::Model::Manager> parked = std::exchange(TessaryConnect::manager, nullptr);
    EXPECT_EQ(TVSim::Events::MergeModulData(name, {1, 0x6D6D, std::vector<char>{'t', 'h', 'e', 'i', 'r', 's'}}),
              APIERR_BADPARS);
    EXPECT_EQ(s.Stored("spec-1"), own);
    EXPECT_TRUE(InAddOnLog("warning (operator()) failed assertion: manager != nullptr"));
    const API_ModulData stored{1, 0x6D6D, nullptr};
    API_ModulData destination{7, 0x1234, nullptr};
    EXPECT_EQ(TessaryConnect::ModulData_MergeHandler(APIMDSetMerge_TW, name, &stored, &stored, &destination),
              APIERR_BADPARS);
    EXPECT_EQ(destination.dataVersion, 7);
    EXPECT_EQ(destination.platformSign, 0x1234);
    EXPECT_EQ(destination.dataHdl, nullptr);
    TessaryConnect::manager = parked;
}

namespace {

// An observer of the host's notifications that fails every time.
class Failing : public TessaryConnect::Api::TorvelEventObserver {
public:
    explicit Failing(bool standard) : _standard(standard) {}
    void TVEvent_SelectionChanged(const API_Neig*) override { Fail(); }
    void TVEvent_Element_Created(const API_NotifyElementType&) override { Fail(); }
    void TVEvent_Project_ReceiveChanges() override { Fail(); }

private:
    void Fail() {
        if (_standard) throw std::runtime_error("observer failed");
        throw 7;
    }
    bool _standard;
};

}  // namespace

TEST(HostCallbacks, NoExceptionLeavesTheNotificationEntryPointsOrTheAddOnsHandlers) {
    using Source = TessaryConnect::Api::TorvelEventSource;
    static_assert(noexcept(Source::Send_SelectionChanged(nullptr)));
    static_assert(noexcept(Source::Send_ProjectEvent(APINotify_New, 0)));
    static_assert(noexcept(Source::Element_NewElementEvent(nullptr)));
    static_assert(noexcept(CheckEnvironment(nullptr)) && noexcept(RegisterInterface()) && noexcept(Initialize()) &&
                  noexcept(FreeData()));
    static_assert(noexcept(TessaryConnect::MenuCommandHandler(nullptr)) &&
                  noexcept(TessaryConnect::PaletteControlCallBack(0, APIPalMsg_OpenPalette, 0)) &&
                  noexcept(TessaryConnect::ModulData_MergeHandler(APIMDSetMerge_TW, {}, nullptr, nullptr, nullptr)));

    AddOnProject s;
    const Failing standard(true), other(false);
    s.sim.SetSelection({s.sim.AddElement(API_WallID)});
    Deliver();
    EXPECT_EQ(TVSim::Events::ProjectEvent(APINotify_ReceiveChanges), NoError);
    EXPECT_EQ(TVSim::Events::NewElement(s.sim.AddElement(API_SlabID)), NoError);
    Deliver();
    EXPECT_TRUE(TVSim::Events::GetEscapedExceptions().empty());
    EXPECT_TRUE(InAddOnLog("error (NotifyObservers) exception: observer failed; funcName: "
                           "&TorvelEventObserver::TVEvent_SelectionChanged"));
    EXPECT_TRUE(InAddOnLog("error (NotifyObservers) unknown exception; funcName: "
                           "&TorvelEventObserver:: TVEvent_Project_ReceiveChanges"));
    EXPECT_EQ(TVSim::Events::NewElement(static_cast<const API_NotifyElementType*>(nullptr)), NoError);
    EXPECT_TRUE(InAddOnLog("warning (Element_NewElementEvent) Element_NewElementEvent without an element record: "
                           "ignored"));
}
