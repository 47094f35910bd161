#pragma once
// Stored records written field by field with the class GUIDs and versions of
// the stored layout, without the add-on's own code: what another version of
// the add-on or another team member left in a project. Tests hand them to the
// add-on to read, and compare what the add-on writes with them byte for byte.
#include <functional>
#include <memory>
#include <vector>

#include "IO/MemoryChannel.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Issue/Base.hpp"
#include "Model/Issue/Collection.hpp"
#include "PK/Array.hpp"
#include "PK/ClassInfo.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"
#include "TVSim/Sim.hpp"
#include "Tessary/Api/Properties.hpp"

namespace TestSupport {

// What the body writes into a fresh channel of that byte order.
std::vector<char> Written(const std::function<void(PK::OChannel&)>& write,
                          PK::UInt16 platformSign = IO::PlatformSignLittleEndian);

// The module data name of the specification's connection, and those bytes stored under it.
inline PK::UniString ModulDataName(const PK::UniString& specId) {
    return TessaryConnect::Model::ConnectionWithSpecification::GetModulDataNameForSpecId(specId);
}
inline void StoreBytes(TVSim::Project& sim, const PK::UniString& specId, const std::vector<char>& bytes) {
    sim.StoreModulData(ModulDataName(specId), {1, IO::PlatformSignLittleEndian, bytes});
}

// A connection's record.
struct StoredConnection {
    struct VirtualTypeRecord {
        PK::UniString code;
        API_Guid item;
        PK::UniString clauseId;
        TessaryConnect::Api::Properties properties;
        PK::Array<PK::UniString> dirty;
        PK::ClassVersion version{1, 0};
    };

    bool disconnected = false;
    API_Guid system{};
    API_Guid group{};
    PK::HashTable<PK::UniString, API_Guid> definitions{};
    PK::UniString specId = "spec-1";
    PK::UniString specTitle = "Spec One";
    PK::UniString projectId = "project-1";
    PK::UniString projectTitle = "Project One";
    std::vector<VirtualTypeRecord> virtualTypes{};
    // In this order, with no removal stamps, as a collection that took them one by one without merging.
    PK::Array<std::shared_ptr<TessaryConnect::Model::Issue::Base>> issues{};
    PK::ClassVersion version{1, 0};
    PK::ClassVersion groupVersion{1, 0};
    // A collection frame of a version this add-on cannot read.
    bool newerIssueCollection = false;

    std::vector<char> Bytes() const;
    // Stores the record as the module data of its specification.
    void StoreInto(TVSim::Project& sim) const { StoreBytes(sim, specId, Bytes()); }
};

// An issue as a collection stores it: the class GUID, then a frame of that
// class and version holding the fields.
std::vector<char> IssueRecord(const PK::Guid& classId, PK::ClassVersion version,
                              const std::function<void(PK::OChannel&)>& fields);
// A stored issue collection of these issue records and removal stamps.
std::vector<char> IssueListRecord(const std::vector<std::vector<char>>& records,
                                  const TessaryConnect::Model::Issue::Collection::DeletedTable& deleted = {});

// The content of the "PlanData" add-on object as a member with that id (or
// another version of the add-on) leaves it.
std::vector<char> PlanRecord(const PK::UniString& id, PK::ClassVersion version = {1, 0});

}  // namespace TestSupport
