#pragma once
// The page in the browser as the tests see it: every call it gets becomes
// one line of a timeline ("page AssociateSpec(spec-1, <plan id>, Untitled)",
// "page SetSelectionState(null)"), which the observers of a test may write
// into too; it keeps the last state of each kind, and it reaches the model's
// callbacks as the browser's page does.

#include "Tessary/Api/Tessary.hpp"
#include "Tessary/Api/TessaryCallbackApi.hpp"

namespace TestSupport {

using Timeline = std::vector<std::string>;

class RecordingPage : public TessaryConnect::Api::Tessary {
public:
    using UniString = PK::UniString;
    explicit RecordingPage(Timeline& timeline) : _timeline(timeline) {}

    void Init() override {}
    void SetAppState(const TessaryConnect::Api::AppState& state) override { app = state, Note("SetAppState"); }
    void SetDocumentState(const TessaryConnect::Api::DocumentState& state) override {
        document = state, Note("SetDocumentState", {state.documentRef.IsEmpty() ? "null" : state.documentRef});
    }
    void SetSelectionState(const TessaryConnect::Api::SelectionState& state) override {
        selection = state, Note("SetSelectionState", {state.type.id.IsEmpty() ? "null" : state.type.id});
    }
    void AssociateSpec(const UniString& specId, const UniString& documentRef, const UniString& documentName) override {
        Note("AssociateSpec", {specId, documentRef, documentName});
    }
    void RemoveSpecAssociation(const UniString& specId, const UniString& documentRef) override {
        Note("RemoveSpecAssociation", {specId, documentRef});
    }
    void Associate(const TessaryConnect::Api::AssociableType& type, const UniString& text) override {
        Note("Associate", {type.id, text});
    }
    void RemoveAssociation(const UniString& specId, const UniString& clauseId) override {
        Note("RemoveAssociation", {specId, clauseId});
    }
    void SendAssociationFeedback(bool success, const UniString& text) override {
        Note("SendAssociationFeedback", {success ? "1" : "0", text});
    }
    void RequestClauseData(const UniString&, const UniString& specId, const PK::Array<UniString>&) override {
        Note("RequestClauseData", {specId});
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
    void Note(const char* call, std::initializer_list<UniString> texts = {}) {
        std::string line = std::string("page ") + call;
        for (const UniString& text : texts) line += (&text == texts.begin() ? "(" : ", ") + text.ToCStr();
        _timeline.push_back(texts.size() == 0 ? line : line + ")");
    }

    Timeline& _timeline;
};

}  // namespace TestSupport
