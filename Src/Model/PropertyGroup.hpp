#pragma once
// A connection's custom property group in the project: named after the
// specification and its Tessary project, with one property definition per
// clause property the add-on writes into elements. The group knows which
// definition holds which clause property, creates what is missing, tells
// whether the user has deleted the group or a definition behind the add-on's
// back, reads an element's clause id, and is stored inside the connection's
// record.
//
// Name clashes in the host are settled by appending "*" to the name and
// trying again, a bounded number of times.
//
// Two members who connect the same specification at once make a group each;
// the team-work merge keeps one. Elements associated through the other still
// carry their clause values only there, so the merge keeps that group as a
// replaced one (stored with the record, so that whichever member can finish
// the work does) until the connection has carried the values over and
// deleted it.
#include <iosfwd>

#include "PK/Array.hpp"
#include "PK/Channel.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"
#include "TVAPI/APIRecords.hpp"
#include "Util/Formatters.hpp"
#include "Util/Resource.hpp"

namespace TessaryConnect::Api {
class Torvel;
}

namespace TessaryConnect::Model {

class ConnectionWithSpecification;

class PropertyGroup {
public:
    static const PK::ClassInfo classInfo;
    // The record's version when it lists replaced groups after the table;
    // earlier versions skip the list.
    static constexpr PK::ClassVersion versionWithReplaced{1, 1};
    // How many names are tried for one group or definition before the host's
    // name clash is passed on.
    static constexpr int maxNameAttempts = 50;

    // No group yet: null GUID, no definitions; no host call.
    explicit PropertyGroup(const ConnectionWithSpecification& connection);
    PropertyGroup(const PropertyGroup&) = delete;
    PropertyGroup& operator=(const PropertyGroup&) = delete;

    // Creates the host group, named after the connection's titles.
    void Create();
    // The group name for these titles; an empty title stands for the connection's own.
    PK::UniString GetPropertyGroupName(const PK::UniString& specificationTitle,
                                       const PK::UniString& projectTitle) const;
    bool IsExists() const;
    const PK::Guid& Guid() const { return _guid; }
    // Throws Error::MissingPropertyGroup when the host no longer has the group.
    void Check() const;
    // Renames the host group after the new titles.
    void UpdateTitle(const PK::UniString& specificationTitle, const PK::UniString& projectTitle);

    // Makes sure the group holds a definition for the clause property.
    void CreatePropertyIfNotExists(const PK::UniString& tessaryPropertyName);
    bool IsExistsProperty(const PK::UniString& tessaryPropertyName) const;
    PK::UniString GetPropertyDefinitionName(const PK::UniString& tessaryPropertyName) const;
    PK::UniString GetPropertyDefinitionDesc(const PK::UniString& tessaryPropertyName) const;
    // Throws Error::MissingProperty when the definition is unknown or gone.
    void CheckProperty(const PK::UniString& tessaryPropertyName) const;
    PK::Guid GetPropertyGuid(const PK::UniString& tessaryPropertyName) const;

    // The clause id the element carries in this group, or the empty text.
    PK::UniString GetClauseIdOfElem(const PK::Guid& element) const;

    // Reads the clause id of element after element (a selection, a rebuild)
    // as GetClauseIdOfElem does, with the definition looked up once and the
    // host's answers read into the same arrays each time.
    class ClauseIdReader {
    public:
        explicit ClauseIdReader(const PropertyGroup& group);
        // Through the clause-id definition of these definitions (a replaced group's).
        ClauseIdReader(Api::Torvel& tv, const PK::HashTable<PK::UniString, PK::Guid>& definitions);
        // The element's clause id, or the empty text; valid until the next
        // Read. Host errors are thrown.
        const PK::UniString& Read(const PK::Guid& element);

    private:
        Api::Torvel& _tv;
        PK::Array<PK::Guid> _definition;  // empty when the group knows no clause-id definition
        PK::Array<API_Property> _values;
    };

    // A group of this connection that a team-work merge replaced by another
    // member's, with its clause property definitions.
    struct Replaced {
        PK::Guid guid;
        PK::HashTable<PK::UniString, PK::Guid> definitions;
    };
    const PK::Array<Replaced>& GetReplacedGroups() const { return _replaced; }
    // The group is deleted, or its deletion is no longer this connection's business.
    void ForgetReplaced(const PK::Guid& group);
    // Forgets the replaced groups that another connection keeps as its own
    // (only damaged or hand-made records list one), or every one when
    // keptElsewhere is null (not known); logged. True when any was forgotten.
    bool ForgetReplacedKeptElsewhere(const PK::HashSet<PK::Guid>* keptElsewhere);

    // Deletes the host group and the replaced ones (tolerating groups the
    // user deleted already) and forgets them.
    void Remove();
    // Takes over the other's group, definitions and replaced groups (a record just read).
    void MergeIn(const PropertyGroup& other);
    // Takes over another member's version of the group, as MergeIn does;
    // when it is another group, this one's becomes a replaced group. The
    // replaced groups of both versions are kept. But a group the project no
    // longer has is never kept while this version's group is there (a member
    // disconnected and connected again meanwhile): this one's stays, and a
    // group that is gone is not listed as replaced.
    void MergeInVersion(const PropertyGroup& other);

    PKErrCode Read(PK::IChannel& ic);
    PKErrCode Write(PK::OChannel& oc) const;

    friend std::ostream& operator<<(std::ostream& os, const PropertyGroup& group);

private:
    Api::Torvel& TV() const;
    // A group the user deleted already counts as deleted; other host errors are passed on.
    void DeleteHostGroup(const PK::Guid& group);
    // False only when the host answers that it has no such group.
    bool HostHasGroup(const PK::Guid& group) const;
    // The candidates become the replaced groups, each once and never the
    // group itself; from stored bytes, what is dropped is logged.
    void KeepReplaced(PK::Array<Replaced>&& candidates, bool fromStoredBytes);
    // Item of the model texts with the property name and the connection's placeholders filled.
    PK::UniString GetDefinitionText(Util::Resource::ModelText item, const PK::UniString& tessaryPropertyName) const;

    const ConnectionWithSpecification& _connection;
    PK::Guid _guid;
    PK::HashTable<PK::UniString, PK::Guid> _tessaryPropertyNameToDefinitionGuids;
    PK::Array<Replaced> _replaced;
};

// "{ _guid: " the GUID ", _tessaryPropertyNameToDefinitionGuids: {" name ": " GUID, ... "} }".
std::ostream& operator<<(std::ostream& os, const PropertyGroup& group);

}  // namespace TessaryConnect::Model

TC_OSTREAM_FORMATTER(TessaryConnect::Model::PropertyGroup);
