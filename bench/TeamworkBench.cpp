// A team-work exchange over a project of N elements in which one member
// changed 100 of them: that member's send and receive, then the other
// member's receive. The host's part must cost what changed, not what the
// project holds: t(N)/t(N/10) stays near 1, and t/floor (the floor: the
// member making those changes in one command) stays the same at every size.
// Then the same with the add-on on both machines, against the host's part.
#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <spdlog/spdlog.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "Batch.hpp"
#include "Goals.hpp"
#include "HostQuestions.hpp"
#include "IO/MemoryChannel.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Element.hpp"
#include "PK/Memory.hpp"
#include "PK/Runnable.hpp"
#include "TVSim/Sim.hpp"
#include "TVSim/SimTeamwork.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/HostCalls.hpp"
#include "support/Team.hpp"

namespace {

constexpr PK::USize kChanged = 100;

void BM_ExchangeOfAHundredChanges(benchmark::State& state) {
    const auto n = static_cast<PK::USize>(state.range(0));
    TVSim::Reset();
    TVSim::Journal::SetEnabled(false);
    TVSim::SeedGuids(1);
    TVSim::Project& project = TVSim::OpenProject();
    const API_Guid system = project.AddClassificationSystem("Clauses");
    const API_Guid items[] = {project.AddClassificationItem(system, "A10"),
                              project.AddClassificationItem(system, "B20")};
    std::vector<API_Guid> elements;
    for (PK::USize i = 0; i < n; ++i) elements.push_back(project.AddElement(API_WallID));
    namespace Teamwork = TVSim::Teamwork;
    Teamwork::Share("Member A");
    const Teamwork::Member b = Teamwork::Join("Member B");
    Bench::Batch batch(state, "exchange of a hundred changes");
    PK::USize round = 0;
    for (auto _ : state) {
        const API_Guid& item = items[round % 2];
        batch.TimeFloor([&] {
            TVAPI_CallUndoableCommand("Associate", [&] {
                for (PK::USize i = 0; i < kChanged; ++i)
                    TVAPI_Element_AddClassificationItem(elements[(round * kChanged + i) % n], item);
                return NoError;
            });
        });
        batch.Time([&] {
            Teamwork::SendAndReceive();
            PK::MainMessageLoop::RunPending();
            Teamwork::SwitchTo(b);
            Teamwork::Receive();
            PK::MainMessageLoop::RunPending();
            Teamwork::SwitchTo(0);
        });
        ++round;
    }
    if (Teamwork::ProjectOf(b).GetItemOf(elements[0], system) != items[0]) state.SkipWithError("nothing travelled");
}
BENCHMARK(BM_ExchangeOfAHundredChanges)->Apply(Bench::Sizes)->UseManualTime();

// ---- the add-on's receive ----

// Member B's receive of member A's association of 100 elements with a clause,
// when both changed the connection's record (each filed an issue): the
// host's exchange, the add-on's merge of the two records, and what the
// add-on does once told that changes came in (the connections re-read, the
// unassociated-elements cache rebuilt). Counted against the host's own
// exchange of the same changes, with no add-on: A classifies the elements
// and writes the five clause values into each, both change a module-data
// entry of the same size. Processor time, the fastest of the rounds.
//
// The add-on's part is mostly two rebuilds of the unassociated-elements cache
// over the whole project: the cache rebuilds on every receive, and so does the
// connection once it has re-read its stored record. So the receive is also
// counted against the host's exchange plus the host answering, twice, what a
// rebuild asks of every element, straight through the host API: in B's own
// project, in every other round at the point where B would receive, so that
// the floor meets the project's memory as the add-on does.

// The host's part: two members without add-ons.
double HostExchangeSeconds(PK::USize n, const std::vector<char>& record, int rounds) {
    TVSim::Reset();
    TVSim::Journal::SetEnabled(false);
    TVSim::SeedGuids(3);
    TVSim::Project& a = TVSim::OpenProject();
    const API_Guid system = a.AddClassificationSystem("Clauses");
    const API_Guid item = a.AddClassificationItem(system, "A10");
    const API_Guid group = a.AddPropertyGroup("Clause values");
    PK::Array<API_Property> values;
    for (const PK::UniString& name : TessaryConnect::Api::Properties::Name::AllVisible) {
        const API_Guid definition = a.AddPropertyDefinition(group, name, {item});
        values.Push(TestSupport::TextProperty(a.GetPropertyDefinition(definition).definition, "clause value"));
    }
    std::vector<API_Guid> elements;
    for (PK::USize i = 0; i < n; ++i) elements.push_back(a.AddElement(API_WallID));
    namespace Teamwork = TVSim::Teamwork;
    Teamwork::Share("Member A");
    const Teamwork::Member b = Teamwork::Join("Member B");
    // What an add-on's store would be: its record, changed, written in a command.
    const auto store = [&](char mark) {
        std::vector<char> bytes = record;
        bytes.back() = mark;
        API_ModulData data;
        data.dataVersion = 1;
        data.platformSign = IO::PlatformSignLittleEndian;
        BMPtrToHandle(bytes.data(), &data.dataHdl, static_cast<PK::Int32>(bytes.size()));
        TVAPI_CallCommand("Store", [&] { return TVAPI_ModulData_Store(&data, TestSupport::ModulDataName("spec-1")); });
        BMKillHandle(&data.dataHdl);
    };
    double fastest = 1e300;
    for (int round = 0; round < rounds; ++round) {
        TVAPI_CallUndoableCommand("Associate", [&] {
            for (PK::USize i = 0; i < kChanged; ++i) {
                const API_Guid& element = elements[(static_cast<PK::USize>(round) * kChanged + i) % n];
                TVAPI_Element_AddClassificationItem(element, item);
                TVAPI_Element_SetProperties(element, values);
            }
            return NoError;
        });
        store('a');
        Teamwork::SendAndReceive();
        PK::MainMessageLoop::RunPending();
        Teamwork::SwitchTo(b);
        store('b');
        fastest = std::min(fastest, Bench::FastestSeconds(1, [&] {
                               Teamwork::Receive();
                               PK::MainMessageLoop::RunPending();
                           }));
        Teamwork::SendAndReceive();
        PK::MainMessageLoop::RunPending();
        Teamwork::SwitchTo(0);
        Teamwork::Receive();
        PK::MainMessageLoop::RunPending();
    }
    return fastest;
}

// What a rebuild of the current member's cache of spec-1 asks the host, asked directly.
class RebuildQuestions {
public:
    explicit RebuildQuestions(TestSupport::Team& team)
        : _definition(team.Get(1)->PropertyGroup().GetPropertyGuid(TessaryConnect::Api::Properties::Name::ClauseId)),
          _filter(TessaryConnect::Model::Element::GetVisibilityFilter(
              TessaryConnect::Implementation::Torvel().Database_GetCurrentWindow().typeID)) {}
    PK::USize Ask() const { return Bench::HostRebuildAnswers(_filter, _definition, "clause-a"); }

private:
    API_Guid _definition;
    PK::UInt32 _filter;
};

void BM_AddOnReceiveAndMergeOfAHundredChanges(benchmark::State& state) {
    const auto n = static_cast<PK::USize>(state.range(0));
    spdlog::set_level(spdlog::level::err);  // a line per element would drown the figures
    double receive = 1e300, rebuilds = 1e300;
    std::vector<char> record;
    for (auto _ : state) {
        TestSupport::Team team;
        TVSim::Journal::SetEnabled(false);
        const TestSupport::ConnectionPtr connection = team.Connect(1);
        if (connection == nullptr) throw std::runtime_error("no connection");
        std::vector<API_Guid> elements;
        for (PK::USize i = 0; i < n; ++i) elements.push_back(team.Sim().AddElement(API_WallID));
        team.SyncAll();
        const TessaryConnect::Api::Properties clause = TestSupport::Clause("clause-a", "A10", "Walls");
        for (int round = 0; round < 8; ++round) {
            team.As(0);
            PK::Array<API_Guid> changed;
            for (PK::USize i = 0; i < kChanged; ++i)
                changed.Push(elements[(static_cast<PK::USize>(round) * kChanged + i) % n]);
            team.Get(1)->Cmd_AssociateElementsToVirtualType("clause-a", clause, changed, false);
            TestSupport::AddIssue(*team.Get(1), "A's round " + std::to_string(round));
            team.SendAndReceive();
            team.As(1);
            TestSupport::AddIssue(*team.Get(1), "B's round " + std::to_string(round));
            if (round % 2 == 0) {
                const double seconds = Bench::FastestSeconds(1, [&] { team.Receive(); });
                state.SetIterationTime(seconds);
                receive = std::min(receive, seconds);
            } else {
                const RebuildQuestions questions(team);
                rebuilds = std::min(rebuilds, Bench::FastestSeconds(1, [&] {
                                        for (int rebuild = 0; rebuild < 2; ++rebuild)
                                            benchmark::DoNotOptimize(questions.Ask());
                                    }));
                team.Receive();
            }
            if (team.Sim().GetItemOf(changed[0], team.System(1)).IsNull()) state.SkipWithError("nothing travelled");
            team.SendAndReceive();
            team.As(0);
            team.Receive();
        }
        record = team.Stored(0, 1);
        // The floor's rebuild asks what B's cache asks.
        team.As(1);
        PK::USize held = 0;
        for (const auto& [type, count] : team.Get(1)->UnassociatedElementsCache().GetTypes()) held += count;
        if (held != RebuildQuestions(team).Ask()) throw std::runtime_error("the cache and the floor disagree");
    }
    const double host = HostExchangeSeconds(n, record, 4);
    state.counters["xHost"] = receive / host;
    state.counters["xFloor"] = receive / (host + rebuilds);
    const std::string work = fmt::format("add-on's receive and merge of 100 changes, {}k elements", n / 1000);
    Bench::Report(work, "host's own exchange of the same", 0.0, receive / host);
    // A rebuild alone may take twice the host's answers to it, and so may the two of a receive.
    Bench::Report(work + ", two rebuilds", "host's exchange, and its answers to two rebuilds", 2.0,
                  receive / (host + rebuilds));
}
BENCHMARK(BM_AddOnReceiveAndMergeOfAHundredChanges)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

}  // namespace
