#include "harness/Scene.hpp"

#include <spdlog/sinks/null_sink.h>

#include <algorithm>
#include <exception>

#include "DG/JSArray.hpp"
#include "DG/JSValue.hpp"
#include "Model/Issue/BaseWithText.hpp"
#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"
#include "Model/Issue/ElementsAssociation.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "Model/Issue/UpdateElementsProperties.hpp"
#include "PK/Memory.hpp"
#include "PK/Time.hpp"
#include "TVSim/Web.hpp"
#include "Tessary/Implementation/PageCalls.hpp"

namespace Fuzz {

namespace {

TVSim::Project& FreshProject() {
    QuietLogs();
    PK::MainMessageLoop::Clear();
    TVSim::Reset();
    TVSim::Web::Reset();
    TVSim::Journal::SetEnabled(false);
    TVSim::SeedGuids(1);
    PK::Clock::Set(1700000000);
    return TVSim::OpenProject();
}

std::shared_ptr<Api::Torvel> Host() { return std::make_shared<Implementation::Torvel>(); }

}  // namespace

void QuietLogs() {
    [[maybe_unused]] static const bool done = [] {
        auto logger = std::make_shared<spdlog::logger>("fuzz", std::make_shared<spdlog::sinks::null_sink_mt>());
        logger->set_level(spdlog::level::trace);
        spdlog::set_default_logger(std::move(logger));
        return true;
    }();
}

void Require(bool condition, const std::string& what) {
    if (!condition) throw Broken(what);
}

void AsHostEntry(const char* entry, const std::function<void()>& body) {
    try {
        body();
    } catch (const Broken&) {
        throw;
    } catch (const std::exception& e) {
        throw Broken(std::string("an exception left ") + entry + ": " + e.what());
    } catch (...) {
        throw Broken(std::string("an exception of no standard type left ") + entry);
    }
}

std::uint8_t Reader::Byte() {
    if (_rest.empty()) return 0;
    const std::uint8_t byte = _rest.front();
    _rest = _rest.subspan(1);
    return byte;
}

std::uint16_t Reader::UInt16() {
    const std::uint16_t low = Byte();
    return static_cast<std::uint16_t>(low | (Byte() << 8));
}

Input Reader::Piece() {
    const std::size_t size = std::min<std::size_t>(UInt16(), _rest.size());
    const Input piece = _rest.first(size);
    _rest = _rest.subspan(size);
    return piece;
}

Bytes Piece(const Bytes& bytes) {
    const auto size = static_cast<std::uint16_t>(std::min<std::size_t>(bytes.size(), 0xFFFF));
    Bytes out{static_cast<std::uint8_t>(size & 0xFF), static_cast<std::uint8_t>(size >> 8)};
    out.insert(out.end(), bytes.begin(), bytes.begin() + size);
    return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes BytesOf(const std::vector<char>& chars) { return Bytes(chars.begin(), chars.end()); }
std::vector<char> CharsOf(Input bytes) { return std::vector<char>(bytes.begin(), bytes.end()); }

PK::UniString Utf8Text(Input bytes) {
    return PK::UniString::FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

PK::UniString Utf16Text(Input bytes) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        units += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    return PK::UniString(std::move(units));
}

Bytes Utf16Bytes(const PK::UniString& text) {
    Bytes out;
    for (char16_t unit : text.ToUStr()) {
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return out;
}

DG::JSRef StringsArgument(const std::vector<PK::UniString>& strings) {
    auto array = PK::NewRef<DG::JSArray>();
    for (const PK::UniString& text : strings) array->AddItem(DG::JSRef(PK::NewRef<DG::JSValue>(text)));
    return DG::JSRef(array);
}

Scene::Scene()
    : sim(FreshProject()),
      systems(TestSupport::AddClauseSystems(sim)),
      _liveHandles(PK::MemoryDebug::GetLiveHandleCount()),
      _invalidFrees(PK::MemoryDebug::GetInvalidFreeCount()) {}

void Scene::VerifyHost() const {
    const auto& escaped = TVSim::Events::GetEscapedExceptions();
    Require(escaped.empty(), "an exception escaped into the host: " + (escaped.empty() ? "" : escaped.front()));
    const auto& escapedWeb = TVSim::Web::GetEscapedExceptions();
    Require(escapedWeb.empty(),
            "an exception escaped into the browser control: " + (escapedWeb.empty() ? "" : escapedWeb.front()));
    Require(PK::MemoryDebug::GetLiveHandleCount() == _liveHandles, "host memory blocks leaked");
    Require(PK::MemoryDebug::GetInvalidFreeCount() == _invalidFrees, "a host memory block was freed twice");
}

StoredEntries EntriesOf(const TVSim::Project& sim) {
    StoredEntries entries;
    for (const PK::UniString& name : sim.GetModulDataNames()) {
        const TVSim::ModulData& data = *sim.GetModulData(name);
        entries[name.ToCStr()] = {data.dataVersion, data.platformSign, data.bytes};
    }
    return entries;
}

ConnectionPtr ReadConnection(const TVSim::ModulData& entry) {
    Api::ModulDataWrapper record;
    record.GetPtr()->dataVersion = entry.dataVersion;
    record.GetPtr()->platformSign = entry.platformSign;
    if (entry.bytes && BMPtrToHandle(entry.bytes->data(), &record.GetPtr()->dataHdl,
                                     static_cast<PK::Int32>(entry.bytes->size())) != PK::NoError)
        throw std::bad_alloc();
    const std::shared_ptr<Api::Torvel> tv = Host();
    auto connection = std::make_shared<Model::ConnectionWithSpecification>(tv, std::make_shared<Model::TessaryPtr>(),
                                                                           std::make_shared<Model::PlanData>(tv));
    try {
        return connection->ReadStored(record) ? connection : nullptr;
    } catch (...) {
        return nullptr;
    }
}

void RequireStableRecord(const Model::ConnectionWithSpecification& connection) {
    AsHostEntry("writing a connection's record", [&] {
        const std::vector<char> first = TestSupport::RecordOf(connection);
        const ConnectionPtr again = ReadConnection({1, IO::PlatformSignLittleEndian, first});
        Require(again != nullptr, "the add-on cannot read a record it wrote");
        Require(TestSupport::RecordOf(*again) == first, "a record read back writes other bytes");
    });
}

void UseStoredConnection(const TVSim::ModulData& record,
                         const std::function<void(TestSupport::AddOn&, const ConnectionPtr&)>& use) {
    Scene scene;
    TestSupport::StoredConnection sound;
    sound.specId = "spec-2";
    sound.system = scene.systems[1];
    TestSupport::StoreBytes(scene.sim, sound.specId, sound.Bytes());
    const PK::UniString name = TestSupport::ModulDataName("spec-1");
    scene.sim.StoreModulData(name, record);
    // Views that stored view records may name.
    scene.sim.SetStories(-1, {"Basement", "Ground Floor", "First Floor"});
    scene.sim.AddWindow(APIWind_SectionID, 1, "Section A");
    scene.sim.AddWindow(APIWind_WorksheetID, 2, "Worksheet 2");
    const StoredEntries before = EntriesOf(scene.sim);
    {
        std::unique_ptr<TestSupport::AddOn> addOn;
        ConnectionPtr connection;
        AsHostEntry("the add-on's start", [&] { addOn = std::make_unique<TestSupport::AddOn>(); });
        AsHostEntry("reading the connections", [&] {
            Model::Manager& manager = *addOn->manager;
            bool soundListed = false;
            for (const ConnectionPtr& listed : manager.GetConnections()) {
                soundListed = soundListed || listed->TessarySpecificationId() == sound.specId;
                for (const auto& issue : listed->GetIssuesWithText()) (void)issue.GetText(), (void)issue.IsFixable();
            }
            Require(soundListed, "a connection that cannot be read hides another");
            connection = manager.GetConnection("spec-1");
            manager.UpdateTessaryStates();
        });
        Require(EntriesOf(scene.sim) == before, "reading changed what is stored");
        if (use) AsHostEntry("using the connection", [&] { use(*addOn, connection); });

        Implementation::PageCalls::SpecOpened(*addOn->page,
                                              StringsArgument({"project-1", "spec-1", "Project Two", "Spec Two"}));
        PK::MainMessageLoop::RunPending();
        if (connection == nullptr) {
            Require(EntriesOf(scene.sim) == before, "a record the add-on could not read was written over");
        } else {
            const TVSim::ModulData* stored = scene.sim.GetModulData(name);
            Require(stored != nullptr, "a connection that was read lost its record");
            const ConnectionPtr again = ReadConnection(*stored);
            Require(again != nullptr, "a connection that was read was stored unreadable");
            RequireStableRecord(*again);
        }
    }
    scene.VerifyHost();
}

PK::Array<API_Guid> ConnectAndAssociate(Scene& scene, TestSupport::AddOn& addOn) {
    addOn.manager->ConnectWithSpecification(scene.systems[0], "spec-1", "Spec One", "project-1", "Project One");
    const PK::Array<API_Guid> elements = {scene.sim.AddElement(API_WallID), scene.sim.AddElement(API_WallID),
                                          scene.sim.AddElement(API_WallID, {.locked = true}),
                                          scene.sim.AddElement(API_SlabID)};
    const auto associate = [&](PK::Array<API_Guid> selection, const char* clauseId, const char* code) {
        scene.sim.SetSelection(selection);
        TestSupport::Deliver();
        addOn.page->Model().Handle_associationRequested(clauseId, "spec-1", clauseId,
                                                        TestSupport::Clause(clauseId, code, "Walls \"outer\""));
        TestSupport::Deliver();
    };
    associate({elements[0], elements[1], elements[2]}, "clause-1", "A10");
    associate({elements[3]}, "clause-2", "B21");
    return elements;
}

std::vector<std::vector<char>> WrittenConnections() {
    using namespace Model::Issue;
    Scene scene;
    std::vector<std::vector<char>> records;
    TestSupport::AddOn addOn;
    const auto keep = [&] { records.push_back(TestSupport::StoredIn(scene.sim, "spec-1")); };
    const PK::Array<API_Guid> elements = ConnectAndAssociate(scene, addOn);
    keep();

    const ConnectionPtr connection = addOn.manager->GetConnection("spec-1");
    const Api::WindowId floorPlan(Api::DatabaseId(APIWind_FloorPlanID, 1, PK::Guid()), 0, false);
    connection->AddIssue(std::make_shared<CoudntUpdateProjectOrSpecTitle>("Spec Two", "Project Two"));
    connection->AddIssue(std::make_shared<MissingClassificationItem>(TestSupport::Clause("clause-3", "Z99")));
    connection->AddIssue(std::make_shared<UnknownError>("a hint"));
    connection->AddIssue(std::make_shared<UpdateElementsProperties>(
        UpdateElementsProperties::Type::OnLockedLayer, "clause-2", PK::Array<PK::Guid>{elements[3]}, floorPlan));
    const auto removed = std::make_shared<UnknownError>("removed");
    connection->AddIssue(removed);
    connection->RemoveIssue(removed);
    keep();

    connection->MarkAsDisconnected();
    keep();
    return records;
}

}  // namespace Fuzz
