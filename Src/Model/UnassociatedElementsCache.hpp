#pragma once
// Per element type, the elements of a connection that could be associated
// with a clause but carry none of the connection's clauses, as far as the
// host lists them for the current window. The palette's unassociated-elements
// panel and the page read it; the association commands take elements out and
// put them back.
//
// The cache follows the host: new elements are added one by one (a few kinds
// whose creation makes other elements rebuild it whole), and received
// team-work changes and changes of window, story or 3D display rebuild it.
// The element types concerned are reported through the connection, which
// tells its observers. A rebuild reads every listed element; one element that
// cannot be read is logged and skipped, the others still count. The cache
// knows the type it filed each element under, so taking elements out asks
// the host nothing: an association takes out every element it completed.
//
// Projects hold hundreds of thousands of elements, so each is indexed once,
// with its type; the types keep only their counts, and listing the elements
// of one type walks the index.
#include "Model/Element.hpp"
#include "Model/PropertyGroup.hpp"
#include "PK/Array.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "Torvel/Api/TorvelEventSource.hpp"

namespace TessaryConnect::Model {

class ConnectionWithSpecification;

class UnassociatedElementsCache : public Api::TorvelEventObserver {
public:
    // Each type held with the number of its elements, in the order the types were first filed.
    using Counts = PK::HashTable<Element::Type, PK::UInt32>;

    // Empty until the first Reset; attached to the host's notifications.
    explicit UnassociatedElementsCache(ConnectionWithSpecification& connection);
    ~UnassociatedElementsCache() override;

    // Rebuilds the table from the host under a progress window; with notify,
    // reports every type held before or after.
    void Reset(bool notify);
    // Add and Remove take the given GUIDs as they are, under the type the
    // host reports for each; true when any was new (or was there to remove).
    // The types that changed are reported.
    bool Add(const PK::Guid& element);
    bool Add(const PK::Array<PK::Guid>& elements);
    bool Remove(const PK::Guid& element);
    bool Remove(const PK::Array<PK::Guid>& elements);

    // A type whose last element was removed stays, with no elements, until the next rebuild.
    const Counts& GetTypes() const { return _counts; }
    // In the order they were filed.
    PK::Array<PK::Guid> GetElemsByType(const Element::Type& type) const;
    PK::UInt32 GetElemCountByType(const Element::Type& type) const;

    void TVEvent_Element_Created(const API_NotifyElementType& elemType) override;
    void TVEvent_Project_ReceiveChanges() override;
    void TVEvent_Project_ChangeWindow() override;
    void TVEvent_Project_ChangeFloor() override;
    void TVEvent_Project_ShowIn3DChanged() override;

private:
    // Usable for association and without a clause of this connection.
    bool IsUnassociated(const Element& element, PropertyGroup::ClauseIdReader& clauseIds) const;

    // Files the element under the type; true when it was not there yet.
    bool File(const Element::Type& type, const PK::Guid& element);

    ConnectionWithSpecification& _conn;
    // Every element held, with the type it was filed under.
    PK::HashTable<PK::Guid, Element::Type> _typeOf;
    Counts _counts;
};

}  // namespace TessaryConnect::Model
