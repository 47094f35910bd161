#include "support/RecordingPage.hpp"

#include <stdexcept>

namespace TestSupport {

using namespace TessaryConnect;

void RecordingPage::SetAppState(const Api::AppState& state) {
    app = state;
    Note("SetAppState");
}

void RecordingPage::SetDocumentState(const Api::DocumentState& state) {
    document = state;
    Note("SetDocumentState", {state.documentRef.IsEmpty() ? "null" : state.documentRef});
}

void RecordingPage::SetSelectionState(const Api::SelectionState& state) {
    selection = state;
    Note("SetSelectionState", {state.type.id.IsEmpty() ? "null" : state.type.id});
}

void RecordingPage::AssociateSpec(const PK::UniString& specId, const PK::UniString& documentRef,
                                  const PK::UniString& documentName) {
    Note("AssociateSpec", {specId, documentRef, documentName});
}

void RecordingPage::RemoveSpecAssociation(const PK::UniString& specId, const PK::UniString& documentRef) {
    Note("RemoveSpecAssociation", {specId, documentRef});
}

void RecordingPage::Associate(const Api::AssociableType& type, const PK::UniString& text) {
    Note("Associate", {type.id, text});
}

void RecordingPage::RemoveAssociation(const PK::UniString& specId, const PK::UniString& clauseId) {
    Note("RemoveAssociation", {specId, clauseId});
}

void RecordingPage::SendAssociationFeedback(bool success, const PK::UniString& text) {
    Note("SendAssociationFeedback", {success ? "1" : "0", text});
}

void RecordingPage::RequestClauseData(const PK::UniString&, const PK::UniString& specId,
                                      const PK::Array<PK::UniString>&) {
    Note("RequestClauseData", {specId});
}

Api::TessaryCallbackApi& RecordingPage::Model() {
    const std::shared_ptr<Api::TessaryCallbackApi> callbacks = GetCallbackApi();
    if (callbacks == nullptr) throw std::logic_error("the model registered no callbacks with the page");
    return *callbacks;
}

void RecordingPage::Note(const char* call, std::initializer_list<PK::UniString> texts) {
    std::string line = std::string("page ") + call;
    if (texts.size() != 0) {
        const char* separator = "(";
        for (const PK::UniString& text : texts) {
            line += separator;
            line += text.ToCStr();
            separator = ", ";
        }
        line += ")";
    }
    _timeline.push_back(line);
}

}  // namespace TestSupport
