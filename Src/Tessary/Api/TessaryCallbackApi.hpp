#pragma once
// The model as the page sees it: every function the page calls on the
// page-side script object ends, once its arguments are checked and converted,
// in one of these operations. The manager implements it; a page holds it only
// weakly (Api::Tessary::GetCallbackApi).
#include "PK/Array.hpp"
#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"
#include "Tessary/Api/AllState.hpp"
#include "Tessary/Api/AssociableType.hpp"
#include "Tessary/Api/Properties.hpp"

namespace TessaryConnect::Api {

class TessaryCallbackApi {
public:
    TessaryCallbackApi() = default;
    TessaryCallbackApi(const TessaryCallbackApi&) = delete;
    TessaryCallbackApi& operator=(const TessaryCallbackApi&) = delete;
    virtual ~TessaryCallbackApi();

    virtual AllState Handle_getAllState() = 0;
    virtual void Handle_selectInstancesOfType(const PK::UniString& typeId) = 0;
    virtual PK::Array<AssociableType> Handle_getAllTypesInDocument(const PK::UniString& documentRef,
                                                                   const PK::Array<PK::UniString>& propertyNames) = 0;
    virtual void Handle_updateProperties(const PK::UniString& documentRef, const PK::UniString& secondText,
                                         const PK::HashTable<PK::UniString, Properties>& propertiesByClauseId) = 0;
    virtual void Handle_specOpened(const PK::UniString& projectId, const PK::UniString& specId,
                                   const PK::UniString& projectTitle, const PK::UniString& specTitle) = 0;
    virtual void Handle_specAssociationRequested(const PK::UniString& projectId, const PK::UniString& specId,
                                                 const PK::UniString& projectTitle, const PK::UniString& specTitle,
                                                 const PK::UniString& fifthText, const PK::UniString& specType) = 0;
    virtual void Handle_removeSpecAssociationRequested(const PK::UniString& projectId, const PK::UniString& specId,
                                                       const PK::UniString& documentRef) = 0;
    virtual void Handle_associationRequested(const PK::UniString& typeId, const PK::UniString& specId,
                                             const PK::UniString& clauseId, const Properties& properties) = 0;
    virtual void Handle_removeAssociationRequested(const PK::UniString& typeId, const PK::UniString& specId,
                                                   const PK::UniString& clauseId, const Properties& properties) = 0;
    virtual void Handle_tvt_onlineStateChanged(bool online) = 0;
};

}  // namespace TessaryConnect::Api
