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
// are rewritten. Stored inside the connection's record.
#include <iosfwd>

#include "PK/Array.hpp"
#include "PK/Channel.hpp"
#include "PK/Guid.hpp"
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

class VirtualType {
public:
    static const PK::ClassInfo classInfo;
    // The model texts; items 11 to 13 are the page form's title, subtitle and category.
    static constexpr PK::Int32 textsResID = 32522;

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

    // The connection's placeholders filled first, then the clause's.
    PK::UniString ResolveTessaryProperties(PK::UniString text) const;
    // Takes in new and changed values and notes them as dirty; when anything
    // changed the connection is stored. True when anything changed.
    bool UpdateProperties(const Api::Properties& newValues);
    bool HasDirtyProperty() const { return !_dirtyTessaryPropertyNames.IsEmpty(); }

    // The elements classified with the item whose clause id names this clause, in the host's order.
    PK::Array<PK::Guid> GetAssociatedElements() const;

    // The virtual type as the page sees it; with markDirty, each value not yet
    // written into every element carries "<dirty>".
    Api::AssociableType GetAsAssociableType(bool markDirty) const;

    // Checks that the other connection's version describes the same virtual
    // type and logs where it does not; takes nothing from it.
    void MergeIn(const VirtualType& toMerge);

    PKErrCode Read(PK::IChannel& ic);
    PKErrCode Write(PK::OChannel& oc) const;

    friend std::ostream& operator<<(std::ostream& os, const VirtualType& virtualType);

private:
    Api::Torvel& TV() const;

    ConnectionWithSpecification& _connection;
    PK::UniString _classificationID;
    PK::Guid _classificationItemGuid;
    PK::UniString _virtualTypeId;
    Api::Properties _tessaryProperties;
    PK::Array<PK::UniString> _dirtyTessaryPropertyNames;
};

std::ostream& operator<<(std::ostream& os, const VirtualType& virtualType);

}  // namespace TessaryConnect::Model

TC_OSTREAM_FORMATTER(TessaryConnect::Model::VirtualType);
