#pragma once
// Stored records written field by field in the stored layout, without the add-on's own code: what another version or
// team member left in a project, for the add-on to read and for what it writes to be compared byte for byte.
#include <optional>
#include <stdexcept>

#include "IO/MemoryChannel.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/PlanData.hpp"
#include "TVSim/Sim.hpp"

namespace TestSupport {

// What the body writes into a fresh channel of that byte order.
inline std::vector<char> Written(const std::function<void(PK::OChannel&)>& write,
                                 PK::UInt16 platformSign = IO::PlatformSignLittleEndian) {
    IO::MemoryOChannel32 oc;
    if (platformSign != IO::PlatformSignLittleEndian) IO::SetPlatformOProtocol(oc, platformSign);
    write(oc);
    if (oc.GetOutputStatus() != PK::NoError) throw std::runtime_error("the record could not be written");
    return std::vector<char>(oc.GetDestination(), oc.GetDestination() + oc.GetDataSize());
}

// The module data name of the specification's connection, and those bytes stored under it.
inline PK::UniString ModulDataName(const PK::UniString& specId) {
    return TessaryConnect::Model::ConnectionWithSpecification::GetModulDataNameForSpecId(specId);
}
inline void StoreBytes(TVSim::Project& sim, const PK::UniString& specId, const std::vector<char>& bytes,
                       PK::UInt16 platformSign = IO::PlatformSignLittleEndian) {
    sim.StoreModulData(ModulDataName(specId), {1, platformSign, bytes});
}

// An issue as a collection stores it: the class GUID, then a frame of that class and version holding the fields.
inline std::vector<char> IssueRecord(const PK::Guid& classId, PK::ClassVersion version,
                                     const std::function<void(PK::OChannel&)>& fields) {
    return Written([&](PK::OChannel& oc) {
        oc.Write(classId);
        PK::OutputFrame frame(oc, classId, version);
        fields(oc);
    });
}

// A stored issue collection of these issue records and removal stamps.
inline std::vector<char> IssueListRecord(const std::vector<std::vector<char>>& records,
                                         const TessaryConnect::Model::Issue::Collection::DeletedTable& deleted = {}) {
    return Written([&](PK::OChannel& oc) {
        PK::OutputFrame frame(oc, TessaryConnect::Model::Issue::Collection::classInfo);
        oc.Write(static_cast<PK::UInt32>(records.size()));
        for (const std::vector<char>& record : records) oc.WriteBin(record.data(), record.size());
        oc.Write(deleted);
    });
}

// The "PlanData" add-on object as a member with that id (or another add-on version) leaves it.
inline std::vector<char> PlanRecord(const PK::UniString& id, PK::ClassVersion version = {1, 0}) {
    return Written([&](PK::OChannel& oc) {
        PK::OutputFrame frame(oc, TessaryConnect::Model::PlanData::classInfo.GetId(), version);
        oc.Write(id);
    });
}

struct StoredConnection {
    struct VirtualTypeRecord {
        PK::UniString code;
        API_Guid item;
        PK::UniString clauseId;
        TessaryConnect::Api::Properties properties;
        PK::Array<PK::UniString> dirty;
        PK::Int32 valuesChangedAt = 0;  // from version 1.1 on
        PK::ClassVersion version{1, 1};
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
    // The groups a merge replaced, with their definitions: written from group version 1.1 on.
    std::vector<std::pair<API_Guid, PK::HashTable<PK::UniString, API_Guid>>> replaced{};
    // A collection frame of a version this add-on cannot read.
    bool newerIssueCollection = false;
    // A list record as given (IssueListRecord, or any bytes), in place of the issues'.
    std::optional<std::vector<char>> issueList{};
    // The byte order of the record but for a list given; the sign it is stored with.
    PK::UInt16 platformSign = IO::PlatformSignLittleEndian;

    std::vector<char> Bytes() const {
        return Written([&](PK::OChannel& oc) {
            const auto put = [&](const auto&... fields) { (oc.Write(fields), ...); };
            PK::OutputFrame frame(oc, PK::Guid("f3b8e9d5-43ba-4ade-9c7b-23796c5d28f3"), version);
            put(disconnected);
            {
                PK::OutputFrame systemFrame(oc, PK::Guid("9bbf7122-7de1-4ddd-a0bd-b357188c1ef9"),
                                            PK::ClassVersion(1, 0));
                put(PK::Guid(system));
            }
            {
                PK::OutputFrame groupFrame(oc, PK::Guid("4c21d763-e77b-41f9-850c-c10e9eae79ac"), groupVersion);
                put(PK::Guid(group), definitions);
                if (groupVersion.GetMinorVersion() >= 1 && !replaced.empty()) {
                    put(static_cast<PK::UInt32>(replaced.size()));
                    for (const auto& [guid, table] : replaced) put(PK::Guid(guid), table);
                }
            }
            put(specId, specTitle, projectId, projectTitle, static_cast<PK::UInt32>(virtualTypes.size()));
            for (const VirtualTypeRecord& record : virtualTypes) {
                PK::OutputFrame typeFrame(oc, PK::Guid("a9242288-641f-418b-b627-f8a0da58b96b"), record.version);
                put(record.code, PK::Guid(record.item), record.clauseId, record.properties, record.dirty);
                if (record.version.GetMinorVersion() >= 1) put(record.valuesChangedAt);
            }
            if (newerIssueCollection) {
                PK::OutputFrame collectionFrame(oc, TessaryConnect::Model::Issue::Collection::classInfo.GetId(),
                                                {2, 0});
                return put(PK::UniString("a list of issues in a form to come"));
            }
            if (issueList) return static_cast<void>(oc.WriteBin(issueList->data(), issueList->size()));
            std::vector<std::vector<char>> records;
            for (const auto& issue : issues)
                records.push_back(Written([&](PK::OChannel& out) { issue->WriteWithType(out); }));
            const std::vector<char> list = IssueListRecord(records);
            oc.WriteBin(list.data(), list.size());
        }, platformSign);
    }
    // Stores the record as the module data of its specification.
    void StoreInto(TVSim::Project& sim) const { StoreBytes(sim, specId, Bytes(), platformSign); }
};

}  // namespace TestSupport
