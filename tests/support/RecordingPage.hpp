#pragma once
// The page in the browser as the tests see it: every call it gets becomes a line of a timeline the test's observers
// may write into too ("page AssociateSpec(spec-1, <plan id>, Untitled)", "page SetSelectionState(null)"); it keeps the
// last state of each kind, and it reaches the model's callbacks as the browser's page does.

#include "Tessary/Api/Tessary.hpp"
#include "Tessary/Api/TessaryCallbackApi.hpp"

namespace TestSupport {

using Timeline = std::vector<std::string>;

class RecordingPage : public TessaryConnect::Api::Tessary {
public:
    using Text = PK::UniString;
    explicit RecordingPage(Timeline& timeline) : _timeline(timeline) {}

    void Init() override {}
    void SetAppState(const TessaryConnect::Api::AppState& state) override { app = state, Note("SetAppState"); }
    void SetDocumentState(const TessaryConnect::Api::DocumentState& state) override {
        document = state, Note("SetDocumentState", {state.documentRef.IsEmpty() ? "null" : state.documentRef});
    }
    void SetSelectionState(const TessaryConnect::Api::SelectionState& state) override {
        selection = state, Note("SetSelectionState", {state.type.id.IsEmpty() ? "null" : state.type.id});
    }
    void AssociateSpec(const Text& spec, const Text& ref, const Text& name) override {
        Note("AssociateSpec", {spec, ref, name});
    }
    void RemoveSpecAssociation(const Text& spec, const Text& ref) override {
        Note("RemoveSpecAssociation", {spec, ref});
    }
    void Associate(const TessaryConnect::Api::AssociableType& type, const Text& text) override {
        Note("Associate", {type.id, text});
    }
    void RemoveAssociation(const Text& spec, const Text& clause) override { Note("RemoveAssociation", {spec, clause}); }
    void SendAssociationFeedback(bool ok, const Text& text) override {
        Note("SendAssociationFeedback", {ok ? "1" : "0", text});
    }
    void RequestClauseData(const Text&, const Text& spec, const PK::Array<Text>&) override {
        Note("RequestClauseData", {spec});
    }

    // The model's callbacks, as the page reaches them; fails the test when none are registered.
    TessaryConnect::Api::TessaryCallbackApi& Model() {
        if (const auto callbacks = GetCallbackApi()) return *callbacks;
        throw std::logic_error("the model registered no callbacks with the page");
    }

    TessaryConnect::Api::AppState app;
    TessaryConnect::Api::DocumentState document;
    TessaryConnect::Api::SelectionState selection;

private:
    void Note(const char* call, std::initializer_list<Text> texts = {}) {
        std::string line = std::string("page ") + call;
        for (const Text& text : texts) line += (&text == texts.begin() ? "(" : ", ") + text.ToCStr();
        _timeline.push_back(texts.size() == 0 ? line : line + ")");
    }

    Timeline& _timeline;
};

}  // namespace TestSupport
