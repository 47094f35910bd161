#pragma once
// The page as the model sees it. The model sends state documents and
// association news through these operations and never touches the browser;
// the browser implements them as scripts run in the page. The one link back,
// to the model's page callbacks, is weak: a page never keeps the model alive,
// and after the model is gone GetCallbackApi answers an empty pointer.
#include <memory>

#include "PK/Array.hpp"
#include "PK/UniString.hpp"
#include "Tessary/Api/AppState.hpp"
#include "Tessary/Api/AssociableType.hpp"
#include "Tessary/Api/DocumentState.hpp"
#include "Tessary/Api/SelectionState.hpp"

namespace TessaryConnect::Api {

class TessaryCallbackApi;

class Tessary {
public:
    Tessary() = default;
    Tessary(const Tessary&) = delete;
    Tessary& operator=(const Tessary&) = delete;
    virtual ~Tessary();

    // Registers the page-callable script object once; repeated calls are harmless.
    virtual void Init() = 0;
    virtual void SetAppState(const AppState& state) = 0;
    virtual void SetDocumentState(const DocumentState& state) = 0;
    virtual void SetSelectionState(const SelectionState& state) = 0;
    virtual void AssociateSpec(const PK::UniString& specId, const PK::UniString& documentRef,
                               const PK::UniString& documentName) = 0;
    virtual void RemoveSpecAssociation(const PK::UniString& specId, const PK::UniString& documentRef) = 0;
    virtual void Associate(const AssociableType& type, const PK::UniString& text) = 0;
    virtual void RemoveAssociation(const PK::UniString& specId, const PK::UniString& clauseId) = 0;
    virtual void SendAssociationFeedback(bool success, const PK::UniString& text) = 0;
    virtual void RequestClauseData(const PK::UniString& projectId, const PK::UniString& specId,
                                   const PK::Array<PK::UniString>& clauseIds) = 0;

    void SetCallbackApi(std::weak_ptr<TessaryCallbackApi> callbackApi);
    void ClearCallbackApi();
    // Empty when none was set, after ClearCallbackApi, or once its owner released it.
    std::shared_ptr<TessaryCallbackApi> GetCallbackApi() const;

private:
    std::weak_ptr<TessaryCallbackApi> _callbackApi;
};

}  // namespace TessaryConnect::Api
