#pragma once
// A page-callback interface that writes down every call it receives, one line
// per call with its arguments in printed form, and answers what the test set
// up. Calls can be made to throw to show how the caller copes.
#include <functional>
#include <string>
#include <vector>

#include "Tessary/Api/TessaryCallbackApi.hpp"

namespace TestSupport {

class RecordingCallbackApi : public TessaryConnect::Api::TessaryCallbackApi {
public:
    // Lines such as: Handle_specOpened("p", "s", "pt", "st")
    std::vector<std::string> calls;
    // Answers of Handle_getAllState and Handle_getAllTypesInDocument.
    TessaryConnect::Api::AllState allState;
    PK::Array<TessaryConnect::Api::AssociableType> typesInDocument;
    // Run after each call is written down; may throw.
    std::function<void()> afterCall;

    TessaryConnect::Api::AllState Handle_getAllState() override;
    void Handle_selectInstancesOfType(const PK::UniString& typeId) override;
    PK::Array<TessaryConnect::Api::AssociableType> Handle_getAllTypesInDocument(
        const PK::UniString& documentRef, const PK::Array<PK::UniString>& propertyNames) override;
    void Handle_updateProperties(
        const PK::UniString& documentRef, const PK::UniString& secondText,
        const PK::HashTable<PK::UniString, TessaryConnect::Api::Properties>& propertiesByClauseId) override;
    void Handle_specOpened(const PK::UniString& projectId, const PK::UniString& specId,
                           const PK::UniString& projectTitle, const PK::UniString& specTitle) override;
    void Handle_specAssociationRequested(const PK::UniString& projectId, const PK::UniString& specId,
                                         const PK::UniString& projectTitle, const PK::UniString& specTitle,
                                         const PK::UniString& fifthText, const PK::UniString& specType) override;
    void Handle_removeSpecAssociationRequested(const PK::UniString& projectId, const PK::UniString& specId,
                                               const PK::UniString& documentRef) override;
    void Handle_associationRequested(const PK::UniString& typeId, const PK::UniString& specId,
                                     const PK::UniString& clauseId,
                                     const TessaryConnect::Api::Properties& properties) override;
    void Handle_removeAssociationRequested(const PK::UniString& typeId, const PK::UniString& specId,
                                           const PK::UniString& clauseId,
                                           const TessaryConnect::Api::Properties& properties) override;
    void Handle_tvt_onlineStateChanged(bool online) override;

private:
    template <typename... Args>
    void Record(const char* operation, const Args&... args);
};

}  // namespace TestSupport
