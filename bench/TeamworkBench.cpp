// A team-work exchange over a project of N elements in which one member
// changed 100 of them: that member's send and receive, then the other
// member's receive. It must cost what changed, not what the project holds:
// t(N)/t(N/10) stays near 1, and t/floor (the floor: the member making those
// changes in one command) stays the same at every size.
#include <benchmark/benchmark.h>

#include "Batch.hpp"
#include "PK/Runnable.hpp"
#include "TVSim/Sim.hpp"
#include "TVSim/SimTeamwork.hpp"

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

}  // namespace
