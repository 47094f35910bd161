#include <fmt/format.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "TVAPI/APIFunctions.hpp"
#include "Torvel/Api/TorvelEventSource.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;
using TestSupport::LogCapture;

namespace {

// Writes "<name>:<event>" into a shared log on every notification and runs
// an optional action (throw, detach, destroy another) inside the call.
class Recorder : public Api::TorvelEventObserver {
public:
    Recorder(std::string name, std::vector<std::string>& log) : _name(std::move(name)), _log(log) {}
    std::function<void(const std::string& event)> action;

    void TVEvent_SelectionChanged(const API_Neig*) override { Record("SelectionChanged"); }
    void TVEvent_Element_Created(const API_NotifyElementType& e) override {
        Record("Element_Created/" + std::to_string(e.elemHead.typeID));
    }
    void TVEvent_Project_New() override { Record("New"); }
    void TVEvent_Project_NewAndReset() override { Record("NewAndReset"); }
    void TVEvent_Project_Open() override { Record("Open"); }
    void TVEvent_Project_PreSave() override { Record("PreSave"); }
    void TVEvent_Project_Save() override { Record("Save"); }
    void TVEvent_Project_Close() override { Record("Close"); }
    void TVEvent_Project_Quit() override { Record("Quit"); }
    void TVEvent_Project_TempSave() override { Record("TempSave"); }
    void TVEvent_Project_SendChanges() override { Record("SendChanges"); }
    void TVEvent_Project_ReceiveChanges() override { Record("ReceiveChanges"); }
    void TVEvent_Project_PropertyDefinitionChanged() override { Record("PropertyDefinitionChanged"); }
    void TVEvent_Project_ClassificationItemChanged() override { Record("ClassificationItemChanged"); }
    void TVEvent_Project_PropertyVisibilityChanged() override { Record("PropertyVisibilityChanged"); }
    void TVEvent_Project_ClassificationVisibilityChanged() override { Record("ClassificationVisibilityChanged"); }
    void TVEvent_Project_ChangeWindow() override { Record("ChangeWindow"); }
    void TVEvent_Project_ChangeFloor() override { Record("ChangeFloor"); }
    void TVEvent_Project_ShowIn3DChanged() override { Record("ShowIn3DChanged"); }

private:
    void Record(const std::string& event) {
        _log.push_back(_name + ":" + event);
        if (action) action(event);
    }
    std::string _name;
    std::vector<std::string>& _log;
};

// Each event and the operation its failure is logged under, as the log names it.
const std::vector<std::pair<PK::UInt32, std::string>> kProjectEvents = {
    {0x1, "&TorvelEventObserver::TVEvent_Project_New"},
    {0x2, "&TorvelEventObserver:: TVEvent_Project_NewAndReset"},
    {0x4, "&TorvelEventObserver::TVEvent_Project_Open"},
    {0x8, "&TorvelEventObserver:: TVEvent_Project_PreSave"},
    {0x10, "&TorvelEventObserver::TVEvent_Project_Save"},
    {0x20, "&TorvelEventObserver:: TVEvent_Project_Close"},
    {0x40, "&TorvelEventObserver::TVEvent_Project_Quit"},
    {0x80, "&TorvelEventObserver:: TVEvent_Project_TempSave"},
    {0x8000, "&TorvelEventObserver:: TVEvent_Project_SendChanges"},
    {0x10000, "&TorvelEventObserver:: TVEvent_Project_ReceiveChanges"},
    {0x4000000, "&TorvelEventObserver:: TVEvent_Project_PropertyDefinitionChanged"},
    {0x8000000, "&TorvelEventObserver:: TVEvent_Project_ClassificationItemChanged"},
    {0x10000000, "&TorvelEventObserver:: TVEvent_Project_PropertyVisibilityChanged"},
    {0x20000000, "&TorvelEventObserver:: TVEvent_Project_ClassificationVisibilityChanged"},
    {0x80000, "&TorvelEventObserver:: TVEvent_Project_ChangeWindow"},
    {0x100000, "&TorvelEventObserver:: TVEvent_Project_ChangeFloor"},
    {0x40000000, "&TorvelEventObserver:: TVEvent_Project_ShowIn3DChanged"},
};

}  // namespace

TEST(HostNotifications, EachProjectEventReachesItsOwnOperationAndNamesItWhenItFails) {
    LogCapture log;
    std::vector<std::string> calls;
    Recorder observer("a", calls);
    const auto Send = [](PK::UInt32 id, int param) {
        return Api::TorvelEventSource::Send_ProjectEvent(static_cast<API_NotifyEventID>(id), param);
    };
    observer.action = [](const std::string& event) {
        if (event == "Quit") throw 42;
        throw std::runtime_error("boom");
    };
    for (const auto& [id, funcName] : kProjectEvents) {
        calls.clear();
        log.Clear();
        EXPECT_EQ(Send(id, 12345), NoError);  // the parameter changes nothing
        for (const auto& r : log.Records())
            calls.push_back(fmt::format("{} {} @{}", spdlog::level::to_string_view(r.level), r.message, r.function));
        const std::string event = funcName.substr(funcName.find("Project_") + 8);
        EXPECT_EQ(calls,
                  (std::vector<std::string>{
                      "a:" + event, fmt::format("error {}; funcName: {} @NotifyObservers",
                                                id == 0x40 ? "unknown exception" : "exception: boom", funcName)}));
    }
    // Values are matched one by one, not as bit sets.
    calls.clear();
    for (PK::UInt32 id : {0x3u, 0x0u, 0x100u, 0xFFFFFFFFu, 0x1u | 0x80000u}) EXPECT_EQ(Send(id, 0), NoError);
    EXPECT_TRUE(calls.empty());
}

TEST(HostNotifications, ObserversComingAndGoingDuringAWalkAreNeitherSkippedNorRepeated) {
    std::vector<std::string> calls;
    auto first = std::make_unique<Recorder>("first", calls);
    auto victim = std::make_unique<Recorder>("victim", calls);
    Recorder stays("stays", calls);
    auto selfDetacher = std::make_unique<Recorder>("selfDetacher", calls);
    std::unique_ptr<Recorder> latecomer;
    Recorder killer("killer", calls);
    killer.action = [&](const std::string&) {
        victim.reset();                                              // not yet called: must not be
        latecomer = std::make_unique<Recorder>("latecomer", calls);  // attached now: waits for the next walk
    };
    selfDetacher->action = [&](const std::string&) { Api::TorvelEventSource::GetInstance().Detach(*selfDetacher); };

    Api::TorvelEventSource::Send_SelectionChanged(nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"killer:SelectionChanged", "selfDetacher:SelectionChanged",
                                               "stays:SelectionChanged", "first:SelectionChanged"}));
    calls.clear();
    Api::TorvelEventSource::Send_SelectionChanged(nullptr);
    EXPECT_EQ(calls, (std::vector<std::string>{"latecomer:SelectionChanged", "killer:SelectionChanged",
                                               "stays:SelectionChanged", "first:SelectionChanged"}));
}

TEST(HostNotifications, ANewElementReachesObserversAndANullRecordIsLoggedAndReachesNobody) {
    LogCapture log;
    std::vector<std::string> calls;
    Recorder observer("a", calls);
    API_NotifyElementType record;
    record.elemHead.typeID = API_SlabID;
    EXPECT_EQ(Api::TorvelEventSource::Element_NewElementEvent(&record), NoError);
    EXPECT_EQ(Api::TorvelEventSource::Element_NewElementEvent(nullptr), NoError);
    EXPECT_EQ(calls, std::vector<std::string>{"a:Element_Created/8"});
    EXPECT_TRUE(log.Has(spdlog::level::warn, "Element_NewElementEvent without an element record: ignored"));
}
