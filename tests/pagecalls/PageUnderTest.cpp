#include "PageUnderTest.hpp"

#include <gtest/gtest.h>

#include "DG/BrowserSim.hpp"
#include "DG/JSFunction.hpp"
#include "DG/JSObject.hpp"
#include "PK/Runnable.hpp"
#include "Tessary/Implementation/PageCalls.hpp"

namespace PageCallsTest {

using TessaryConnect::Implementation::PageCalls;
namespace Api = TessaryConnect::Api;

class PageUnderTest::Browser : public Api::Tessary, public DG::Browser {
public:
    explicit Browser(const DG::Panel& panel) : DG::Browser(panel, 1) {}

    void Init() override {
        auto object = PK::NewRef<DG::JSObject>("orvoTessaryIntegrator");
        using Function = DG::JSRef (*)(Api::Tessary&, const DG::JSRef&);
        const std::pair<const char*, Function> functions[] = {
            {"selectInstancesOfType", &PageCalls::SelectInstancesOfType},
            {"getAllTypesInDocument", &PageCalls::GetAllTypesInDocument},
            {"updateProperties", &PageCalls::UpdateProperties},
            {"specOpened", &PageCalls::SpecOpened},
            {"specAssociationRequested", &PageCalls::SpecAssociationRequested},
            {"removeSpecAssociationRequested", &PageCalls::RemoveSpecAssociationRequested},
            {"associationRequested", &PageCalls::AssociationRequested},
            {"removeAssociationRequested", &PageCalls::RemoveAssociationRequested},
        };
        for (const auto& [name, function] : functions) {
            Api::Tessary* page = this;
            object->AddItem(PK::NewRef<DG::JSFunction>(
                name, [page, function = function](DG::JSRef argument) { return function(*page, argument); }));
        }
        ASSERT_TRUE(RegisterAsynchJSObject(object));
    }
    void SetAppState(const Api::AppState&) override {}
    void SetDocumentState(const Api::DocumentState&) override {}
    void SetSelectionState(const Api::SelectionState&) override {}
    void AssociateSpec(const PK::UniString&, const PK::UniString&, const PK::UniString&) override {}
    void RemoveSpecAssociation(const PK::UniString&, const PK::UniString&) override {}
    void Associate(const Api::AssociableType&, const PK::UniString&) override {}
    void RemoveAssociation(const PK::UniString&, const PK::UniString&) override {}
    void SendAssociationFeedback(bool, const PK::UniString&) override {}
    void RequestClauseData(const PK::UniString&, const PK::UniString&, const PK::Array<PK::UniString>&) override {}
};

PageUnderTest::PageUnderTest()
    : callbacks(std::make_shared<TestSupport::RecordingCallbackApi>()), _browser(std::make_unique<Browser>(_panel)) {
    TVSim::Web::Reset();
    _browser->Init();
    _browser->SetCallbackApi(callbacks);
}

PageUnderTest::~PageUnderTest() {
    _browser.reset();
    PK::MainMessageLoop::Clear();
}

Api::Tessary& PageUnderTest::Page() { return *_browser; }

std::vector<std::string> PageUnderTest::Call(const std::string& script) {
    _log.Clear();
    PK::UniString error;
    if (!TVSim::Web::Evaluate(*_browser, PK::UniString(script), &error))
        ADD_FAILURE() << "the page script failed: " << error.ToCStr();
    PK::MainMessageLoop::RunPending();
    std::vector<std::string> lines;
    for (const TestSupport::LogRecord& record : _log.Records())
        lines.push_back(std::string(spdlog::level::to_string_view(record.level).data(),
                                    spdlog::level::to_string_view(record.level).size()) +
                        ": " + record.message);
    return lines;
}

std::string PageUnderTest::Eval(const std::string& script) {
    PK::UniString error;
    const auto result = TVSim::Web::Evaluate(*_browser, PK::UniString(script), &error);
    return result ? result->ToCStr() : "error: " + error.ToCStr();
}

void ExpectCase(const CallCase& c) {
    PageUnderTest page;
    EXPECT_EQ(page.Call("var o = orvoTessaryIntegrator; " + c.script), c.log);
    EXPECT_EQ(page.callbacks->calls, c.calls);
}

}  // namespace PageCallsTest
