#pragma once
// One specification clause in use within a connection: the clause id, its
// property values as the page sent them, its code, and the item of the
// connection's classification system whose id is that code. Associating an
// element with the clause classifies it with that item and writes the clause
// values into the element's properties of the connection's property group.
//
// The item is never made here: a clause whose code no item of the system has
// cannot become a virtual type (Error::MissingClassificationItem, which
// carries the issue the connection records). Values that changed and have
// not yet reached every element are kept as dirty names until the elements
// are rewritten. Stored inside the connection's record, with the time its
// values last changed, so that of two members' versions the later values win.
#include <iosfwd>
#include <memory>

#include "PK/Array.hpp"
#include "PK/Channel.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"
#include "TVAPI/APIRecords.hpp"
#include "Tessary/Api/AssociableType.hpp"
#include "Tessary/Api/Properties.hpp"
#include "Util/Formatters.hpp"

namespace TessaryConnect::Api {
class Torvel;
}

namespace TessaryConnect::Model {

class ConnectionWithSpecification;

namespace Issue {
class Base;
}

class VirtualType {
public:
    static const PK::ClassInfo classInfo;

    // An empty virtual type, to be read.
    explicit VirtualType(ConnectionWithSpecification& connection);
    // The clause's virtual type. Throws AddonRuntimeError for properties
    // without a code or with an empty one, Error::MissingClassificationSystem
    // and Error::MissingClassificationItem when the code's item cannot be had.
    VirtualType(ConnectionWithSpecification& connection, const PK::UniString& clauseId,
                const Api::Properties& properties);
    // The same virtual type, answering to another connection (a merge takes
    // another member's virtual types into this member's connection).
    VirtualType(ConnectionWithSpecification& connection, const VirtualType& other);
    VirtualType(const VirtualType&) = delete;
    VirtualType& operator=(const VirtualType&) = delete;

    PK::Guid GetClassificationItemGuid() const;
    // Returns when the host still has the item; else throws Error::MissingClassificationItem.
    void CheckClassificationItem() const;
    // The clause's visible values as host property values, in the order of
    // Api::Properties::Name::AllVisible, each definition made available for
    // the item first. The clause-id entry holds the clause id itself, since
    // that is what the elements of the clause are found by.
    PK::Array<API_Property> GetApiProperties() const;

    const PK::UniString& Id() const { return _virtualTypeId; }
    const PK::UniString& ClauseId() const { return _virtualTypeId; }
    const Api::Properties& Properties() const { return _tessaryProperties; }

    // The connection's placeholders and the clause's filled in one pass; of
    // two that are the same, the connection's value is taken.
    PK::UniString ResolveTessaryProperties(PK::UniString text) const;
    // Takes in new and changed values and notes them as dirty; when anything
    // changed the connection is stored. True when anything changed.
    bool UpdateProperties(const Api::Properties& newValues);
    bool HasDirtyProperty() const { return !_dirtyTessaryPropertyNames.IsEmpty(); }

    // The elements classified with the item whose clause id names this clause, in the host's order.
    PK::Array<PK::Guid> GetAssociatedElements() const;

    // What an element operation did: the issues of the run, one per failure
    // type in the order each type first failed, and the elements it
    // completed, each by the guid of the element actually changed, in the
    // order handled.
    struct ElementOperationResult {
        PK::Array<std::shared_ptr<Issue::Base>> issues;
        PK::Array<PK::Guid> elements;
    };

    // The element operations run inside the connection's undoable command.
    // What one element refuses becomes an entry of an issue, or is only
    // logged; it never stops the run. What fails before the first element
    // (the item gone, a definition missing, the values not to be had) throws.
    //
    // Takes the clause values in, classifies the usable elements with the
    // item and writes every visible clause value into them; when values
    // changed, then brings the elements associated before up to date.
    ElementOperationResult AssociateElements(const Api::Properties& properties, const PK::Array<PK::Guid>& elements);
    // Writes the clause values into every associated element whose values
    // differ. Once every differing element took them, no value is dirty any
    // more (and the connection stores that).
    ElementOperationResult UpdateElementProperties();
    // Takes the item off the elements; their clause values stay. An element
    // that carries another clause of the connection keeps its classification.
    ElementOperationResult DisassociateElements(const PK::Array<PK::Guid>& elements);

    // The associated elements whose values differ from the clause's, as a
    // receive that brought new values leaves them: the ones this member may
    // write, this member's own that it cannot write now (locked, on a locked
    // layer, or on a hidden one), and how many others there are (another
    // member's, which that member writes when it receives the same values).
    // Writes nothing, so it may run outside a command; an element that cannot
    // be read is another's.
    struct ElementsBehind {
        PK::Array<PK::Guid> editable;
        PK::Array<PK::Guid> ownRefusing;
        PK::USize others = 0;
        bool IsEmpty() const { return editable.IsEmpty() && ownRefusing.IsEmpty(); }
    };
    ElementsBehind FindElementsBehind() const;
    // Writes the clause values into the editable elements found behind, and
    // records the own ones that refuse as the member's own update would; when
    // no element is left behind, no value is dirty any more (stored).
    ElementOperationResult UpdateElementsBehind(const ElementsBehind& behind);
    // Marks the names dirty, without storing. True when any was not dirty yet.
    bool MarkDirty(const PK::Array<PK::UniString>& names);

    // The virtual type as the page sees it; with markDirty, each value not yet
    // written into every element carries "<dirty>".
    Api::AssociableType GetAsAssociableType(bool markDirty) const;

    // Checks that the other connection's version describes the same virtual
    // type and logs where it does not. Of two versions whose values differ,
    // the values changed last are kept (this one's on a tie), and the names
    // that differ become dirty: the elements written with the other values
    // still carry them. True when anything changed.
    bool MergeIn(const VirtualType& toMerge);

    PKErrCode Read(PK::IChannel& ic);
    PKErrCode Write(PK::OChannel& oc) const;

    friend std::ostream& operator<<(std::ostream& os, const VirtualType& virtualType);

private:
    Api::Torvel& TV() const;
    // GetApiProperties; without makeAvailable a definition is not made available for the item, so nothing is written.
    PK::Array<API_Property> ApiProperties(bool makeAvailable) const;
    // UpdateElementProperties, but an element in reported that fails is left out of its issues.
    ElementOperationResult RewriteElements(const PK::HashSet<PK::Guid>& reported);

    ConnectionWithSpecification& _connection;
    PK::UniString _classificationID;
    PK::Guid _classificationItemGuid;
    PK::UniString _virtualTypeId;
    Api::Properties _tessaryProperties;
    PK::Array<PK::UniString> _dirtyTessaryPropertyNames;
    PK::Int32 _valuesChangedAt = 0;  // the class library's seconds; 0 for a record that did not keep it
};

std::ostream& operator<<(std::ostream& os, const VirtualType& virtualType);

}  // namespace TessaryConnect::Model

TC_OSTREAM_FORMATTER(TessaryConnect::Model::VirtualType);
