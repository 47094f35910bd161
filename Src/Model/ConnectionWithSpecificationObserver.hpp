#pragma once
// What a connection tells those who watch it (the manager, the palette and
// its panels). Every event comes with the connection; an observer overrides
// only the events it handles.
#include <memory>

#include "Model/Element.hpp"
#include "PK/EventSource.hpp"
#include "PK/HashTable.hpp"

namespace TessaryConnect::Model {

class ConnectionWithSpecification;

namespace Issue {
class Base;
}

class ConnectionWithSpecificationObserver : public PK::EventObserver {
public:
    using ConnectionPtr = std::shared_ptr<ConnectionWithSpecification>;

    virtual void ConnEvent_Disconnected(const ConnectionPtr& /*connection*/) {}
    virtual void ConnEvent_VirtualTypeListChanged(const ConnectionPtr& /*connection*/) {}
    virtual void ConnEvent_IssueListChanged(const ConnectionPtr& /*connection*/) {}
    virtual void ConnEvent_UnassociatedElementTypeChanged(const ConnectionPtr& /*connection*/,
                                                          const PK::HashSet<Element::Type>& /*types*/) {}
    virtual void ConnEvent_ErrorPropertyManagerNoAccessRight(const ConnectionPtr& /*connection*/) {}
    virtual void ConnEvent_ErrorClassificationManagerNoAccessRight(const ConnectionPtr& /*connection*/) {}
    virtual void ConnEvent_IssueWereThrown(const ConnectionPtr& /*connection*/,
                                           const std::shared_ptr<Issue::Base>& /*issue*/) {}
    virtual void ConnEvent_TitleChanged(const ConnectionPtr& /*connection*/) {}
};

}  // namespace TessaryConnect::Model
