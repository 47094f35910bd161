// A connection at scale, each case against a floor measured in the same run.
//
// Rebuilding the unassociated-elements cache over 10,000 and 100,000
// elements, labelled with its growth, and counted against:
// - xHost: the simulated host listing the same elements with what the cache
//   must learn of each (header, the usability filters, the clause-id value),
//   straight through the host API into per-type sets (goal: at most 2);
// - xList: the bare listing of the elements of each type (the host's part
//   that no per-element work can beat; for scale only).
//
// Loading a connection with 1,000 virtual types and 10,000 issues from its
// module data, counted against:
// - xDecode: fetching the same module data and reading every value of it off
//   a channel in the stored layout, into nothing (goal: at most 3);
// - xBytes: fetching it and copying its bytes out of a channel in one piece.
#include <benchmark/benchmark.h>
#include <spdlog/spdlog.h>

#include <chrono>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Batch.hpp"
#include "IO/MemoryChannel.hpp"
#include "Model/ClassificationSystem.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Issue/Collection.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "Model/PlanData.hpp"
#include "Model/TessaryPtr.hpp"
#include "PK/Memory.hpp"
#include "TVSim/Sim.hpp"
#include "Torvel/Api/ModulDataWrapper.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/StoredRecords.hpp"

namespace {

using namespace TessaryConnect;
using Model::ConnectionWithSpecification;
using Seconds = std::chrono::duration<double>;

template <typename Work>
double MeanSeconds(int runs, Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    for (int run = 0; run < runs; ++run) work();
    return Seconds(std::chrono::steady_clock::now() - start).count() / runs;
}

// A project whose connection has the clause "clause-a" (A10), with the
// journal and the notification queue off, as a host would have neither.
struct Scene {
    Scene() {
        spdlog::set_level(spdlog::level::err);  // the log lines of a thousand steps would drown the figures
        TVSim::Reset();
        TVSim::Journal::SetEnabled(false);
        TVSim::Events::SetAutoDelivery(false);
        TVSim::SeedGuids(7);
        sim = &TVSim::OpenProject();
        system = sim->AddClassificationSystem("Clauses");
        item = sim->AddClassificationItem(system, "A10");
        plan->GenerateNew();
        tv->CallUndoableCommand("Connect", Api::Torvel::Command([&] {
                                    connection = std::make_shared<ConnectionWithSpecification>(
                                        tv, tessary, plan, system, "spec-1", "Spec", "project-1", "Project");
                                }));
        if (connection == nullptr) throw std::runtime_error("no connection");
        group = sim->GetPropertyGroups().GetFirst();
        for (const API_Guid& guid : sim->GetPropertyGroup(group).definitions)
            definitions.Add(sim->GetPropertyDefinition(guid).definition.name, guid);
        clauseIdDefinition = definitions.Get("OrvoTessaryClauseId");
    }

    TestSupport::StoredConnection Record() const {
        TestSupport::StoredConnection record;
        record.system = system;
        record.group = group;
        record.definitions = definitions;
        return record;
    }

    void Load(ConnectionWithSpecification& into) const {
        Api::ModulDataWrapper data;
        if (!tv->ModulData_Get(into.GetModulDataNameForSpecId("spec-1"), *data.GetPtr()))
            throw std::runtime_error("no module data");
        data.FillObject(into);
    }

    TVSim::Project* sim = nullptr;
    API_Guid system, item, group, clauseIdDefinition;
    PK::HashTable<PK::UniString, API_Guid> definitions;
    std::shared_ptr<Api::Torvel> tv = std::make_shared<Implementation::Torvel>();
    std::shared_ptr<Model::TessaryPtr> tessary = std::make_shared<Model::TessaryPtr>();
    std::shared_ptr<Model::PlanData> plan = std::make_shared<Model::PlanData>(tv);
    std::shared_ptr<ConnectionWithSpecification> connection;
};

// ---- the cache rebuild ----

constexpr API_ElemTypeID elementTypes[] = {API_WallID, API_SlabID, API_ColumnID, API_BeamID, API_ZoneID};
constexpr PK::UInt32 floorPlanFilter =
    APIFilt_OnVisLayer | APIFilt_OnActFloor | APIFilt_VisibleByPhase | APIFilt_InStructureView;

// N elements of five kinds; one in ten on a locked layer, one in five associated with the clause.
void AddElements(Scene& scene, PK::Int64 n) {
    TestSupport::StoredConnection record = scene.Record();
    record.virtualTypes.push_back({"A10", scene.item, "clause-a", {}, {}});
    record.virtualTypes.back().properties.Add(Api::Properties::Name::Code, "A10");
    record.StoreInto(*scene.sim);
    scene.Load(*scene.connection);
    const PK::Int32 locked = scene.sim->AddLayer("Locked", {.locked = true});
    for (PK::Int64 i = 0; i < n; ++i) {
        const API_Guid element = scene.sim->AddElement(elementTypes[i % 5], {.layer = i % 10 == 3 ? locked : 1});
        if (i % 5 != 1) continue;
        scene.sim->Classify(element, scene.item);
        scene.sim->SetPropertyText(element, scene.clauseIdDefinition, "clause-a");
    }
}

// What the cache asks of the host for each element, asked directly, with the same result.
PK::USize HostListing(const Scene& scene) {
    PK::HashTable<API_ElemTypeID, PK::HashSet<PK::Guid>> table;
    Model::Element::EnumerateIncludedMainTypes([&](API_ElemTypeID type) {
        PK::Array<API_Guid> listed;
        if (TVAPI_Element_GetElemList(type, &listed, floorPlanFilter) != NoError) return;
        const PK::Array<API_Guid> definition{scene.clauseIdDefinition};
        for (const API_Guid& guid : listed) {
            API_Elem_Head head;
            head.guid = guid;
            if (TVAPI_Element_GetHeader(&head) != NoError) continue;
            if (!TVAPI_Element_Filter(guid, APIFilt_None) || !TVAPI_Element_Filter(guid, APIFilt_OnVisLayer)) continue;
            if (!TVAPI_Element_Filter(guid, APIFilt_IsEditable)) TVAPI_Element_Filter(guid, APIFilt_InMyWorkspace);
            if (TVAPI_Element_IsPropertyDefinitionAvailable(guid, scene.clauseIdDefinition)) {
                PK::Array<API_Property> values;
                TVAPI_Element_GetPropertyValuesByGuid(guid, definition, values);
                if (!values[0].isDefault && values[0].value.singleVariant.variant.uniStringValue == "clause-a")
                    continue;
            }
            table[head.typeID].Add(guid);
        }
    });
    PK::USize count = 0;
    for (const auto& [type, elements] : table) count += elements.GetSize();
    return count;
}

PK::USize BareListing() {
    PK::USize count = 0;
    Model::Element::EnumerateIncludedMainTypes([&](API_ElemTypeID type) {
        PK::Array<API_Guid> listed;
        TVAPI_Element_GetElemList(type, &listed, floorPlanFilter);
        count += listed.GetSize();
    });
    return count;
}

void BM_UnassociatedElementsRebuild(benchmark::State& state) {
    Scene scene;
    AddElements(scene, state.range(0));
    Model::UnassociatedElementsCache& cache = scene.connection->UnassociatedElementsCache();
    {
        Bench::Batch batch(state, "UnassociatedElementsRebuild");
        for (auto _ : state) batch.Time([&] { cache.Reset(false); });
    }
    PK::USize held = 0;
    for (const auto& [type, count] : cache.GetTypes()) held += count;
    if (held != HostListing(scene)) throw std::runtime_error("the cache and the floor disagree");

    const double rebuild = MeanSeconds(5, [&] { cache.Reset(false); });
    const double host = MeanSeconds(5, [&] { benchmark::DoNotOptimize(HostListing(scene)); });
    const double listing = MeanSeconds(5, [&] { benchmark::DoNotOptimize(BareListing()); });
    state.counters["xHost"] = rebuild / host;
    state.counters["xList"] = rebuild / listing;
    state.counters["held"] = static_cast<double>(held);
    // How the host's own part grows, to read the rebuild's growth against.
    static std::map<PK::Int64, double> hostBySize;
    hostBySize[state.range(0)] = host;
    if (auto tenth = hostBySize.find(state.range(0) / 10); tenth != hostBySize.end())
        state.counters["hostX10"] = host / tenth->second;
}
BENCHMARK(BM_UnassociatedElementsRebuild)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseManualTime();

// ---- loading a connection ----

constexpr int virtualTypeCount = 1000;

std::vector<char> StoreBigConnection(Scene& scene, PK::Int64 issueCount) {
    TestSupport::StoredConnection record = scene.Record();
    for (int i = 0; i < virtualTypeCount; ++i) {
        const std::string clauseId = "clause-" + std::to_string(i);
        TestSupport::StoredConnection::VirtualTypeRecord type{"A10", scene.item, clauseId, {}, {}};
        type.properties.Add(Api::Properties::Name::ClauseId, clauseId);
        type.properties.Add(Api::Properties::Name::Code, "A10");
        type.properties.Add(Api::Properties::Name::Title, "Clause title number " + std::to_string(i));
        type.properties.Add(Api::Properties::Name::Prefix, "Pre");
        type.properties.Add(Api::Properties::Name::Suffix, "Suf");
        if (i % 4 == 0) type.dirty.Push(Api::Properties::Name::Title);
        record.virtualTypes.push_back(std::move(type));
    }
    for (PK::Int64 i = 0; i < issueCount; ++i) {
        if (i % 2 == 0) {
            record.issues.Push(std::make_shared<Model::Issue::UnknownError>("hint " + std::to_string(i)));
        } else {
            Api::Properties clause = record.virtualTypes[static_cast<std::size_t>(i % virtualTypeCount)].properties;
            record.issues.Push(std::make_shared<Model::Issue::MissingClassificationItem>(std::move(clause)));
        }
    }
    record.StoreInto(*scene.sim);
    return record.Bytes();
}

// Reads every value of a stored connection off the channel, keeping none.
class Decoder {
public:
    explicit Decoder(PK::IChannel& ic) : _ic(ic) {}

    void Connection() {
        PK::InputFrame frame(_ic, ConnectionWithSpecification::classInfo);
        _ic.Read(_flag);
        {
            PK::InputFrame system(_ic, Model::ClassificationSystem::classInfo);
            _ic.Read(_guid);
        }
        {
            PK::InputFrame group(_ic, Model::PropertyGroup::classInfo);
            _ic.Read(_guid);
            Table(true);
        }
        for (int i = 0; i < 4; ++i) _ic.Read(_text);
        PK::UInt32 types = 0;
        _ic.Read(types);
        for (PK::UInt32 i = 0; i < types; ++i) {
            PK::InputFrame type(_ic, Model::VirtualType::classInfo);
            _ic.Read(_text);
            _ic.Read(_guid);
            _ic.Read(_text);
            Table(false);
            PK::InputFrame dirty(_ic, PK::arrayClassInfo);
            PK::UInt32 count = 0;
            _ic.Read(count);
            for (PK::UInt32 j = 0; j < count; ++j) _ic.Read(_text);
        }
        Issues();
        if (_ic.GetInputStatus() != PK::NoError) throw std::runtime_error("undecodable");
    }

private:
    void Table(bool guidValues) {
        PK::InputFrame frame(_ic, PK::hashTableClassInfo);
        PK::UInt32 count = 0;
        _ic.Read(count);
        for (PK::UInt32 i = 0; i < count; ++i) {
            _ic.Read(_text);
            if (guidValues)
                _ic.Read(_guid);
            else
                _ic.Read(_text);
        }
    }
    void IssueBase() {
        PK::InputFrame frame(_ic, Model::Issue::Base::classInfo);
        _ic.Read(_guid);
        _ic.Read(_number);
        _ic.Read(_number);
    }
    void Issues() {
        PK::InputFrame frame(_ic, Model::Issue::Collection::classInfo);
        PK::UInt32 count = 0;
        _ic.Read(count);
        for (PK::UInt32 i = 0; i < count; ++i) {
            _ic.Read(_guid);
            if (_guid == Model::Issue::UnknownError::classInfo.GetId()) {
                PK::InputFrame issue(_ic, Model::Issue::UnknownError::classInfo);
                _ic.Read(_text);
                IssueBase();
            } else {
                PK::InputFrame issue(_ic, Model::Issue::MissingClassificationItem::classInfo);
                Table(false);
                IssueBase();
            }
        }
        PK::InputFrame deleted(_ic, PK::hashTableClassInfo);
        _ic.Read(count);
    }

    PK::IChannel& _ic;
    bool _flag = false;
    PK::Guid _guid;
    PK::UniString _text;
    PK::Int32 _number = 0;
};

// The module data as the host hands it out, in a block the caller frees.
API_ModulData Fetch() {
    API_ModulData data;
    if (TVAPI_ModulData_Get(&data, "ConnectionWithSpecification:spec-1") != NoError)
        throw std::runtime_error("no module data");
    return data;
}

void BM_LoadConnection(benchmark::State& state) {
    Scene scene;
    const std::vector<char> bytes = StoreBigConnection(scene, state.range(0));
    auto load = [&] {
        auto loaded = std::make_shared<ConnectionWithSpecification>(scene.tv, scene.tessary, scene.plan);
        scene.Load(*loaded);
        return loaded;
    };
    double loading = 0.0;
    {
        Bench::Batch batch(state, "LoadConnection");
        for (auto _ : state) {
            std::shared_ptr<ConnectionWithSpecification> loaded;
            batch.Time([&] {
                const auto start = std::chrono::steady_clock::now();
                loaded = load();
                loading += Seconds(std::chrono::steady_clock::now() - start).count();
            });
            if (!loaded->HasVirtualType("clause-999")) throw std::runtime_error("not loaded");
        }
    }
    loading /= static_cast<double>(state.iterations());
    const double decoding = MeanSeconds(5, [&] {
        API_ModulData data = Fetch();
        IO::MemoryIChannel32 ic(*data.dataHdl, static_cast<PK::USize>(BMGetHandleSize(data.dataHdl)));
        Decoder(ic).Connection();
        BMKillHandle(&data.dataHdl);
    });
    std::vector<char> copy(bytes.size());
    const double copying = MeanSeconds(5, [&] {
        API_ModulData data = Fetch();
        IO::MemoryIChannel32 ic(*data.dataHdl, static_cast<PK::USize>(BMGetHandleSize(data.dataHdl)));
        ic.ReadBin(copy.data(), copy.size());
        benchmark::DoNotOptimize(copy.data());
        BMKillHandle(&data.dataHdl);
    });
    state.counters["xDecode"] = loading / decoding;
    state.counters["xBytes"] = loading / copying;
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
// The argument is the number of issues.
BENCHMARK(BM_LoadConnection)->Arg(10000)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
