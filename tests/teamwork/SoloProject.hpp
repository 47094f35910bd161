#pragma once
// One user's project with the add-on's connection factory, for the factory's
// and the connection's own team-work operations tested one at a time:
// systems "Clauses 1" and "Clauses 2" with the items A10, B20 and C30, and
// stored connection records taken as bytes and handed back as host records.
#include <memory>
#include <string>
#include <vector>

#include "TeamTestSupport.hpp"

namespace TeamTest {

// A fresh simulated project with its classification systems, made before the add-on starts.
struct FreshProject {
    FreshProject();
    TVSim::Project& sim;
    std::vector<API_Guid> systems;
};

struct SoloProject : FreshProject, AddOn {
    SoloProject();

    // spec-<n> through system n, as the manager connects it.
    ConnectionPtr Connect(int n);
    // Another copy of a connection, read from a stored record.
    ConnectionPtr Read(const std::vector<char>& bytes);
    // The connection's stored record, written in the given byte order.
    static std::vector<char> Bytes(const Model::ConnectionWithSpecification& connection,
                                   PK::UInt16 platformSign = 0x6D6D);
    void Store(const std::string& modulDataName, const std::vector<char>& bytes);
    std::vector<char> Stored(const std::string& modulDataName) const { return StoredIn(sim, modulDataName); }
};

// A host module-data record holding its own copy of the bytes; frees it when it goes.
class Record {
public:
    explicit Record(const std::vector<char>& bytes, PK::UInt16 platformSign = 0x6D6D);
    Record();  // no data: a null handle
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;
    ~Record();

    API_ModulData* Ptr() { return &_data; }
    std::vector<char> BytesHeld() const;

private:
    API_ModulData _data;
};

}  // namespace TeamTest
