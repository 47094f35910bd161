#pragma once
// One connection of the Torvel project with one Orvo Tessary specification.
//
// Only what the issues ask of a connection is declared so far; the connection
// itself (its record, commands, events and these operations) is still to be
// written. Until then nothing in the add-on makes a connection, and the issues
// reach it only by reference.
#include <memory>

#include "PK/UniString.hpp"

namespace TessaryConnect::Api {
class Torvel;
}

namespace TessaryConnect::Model {

namespace Issue {
class Base;
}

class ConnectionWithSpecification {
public:
    virtual ~ConnectionWithSpecification() = default;

    // The host interface the connection works through.
    virtual Api::Torvel& TV() const = 0;
    // Fills the connection's placeholders ({OrvoTessarySpecificationId} and
    // its kin); a non-empty new title stands in for the stored one.
    virtual PK::UniString ResolveVariables(PK::UniString text, const PK::UniString& newSpecificationTitle,
                                           const PK::UniString& newProjectTitle) const = 0;
    // Takes the issue out of the connection's collection with a removal
    // stamp, stores the connection and tells its observers.
    virtual void RemoveIssue(const std::shared_ptr<Issue::Base>& issue) = 0;
};

}  // namespace TessaryConnect::Model
