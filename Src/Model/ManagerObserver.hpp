#pragma once
// What the manager tells the palette and its panels: requests the page made
// that need the user, changes of the project's connections, of the selection
// and of the selected connection, failures the user must hear of, and the
// page's online state. The manager has brought its own state up to date before
// it tells, so a handler may read it back. Every operation does nothing unless
// overridden.
#include <memory>

#include "PK/EventSource.hpp"
#include "PK/UniString.hpp"

namespace TessaryConnect::Model {

class ConnectionWithSpecification;
class Manager;
class SelectionCache;

class ManagerObserver : public PK::EventObserver {
public:
    virtual void ManagerEvent_AssociationWithSpecificationRequested(const std::shared_ptr<Manager>& /*manager*/,
                                                                    const PK::UniString& /*projectId*/,
                                                                    const PK::UniString& /*projectTitle*/,
                                                                    const PK::UniString& /*specId*/,
                                                                    const PK::UniString& /*specTitle*/,
                                                                    const PK::UniString& /*specType*/) {}
    virtual void ManagerEvent_ConnectionLoadedToBeDisconnected(
        const std::shared_ptr<ConnectionWithSpecification>& /*connection*/) {}
    virtual void ManagerEvent_SelectionChanged(const SelectionCache& /*selection*/) {}
    // With the newly selected connection, or an empty pointer when none is.
    virtual void ManagerEvent_SelectedConnectionChanged(
        const std::shared_ptr<ConnectionWithSpecification>& /*connection*/) {}
    virtual void ManagerEvent_ConnectionsChanged() {}
    virtual void ManagerEvent_ErrorWhileLoadingConnection() {}
    virtual void ManagerEvent_OnlineStateChanged(bool /*online*/) {}
    virtual void ManagerEvent_ErrorTessaryAssociationRequestedButConnectionDoesNotExist() {}
};

}  // namespace TessaryConnect::Model
