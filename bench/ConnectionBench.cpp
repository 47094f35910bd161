// A connection at scale, each case against a floor measured in the same run.
//
// Rebuilding the unassociated-elements cache over 10,000 and 100,000
// elements, labelled with its growth, and counted against:
// - xHost: the simulated host listing the same elements with what the cache
//   must learn of each (header, the usability filters, the clause-id value),
//   straight through the host API into per-type sets (goal: at most 2);
// - xList: the bare listing of the elements of each type (the host's part
//   that no per-element work can beat; for scale only).
// hostX10 is how the host's part grows from 10k to 100k; the rebuild may grow
// at most a fifth faster.
//
// The memory the add-on's caches hold for a project of 100,000 elements, all
// of them without a clause and all selected: the unassociated-elements cache
// and the selection cache, in bytes per element as the allocator counts them
// (goal: at most 128 each, and together).
//
// Loading a connection with 1,000 virtual types and 10,000 issues from its
// module data, counted against:
// - xDecode: fetching the same module data and reading every value of it off
//   a channel in the stored layout, into nothing (goal: at most 2);
// - xBytes: fetching it and copying its bytes out of a channel in one piece.
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <malloc.h>
#include <spdlog/spdlog.h>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Batch.hpp"
#include "Goals.hpp"
#include "HostQuestions.hpp"
#include "IO/MemoryChannel.hpp"
#include "Model/ClassificationSystem.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Issue/Collection.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "Model/PlanData.hpp"
#include "Model/SelectionCache.hpp"
#include "Model/TessaryPtr.hpp"
#include "PK/Memory.hpp"
#include "TVSim/Sim.hpp"
#include "Torvel/Api/ModulDataWrapper.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/StoredRecords.hpp"

namespace {

using namespace TessaryConnect;
using Model::ConnectionWithSpecification;

using Bench::FastestSeconds;

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
    return Bench::HostRebuildAnswers(floorPlanFilter, scene.clauseIdDefinition, "clause-a");
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

    double rebuild = 1e300, host = 1e300, listing = 1e300;
    for (int round = 0; round < 3; ++round) {
        rebuild = std::min(rebuild, FastestSeconds(2, [&] { cache.Reset(false); }));
        host = std::min(host, FastestSeconds(2, [&] { benchmark::DoNotOptimize(HostListing(scene)); }));
        listing = std::min(listing, FastestSeconds(2, [&] { benchmark::DoNotOptimize(BareListing()); }));
    }
    state.counters["xHost"] = rebuild / host;
    state.counters["xList"] = rebuild / listing;
    state.counters["held"] = static_cast<double>(held);
    const std::string size = fmt::format("{}k elements", state.range(0) / 1000);
    Bench::Report("unassociated-elements rebuild, " + size, "host listing with the same questions", 2.0,
                  rebuild / host);
    // How the host's own part grows, to read the rebuild's growth against.
    static std::map<PK::Int64, std::pair<double, double>> bySize;
    bySize[state.range(0)] = {rebuild, host};
    if (auto tenth = bySize.find(state.range(0) / 10); tenth != bySize.end()) {
        const double hostGrowth = host / tenth->second.second;
        state.counters["hostX10"] = hostGrowth;
        Bench::Report(fmt::format("unassociated-elements rebuild, growth {}k to {}", tenth->first / 1000, size),
                      "host listing's own growth", 1.2, rebuild / tenth->second.first / hostGrowth);
    }
}
BENCHMARK(BM_UnassociatedElementsRebuild)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseManualTime();

// ---- memory ----

// Bytes the allocator has handed out and not yet taken back, mapped blocks included.
double HeapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
}

void BM_CacheMemory(benchmark::State& state) {
    const PK::Int64 n = state.range(0);
    Scene scene;
    PK::Array<API_Guid> all;
    for (PK::Int64 i = 0; i < n; ++i) all.Push(scene.sim->AddElement(elementTypes[i % 5]));
    scene.sim->SetSelection(all);
    Model::UnassociatedElementsCache& cache = scene.connection->UnassociatedElementsCache();
    double unassociated = 0.0, selection = 0.0;
    for (auto _ : state) {
        // The cache holds nothing yet: what the heap gains is what it holds now.
        const double before = HeapBytes();
        cache.Reset(false);
        unassociated = HeapBytes() - before;
        PK::USize held = 0;
        for (const auto& [type, count] : cache.GetTypes()) held += count;
        if (held != static_cast<PK::USize>(n)) throw std::runtime_error("the cache does not hold every element");

        Model::SelectionCache selected;
        const double empty = HeapBytes();
        selected.Update(*scene.tv);
        selection = HeapBytes() - empty;
        if (selected.GetElements().GetSize() != static_cast<PK::USize>(n))
            throw std::runtime_error("the selection cache does not hold every element");
    }
    state.counters["unassociatedBytesPerElement"] = unassociated / static_cast<double>(n);
    state.counters["selectionBytesPerElement"] = selection / static_cast<double>(n);
    const std::string size = fmt::format("{}k elements", n / 1000);
    Bench::Report("memory of the unassociated-elements cache, " + size, "(bytes per element)", 128,
                  unassociated / static_cast<double>(n), " B");
    Bench::Report("memory of the selection cache, " + size, "(bytes per element)", 128,
                  selection / static_cast<double>(n), " B");
    Bench::Report("memory of both caches, " + size, "(bytes per element)", 128,
                  (unassociated + selection) / static_cast<double>(n), " B");
}
BENCHMARK(BM_CacheMemory)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

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
    {
        Bench::Batch batch(state, "LoadConnection");
        for (auto _ : state) {
            std::shared_ptr<ConnectionWithSpecification> loaded;
            batch.Time([&] { loaded = load(); });
            if (!loaded->HasVirtualType("clause-999")) throw std::runtime_error("not loaded");
        }
    }
    // Each load timed on its own, the connection freed between them, in turn
    // with the decoding, so that both sides get as many tries in the same
    // conditions.
    double loading = 1e300, decoding = 1e300;
    for (int run = 0; run < 20; ++run) {
        std::shared_ptr<ConnectionWithSpecification> loaded;
        loading = std::min(loading, FastestSeconds(1, [&] { loaded = load(); }));
        loaded.reset();
        decoding =
            std::min(decoding, FastestSeconds(1, [&] {
                         API_ModulData data = Fetch();
                         IO::MemoryIChannel32 ic(*data.dataHdl, static_cast<PK::USize>(BMGetHandleSize(data.dataHdl)));
                         Decoder(ic).Connection();
                         BMKillHandle(&data.dataHdl);
                     }));
    }
    std::vector<char> copy(bytes.size());
    const double copying = FastestSeconds(5, [&] {
        API_ModulData data = Fetch();
        IO::MemoryIChannel32 ic(*data.dataHdl, static_cast<PK::USize>(BMGetHandleSize(data.dataHdl)));
        ic.ReadBin(copy.data(), copy.size());
        benchmark::DoNotOptimize(copy.data());
        BMKillHandle(&data.dataHdl);
    });
    state.counters["xDecode"] = loading / decoding;
    state.counters["xBytes"] = loading / copying;
    state.counters["bytes"] = static_cast<double>(bytes.size());
    Bench::Report("loading a connection, 1k virtual types and 10k issues", "decoding the same bytes", 2.0,
                  loading / decoding);
}
// The argument is the number of issues.
BENCHMARK(BM_LoadConnection)->Arg(10000)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
