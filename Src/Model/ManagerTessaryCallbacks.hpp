#pragma once
// The page's calls into the model. The manager owns the one instance and
// hands the page only a weak pointer to it, so a page never keeps the model
// alive and a call that comes after the manager is gone reaches nothing.
// Failures of the host and of the page states pass out to the page bridge,
// which logs them and answers the page with an empty result; the
// connections' commands turn their own failures into issues.
#include "Model/Manager.hpp"
#include "Tessary/Api/TessaryCallbackApi.hpp"

namespace TessaryConnect::Model {

class Manager::TessaryCallbacks : public Api::TessaryCallbackApi {
public:
    explicit TessaryCallbacks(Manager& manager) : _manager(manager) {}

    Api::AllState Handle_getAllState() override;
    // Selects the instances of a virtual type, or the unassociated elements
    // of an element type, and zooms to them; nothing to select changes nothing.
    void Handle_selectInstancesOfType(const PK::UniString& typeId) override;
    // The selected connection's virtual types, then its element types with
    // unassociated elements; every requested property a type lacks reads "?".
    PK::Array<Api::AssociableType> Handle_getAllTypesInDocument(const PK::UniString& documentRef,
                                                                const PK::Array<PK::UniString>& propertyNames) override;
    void Handle_updateProperties(const PK::UniString& documentRef, const PK::UniString& secondText,
                                 const PK::HashTable<PK::UniString, Api::Properties>& propertiesByClauseId) override;
    void Handle_specOpened(const PK::UniString& projectId, const PK::UniString& specId,
                           const PK::UniString& projectTitle, const PK::UniString& specTitle) override;
    void Handle_specAssociationRequested(const PK::UniString& projectId, const PK::UniString& specId,
                                         const PK::UniString& projectTitle, const PK::UniString& specTitle,
                                         const PK::UniString& fifthText, const PK::UniString& specType) override;
    void Handle_removeSpecAssociationRequested(const PK::UniString& projectId, const PK::UniString& specId,
                                               const PK::UniString& documentRef) override;
    void Handle_associationRequested(const PK::UniString& typeId, const PK::UniString& specId,
                                     const PK::UniString& clauseId, const Api::Properties& properties) override;
    void Handle_removeAssociationRequested(const PK::UniString& typeId, const PK::UniString& specId,
                                           const PK::UniString& clauseId, const Api::Properties& properties) override;
    void Handle_tvt_onlineStateChanged(bool online) override;

private:
    Manager& _manager;
};

}  // namespace TessaryConnect::Model
