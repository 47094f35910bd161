#pragma once
// The page in the browser as the tests see it: every call it gets becomes
// one line of a timeline ("page AssociateSpec(spec-1, <plan id>, Untitled)",
// "page SetSelectionState(null)"), which the observers of a test may write
// into too; it keeps the last state of each kind, and it reaches the model's
// callbacks as the browser's page does.
#include <initializer_list>
#include <string>
#include <vector>

#include "Tessary/Api/Tessary.hpp"
#include "Tessary/Api/TessaryCallbackApi.hpp"

namespace TestSupport {

using Timeline = std::vector<std::string>;

class RecordingPage : public TessaryConnect::Api::Tessary {
public:
    explicit RecordingPage(Timeline& timeline) : _timeline(timeline) {}

    void Init() override {}
    void SetAppState(const TessaryConnect::Api::AppState& state) override;
    void SetDocumentState(const TessaryConnect::Api::DocumentState& state) override;
    void SetSelectionState(const TessaryConnect::Api::SelectionState& state) override;
    void AssociateSpec(const PK::UniString& specId, const PK::UniString& documentRef,
                       const PK::UniString& documentName) override;
    void RemoveSpecAssociation(const PK::UniString& specId, const PK::UniString& documentRef) override;
    void Associate(const TessaryConnect::Api::AssociableType& type, const PK::UniString& text) override;
    void RemoveAssociation(const PK::UniString& specId, const PK::UniString& clauseId) override;
    void SendAssociationFeedback(bool success, const PK::UniString& text) override;
    void RequestClauseData(const PK::UniString& projectId, const PK::UniString& specId,
                           const PK::Array<PK::UniString>& clauseIds) override;

    // The model's callbacks, as the page reaches them; fails the test when none are registered.
    TessaryConnect::Api::TessaryCallbackApi& Model();

    TessaryConnect::Api::AppState app;
    TessaryConnect::Api::DocumentState document;
    TessaryConnect::Api::SelectionState selection;

private:
    void Note(const char* call, std::initializer_list<PK::UniString> texts = {});

    Timeline& _timeline;
};

}  // namespace TestSupport
