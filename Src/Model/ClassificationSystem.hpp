#pragma once
// A connection's reference to the host classification system whose items
// stand for the specification's clauses. The user picks an existing system
// when connecting; the add-on only reads it and its items. Stored inside the
// connection's record.
#include <iosfwd>

#include "PK/Array.hpp"
#include "PK/Channel.hpp"
#include "PK/Guid.hpp"
#include "PK/UniString.hpp"
#include "Util/Formatters.hpp"

namespace TessaryConnect::Model {

class ConnectionWithSpecification;

class ClassificationSystem {
public:
    static const PK::ClassInfo classInfo;

    // The null GUID: a system to be read.
    explicit ClassificationSystem(const ConnectionWithSpecification& connection);
    ClassificationSystem(const ConnectionWithSpecification& connection, const PK::Guid& guid);
    ClassificationSystem(const ClassificationSystem&) = delete;
    ClassificationSystem& operator=(const ClassificationSystem&) = delete;

    // Returns when the host still has the system; throws
    // Error::MissingClassificationSystem when it is gone or none is set.
    void Check() const;
    // The GUID of the first item, at any depth, whose id is itemId; the null
    // GUID when none has it.
    PK::Guid GetItemByID(const PK::UniString& itemId) const;
    // Every item of the system, depth first.
    PK::Array<PK::Guid> GetAllItems() const;

    const PK::Guid& Guid() const { return _guid; }
    void MergeIn(const ClassificationSystem& other);

    PKErrCode Read(PK::IChannel& ic);
    PKErrCode Write(PK::OChannel& oc) const;

private:
    const ConnectionWithSpecification& _connection;
    PK::Guid _guid;
};

// "{ _guid: " the GUID " }".
std::ostream& operator<<(std::ostream& os, const ClassificationSystem& system);

}  // namespace TessaryConnect::Model

TC_OSTREAM_FORMATTER(TessaryConnect::Model::ClassificationSystem);
