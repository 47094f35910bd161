#include "SoloProject.hpp"

#include <stdexcept>

#include "IO/MemoryChannel.hpp"

namespace TeamTest {

FreshProject::FreshProject() : sim((TVSim::Reset(), TVSim::OpenProject())), systems(AddClassificationSystems(sim, 2)) {}

SoloProject::SoloProject() : AddOn(0) {}

ConnectionPtr SoloProject::Connect(int n) {
    const std::string id = "spec-" + std::to_string(n);
    return factory.Cmd_Connect(systems[static_cast<std::size_t>(n - 1)], PK::UniString(id.c_str()), "Spec", "project-1",
                               "Project One");
}

ConnectionPtr SoloProject::Read(const std::vector<char>& bytes) {
    auto connection = std::make_shared<Model::ConnectionWithSpecification>(tv, tessary, plan);
    IO::MemoryIChannel32 channel(bytes.data(), bytes.size());
    if (connection->Read(channel) != PK::NoError) throw std::runtime_error("connection record not read");
    return connection;
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
