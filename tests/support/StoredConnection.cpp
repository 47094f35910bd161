#include "support/StoredConnection.hpp"

#include <stdexcept>

#include "IO/MemoryChannel.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Issue/Collection.hpp"

namespace TestSupport {

std::vector<char> StoredConnection::Bytes() const {
    IO::MemoryOChannel32 oc;
    {
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
        const PK::ClassInfo& collection = TessaryConnect::Model::Issue::Collection::classInfo;
        if (newerIssueCollection) {
            PK::OutputFrame collectionFrame(oc, collection.GetId(), PK::ClassVersion(2, 0));
            oc.Write(PK::UniString("a list of issues in a form to come"));
        } else {
            PK::OutputFrame collectionFrame(oc, collection);
            oc.Write(static_cast<PK::UInt32>(issues.GetSize()));
            for (const auto& issue : issues) issue->WriteWithType(oc);
            oc.Write(TessaryConnect::Model::Issue::Collection::DeletedTable());
        }
    }
    if (oc.GetOutputStatus() != PK::NoError) throw std::runtime_error("StoredConnection: write failed");
    return std::vector<char>(oc.GetDestination(), oc.GetDestination() + oc.GetDataSize());
}

void StoredConnection::StoreInto(TVSim::Project& sim) const {
    TVSim::ModulData data;
    data.dataVersion = 1;
    data.platformSign = IO::PlatformSignLittleEndian;
    data.bytes = Bytes();
    sim.StoreModulData(TessaryConnect::Model::ConnectionWithSpecification::GetModulDataNameForSpecId(specId), data);
}

}  // namespace TestSupport
