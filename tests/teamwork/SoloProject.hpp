#pragma once
// One user's project with the add-on's connection factory, for the factory's
// and the connection's own team-work operations tested one at a time:
// systems "Clauses 1" and "Clauses 2" with the items A10, B20 and C30, and
// stored connection records taken as bytes and handed back as host records.
#include <memory>
#include <string>
#include <vector>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/ConnectionWithSpecificationFactory.hpp"
#include "Model/PlanData.hpp"
#include "Model/TessaryPtr.hpp"
#include "TVAPI/Sim.hpp"

namespace TeamTest {

using namespace TessaryConnect;

struct SoloProject {
    SoloProject();

    // spec-<n> through system n, as the manager connects it.
    std::shared_ptr<Model::ConnectionWithSpecification> Connect(int n);
    // The clause's virtual type made inside a command; false when that failed.
    static bool AddClause(Model::ConnectionWithSpecification& connection, const std::string& clauseId,
                          const std::string& code);
    static void AddIssue(Model::ConnectionWithSpecification& connection, const std::string& hint);
    // The connection's stored record, written in the given byte order.
    static std::vector<char> Bytes(const Model::ConnectionWithSpecification& connection,
                                   PK::UInt16 platformSign = 0x6D6D);
    void Store(const std::string& modulDataName, const std::vector<char>& bytes);
    std::vector<char> Stored(const std::string& modulDataName) const;

    TVSim::Project& sim;
    API_Guid systems[2];
    std::shared_ptr<Api::Torvel> tv;
    std::shared_ptr<Model::TessaryPtr> tessary;
    std::shared_ptr<Model::PlanData> plan;
    Model::ConnectionWithSpecificationFactory factory;
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
    const API_ModulData& Get() const { return _data; }
    std::vector<char> BytesHeld() const;

private:
    API_ModulData _data;
};

}  // namespace TeamTest
