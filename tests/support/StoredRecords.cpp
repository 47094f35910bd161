#include "support/StoredRecords.hpp"

#include <stdexcept>

#include "Model/PlanData.hpp"

namespace TestSupport {

using namespace TessaryConnect;

std::vector<char> Written(const std::function<void(PK::OChannel&)>& write, PK::UInt16 platformSign) {
    IO::MemoryOChannel32 oc;
    if (platformSign != IO::PlatformSignLittleEndian) IO::SetPlatformOProtocol(oc, platformSign);
    write(oc);
    if (oc.GetOutputStatus() != PK::NoError) throw std::runtime_error("the record could not be written");
    return std::vector<char>(oc.GetDestination(), oc.GetDestination() + oc.GetDataSize());
}

std::vector<char> StoredConnection::Bytes() const {
    return Written([&](PK::OChannel& oc) {
        PK::OutputFrame frame(oc, PK::Guid("f3b8e9d5-43ba-4ade-9c7b-23796c5d28f3"), version);
        oc.Write(disconnected);
        {
            PK::OutputFrame systemFrame(oc, PK::Guid("9bbf7122-7de1-4ddd-a0bd-b357188c1ef9"), PK::ClassVersion(1, 0));
            oc.Write(PK::Guid(system));
        }
        {
            PK::OutputFrame groupFrame(oc, PK::Guid("4c21d763-e77b-41f9-850c-c10e9eae79ac"), groupVersion);
            oc.Write(PK::Guid(group));
            oc.Write(definitions);
        }
        for (const PK::UniString* text : {&specId, &specTitle, &projectId, &projectTitle}) oc.Write(*text);
        oc.Write(static_cast<PK::UInt32>(virtualTypes.size()));
        for (const VirtualTypeRecord& record : virtualTypes) {
            PK::OutputFrame typeFrame(oc, PK::Guid("a9242288-641f-418b-b627-f8a0da58b96b"), record.version);
            oc.Write(record.code);
            oc.Write(PK::Guid(record.item));
            oc.Write(record.clauseId);
            oc.Write(record.properties);
            oc.Write(record.dirty);
        }
        if (newerIssueCollection) {
            PK::OutputFrame collectionFrame(oc, Model::Issue::Collection::classInfo.GetId(), PK::ClassVersion(2, 0));
            oc.Write(PK::UniString("a list of issues in a form to come"));
        } else {
            std::vector<std::vector<char>> records;
            for (const auto& issue : issues)
                records.push_back(Written([&](PK::OChannel& out) { issue->WriteWithType(out); }));
            const std::vector<char> list = IssueListRecord(records);
            oc.WriteBin(list.data(), list.size());
        }
    });
}

std::vector<char> IssueRecord(const PK::Guid& classId, PK::ClassVersion version,
                              const std::function<void(PK::OChannel&)>& fields) {
    return Written([&](PK::OChannel& oc) {
        oc.Write(classId);
        PK::OutputFrame frame(oc, classId, version);
        fields(oc);
    });
}

std::vector<char> IssueListRecord(const std::vector<std::vector<char>>& records,
                                  const Model::Issue::Collection::DeletedTable& deleted) {
    return Written([&](PK::OChannel& oc) {
        PK::OutputFrame frame(oc, Model::Issue::Collection::classInfo);
        oc.Write(static_cast<PK::UInt32>(records.size()));
        for (const std::vector<char>& record : records) oc.WriteBin(record.data(), record.size());
        oc.Write(deleted);
    });
}

std::vector<char> PlanRecord(const PK::UniString& id, PK::ClassVersion version) {
    return Written([&](PK::OChannel& oc) {
        PK::OutputFrame frame(oc, Model::PlanData::classInfo.GetId(), version);
        oc.Write(id);
    });
}

}  // namespace TestSupport
