#include "SoloProject.hpp"

#include <cstring>
#include <stdexcept>

#include "IO/MemoryChannel.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "TeamTestSupport.hpp"
#include "Torvel/Implementation/Torvel.hpp"

namespace TeamTest {

namespace {
TVSim::Project& FreshProject() {
    TVSim::Reset();
    return TVSim::OpenProject();
}
}  // namespace

SoloProject::SoloProject()
    : sim(FreshProject()),
      tv(std::make_shared<Implementation::Torvel>()),
      tessary(std::make_shared<Model::TessaryPtr>()),
      plan(std::make_shared<Model::PlanData>(tv)),
      factory(tv, tessary, plan) {
    for (int n = 0; n < 2; ++n) {
        systems[n] = sim.AddClassificationSystem(PK::UniString(("Clauses " + std::to_string(n + 1)).c_str()));
        for (const char* id : {"A10", "B20", "C30"}) sim.AddClassificationItem(systems[n], id);
    }
    plan->GenerateNew();
}

std::shared_ptr<Model::ConnectionWithSpecification> SoloProject::Connect(int n) {
    const std::string id = "spec-" + std::to_string(n);
    return factory.Cmd_Connect(systems[n - 1], PK::UniString(id.c_str()), "Spec", "project-1", "Project One");
}

bool SoloProject::AddClause(Model::ConnectionWithSpecification& connection, const std::string& clauseId,
                            const std::string& code) {
    return connection.CallUndoableCmd("Add a clause", [&] {
        connection.GetOrCreateVirtualType(PK::UniString(clauseId.c_str()), Clause(clauseId, code));
    });
}

void SoloProject::AddIssue(Model::ConnectionWithSpecification& connection, const std::string& hint) {
    connection.CallUndoableCmd("Add an issue", [&] {
        connection.AddIssue(std::make_shared<Model::Issue::UnknownError>(PK::UniString(hint.c_str())));
    });
}

std::vector<char> SoloProject::Bytes(const Model::ConnectionWithSpecification& connection, PK::UInt16 platformSign) {
    IO::MemoryOChannel32 oc;
    if (platformSign != IO::PlatformSignLittleEndian) IO::SetPlatformOProtocol(oc, platformSign);
    if (connection.Write(oc) != PK::NoError) throw std::runtime_error("connection record not written");
    return std::vector<char>(oc.GetDestination(), oc.GetDestination() + oc.GetDataSize());
}

void SoloProject::Store(const std::string& modulDataName, const std::vector<char>& bytes) {
    sim.StoreModulData(PK::UniString(modulDataName.c_str()), {1, IO::PlatformSignLittleEndian, bytes});
}

std::vector<char> SoloProject::Stored(const std::string& modulDataName) const {
    const TVSim::ModulData* data = sim.GetModulData(PK::UniString(modulDataName.c_str()));
    return data != nullptr && data->bytes ? *data->bytes : std::vector<char>();
}

Record::Record(const std::vector<char>& bytes, PK::UInt16 platformSign) {
    _data.dataVersion = 1;
    _data.platformSign = platformSign;
    BMPtrToHandle(bytes.data(), &_data.dataHdl, static_cast<PK::Int32>(bytes.size()));
}

Record::Record() = default;

Record::~Record() { BMKillHandle(&_data.dataHdl); }

std::vector<char> Record::BytesHeld() const {
    if (_data.dataHdl == nullptr) return {};
    return std::vector<char>(*_data.dataHdl, *_data.dataHdl + BMGetHandleSize(_data.dataHdl));
}

}  // namespace TeamTest
