// The page's ways in and out: the page functions that take JSON, called through the page call frame into the model of
// a connected project, and texts that the add-on's page calls put into scripts, which the page hands back.
#include "DG/JSArray.hpp"
#include "DG/JSValue.hpp"
#include "PK/Memory.hpp"
#include "TVSim/Web.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "Tessary/Implementation/PageCalls.hpp"
#include "Tessary/Implementation/TessaryBrowser.hpp"
#include "harness/Scene.hpp"
#include "harness/Targets.hpp"
#include "support/RecordingCallbackApi.hpp"
#include "support/TempDir.hpp"

namespace Fuzz {

namespace {

using Implementation::PageCalls;

enum class JsonCall : std::uint8_t { TypesInDocument, UpdateProperties, Association, RemoveAssociation, Count };

Bytes JsonInput(JsonCall call, const char* clauseId, const PK::UniString& json) {
    const std::string text = json.ToCStr();
    return Concat({{static_cast<std::uint8_t>(call)},
                   Piece(Bytes(clauseId, clauseId + std::strlen(clauseId))),
                   Bytes(text.begin(), text.end())});
}

// The page hands every text it gets back through specOpened([call, position, text, '']), so the texts come back
// through the add-on's own page function.
const char pageUrl[] = "https://service.test/app";
const char pageHtml[] = R"(<html><body><script>
function back(call, texts) {
    for (var i = 0; i < texts.length; ++i)
        window.orvoTessaryIntegrator.specOpened([call, String(i), texts[i], '']);
}
window.orvoTessaryState = {
    associateSpec: function (a, b, c) { back('associateSpec', [a, b, c]); },
    removeAssociation: function (a, b) { back('removeAssociation', [a, b]); },
    sendAssociationFeedback: function (ok, text) { back('sendAssociationFeedback', [text]); },
    requestClauseData: function (a, b, list) { back('requestClauseData', [a, b].concat(list)); },
    setDocumentState: function (state) { back('setDocumentState', state ? [state.documentRef, state.documentName] : []); }
};
</script></body></html>)";

// The texts as the page handed them back, exactly.
class HandedBack : public TestSupport::RecordingCallbackApi {
public:
    void Handle_specOpened(const PK::UniString& call, const PK::UniString& position, const PK::UniString& text,
                           const PK::UniString&) override {
        texts.push_back({call, position, text});
    }
    std::vector<std::vector<PK::UniString>> texts;
};

// A browser showing the page, new for each input so that each input does the same.
struct Page {
    Page() {
        QuietLogs();
        PK::MainMessageLoop::Clear();
        TVSim::Web::Reset();
        static const TestSupport::TempDir preferences;
        PKPref::OpenRootKey(0)->SetString("OrvoTessaryConnect", "tessary.url", pageUrl);
        TVSim::Web::RegisterPage(pageUrl, pageHtml);
        browser = std::make_unique<Implementation::TessaryBrowser>(panel, 1);
        browser->SetCallbackApi(handedBack);
        browser->Init();
        PK::MainMessageLoop::RunPending(1000);
        Require(TVSim::Web::GetShownUrl(*browser) == pageUrl, "the page did not load");
    }
    DG::Panel panel;
    std::unique_ptr<Implementation::TessaryBrowser> browser;
    std::shared_ptr<HandedBack> handedBack = std::make_shared<HandedBack>();
};

}  // namespace

void RunPageJson(Input input) {
    Reader reader(input);
    const auto call = static_cast<JsonCall>(reader.Byte() % static_cast<std::uint8_t>(JsonCall::Count));
    const PK::UniString clauseId = Utf8Text(reader.Piece());
    const PK::UniString json = Utf8Text(reader.Rest());
    Scene scene;
    {
        TestSupport::AddOn addOn;
        Model::Manager& manager = *addOn.manager;
        const PK::Array<API_Guid> elements = ConnectAndAssociate(scene, addOn);
        scene.sim.SetSelection(elements);
        TestSupport::Deliver();
        Api::Tessary& page = *addOn.page;
        const PK::UniString plan = manager.PlanId();
        switch (call) {
            case JsonCall::TypesInDocument:
                PageCalls::GetAllTypesInDocument(page, StringsArgument({plan, json}));
                break;
            case JsonCall::UpdateProperties:
                PageCalls::UpdateProperties(page, StringsArgument({plan, "", json}));
                break;
            case JsonCall::Association:
                PageCalls::AssociationRequested(page, StringsArgument({clauseId, "spec-1", clauseId, json}));
                break;
            case JsonCall::RemoveAssociation:
                PageCalls::RemoveAssociationRequested(page, StringsArgument({clauseId, "spec-1", clauseId, json}));
                break;
            case JsonCall::Count:
                break;
        }
        TestSupport::Deliver();
        const TVSim::ModulData* stored = scene.sim.GetModulData(TestSupport::ModulDataName("spec-1"));
        Require(stored != nullptr, "a page call lost the connection's record");
        const ConnectionPtr connection = ReadConnection(*stored);
        Require(connection != nullptr, "a page call stored an unreadable connection");
        RequireStableRecord(*connection);
    }
    scene.VerifyHost();
}

std::vector<Bytes> PageJsonSeeds() {
    const Api::Properties first = TestSupport::Clause("clause-1", "A10", "Walls \"outer\"");
    const Api::Properties third = TestSupport::Clause("clause-3", "C30", "Roofs\u2028\u00e9", "", "{ElemCount}");
    PK::UniString names = "[";
    for (const PK::UniString& name : Api::Properties::Name::AllVisible)
        names += (names.GetLength() > 1 ? ",\"" : "\"") + name + "\"";
    names += "]";
    PK::Array<Api::AssociableType> types;
    types.PushNew("clause-1", "Walls", "", "Clause", first, nullptr);
    return {
        JsonInput(JsonCall::TypesInDocument, "", names),
        JsonInput(JsonCall::TypesInDocument, "", Api::AssociableType::ArrayToJSON(types)),
        JsonInput(JsonCall::UpdateProperties, "",
                  "{\"clause-1\":" + first.ToJSON() + ",\"clause-3\":" + third.ToJSON() + "}"),
        JsonInput(JsonCall::Association, "clause-1", first.ToJSON()),
        JsonInput(JsonCall::Association, "clause-3", third.ToJSON()),
        JsonInput(JsonCall::RemoveAssociation, "clause-1", first.ToJSON()),
    };
}

void RunPageText(Input input) {
    Reader reader(input);
    const PK::UniString a = Utf16Text(reader.Piece()), b = Utf16Text(reader.Piece()), c = Utf16Text(reader.Rest());
    const PK::USize liveHandles = PK::MemoryDebug::GetLiveHandleCount();
    Page page;
    const auto& record = TVSim::Web::GetRecord(*page.browser);
    const std::size_t scriptsBefore = record.executedScripts.size();

    page.browser->AssociateSpec(a, b, c);
    page.browser->RemoveAssociation(c, a);
    page.browser->SendAssociationFeedback(false, b);
    page.browser->RequestClauseData(a, b, {c, a});
    page.browser->SetDocumentState({b, c});
    PK::MainMessageLoop::RunPending(1000);

    using Texts = std::vector<std::vector<PK::UniString>>;
    const auto call = [](const char* name, std::vector<PK::UniString> texts) {
        Texts lines;
        for (std::size_t i = 0; i < texts.size(); ++i) lines.push_back({name, std::to_string(i).c_str(), texts[i]});
        return lines;
    };
    Texts expected;
    for (const Texts& lines :
         {call("associateSpec", {a, b, c}), call("removeAssociation", {c, a}), call("sendAssociationFeedback", {b}),
          call("requestClauseData", {a, b, c, a}),
          call("setDocumentState", b.IsEmpty() ? std::vector<PK::UniString>{} : std::vector{b, c})})
        expected.insert(expected.end(), lines.begin(), lines.end());
    Require(record.executeErrors.empty(),
            "a page call's script failed: " + (record.executeErrors.empty() ? "" : record.executeErrors[0].ToCStr()));
    Require(page.handedBack->texts == expected, "a text came back from the page changed, or ran as script");
    for (std::size_t i = scriptsBefore; i < record.executedScripts.size(); ++i)
        Require(PK::UniString(record.executedScripts[i].ToCStr()) == record.executedScripts[i],
                "a page call's script does not survive the way as UTF-8: " + record.executedScripts[i].ToCStr());
    Require(TVSim::Web::GetEscapedExceptions().empty(), "an exception escaped into the browser control");
    Require(PK::MemoryDebug::GetLiveHandleCount() == liveHandles, "host memory blocks leaked");
}

std::vector<Bytes> PageTextSeeds() {
    const PK::UniString nasty(
        u"a\"b back\\slash\\\" \\u0041 line\nbreak\r\ttab sep\u2028ara\u2029tors "
        u"</script><script>window.ran = 1</script> \");window.ran=2;(\" "
        u"');window.ran=3;(' \\\");window.ran=4;// \U0001F600 \u0000 \u007F");
    const PK::UniString texts[][3] = {
        {"spec-1", "2b7f6a1c-0d9e-4c3b-8a5f-1e2d3c4b5a69", "Project One"},
        {nasty, "", "Walls \"outer\" \u00e9"},
        {std::u16string(u"lone \xD800 high"), std::u16string(u"\xDC00 low first"), std::u16string(u"\xDBFF")},
    };
    std::vector<Bytes> seeds;
    for (const auto& [a, b, c] : texts)
        seeds.push_back(Concat({Piece(Utf16Bytes(a)), Piece(Utf16Bytes(b)), Utf16Bytes(c)}));
    return seeds;
}

}  // namespace Fuzz
