#pragma once
// The fault sweep: a user's action, run once as it is to list the host calls it makes (the simulated host's
// journal), then once for each of those calls with that call answering a host error. After every run the host has
// caught no exception of the add-on, every host memory block is given back, the stored connections (with their
// issues) and the project identity read back, what was stored before the action is there still but for what the
// action itself changes, and the user was told of the failure: an alert, a log line at warning level or above, or a
// row of the issues panel that the run without the fault does not show.
//
// A scenario makes a stage: the project as the user finds it, with the add-on loaded by the simulated host through
// its entry functions and its palette open, and the user's action on it.
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "support/AddOn.hpp"
#include "support/Team.hpp"

namespace TestSupport::Sweep {

class Stage {
public:
    virtual ~Stage() = default;
    // What the user does; every host call it leads to is swept.
    virtual void Act() = 0;
    // Whether the action did what the user asked, when nothing failed: a sweep of an action that does nothing
    // proves nothing.
    virtual bool Done() = 0;

    // Elements the action leaves alone: their classification and property values must stay.
    std::vector<API_Guid> bystanders;
    // Stored connections (by module-data name) that the action may change, and those of them it may take away.
    std::set<std::string> changing;
    std::set<std::string> erasable;
};

struct Scenario {
    std::function<std::unique_ptr<Stage>()> make;
};

// The add-on loaded in the tests' standard project, its palette opened from the menu with the web application's page
// in its browser; the palette's dialog asking for a classification system is answered "Clauses 1". A bystander is
// there from the start: spec-2, connected through "Clauses 2", with its clause-x on a column.
class PaletteStage : public Stage, public AddOnProject {
public:
    PaletteStage();

    // Runs a script in the page (a user's click there), then the host's main loop.
    void Page(const std::string& script);
    // The page asks to associate the host's selection with the clause of spec-<n>; with elements, the user selects
    // them first.
    void Associate(int n, const char* clauseId, const char* code);
    void Associate(int n, const char* clauseId, const char* code, const PK::Array<API_Guid>& elements);
    // The page asks to connect spec-1.
    void RequestConnection();
    void Select(const PK::Array<API_Guid>& elements);
    static std::string RecordName(int n) { return Text(ModulDataName(SpecId(n))); }

    const API_Guid bystander;
};

// Two team members on one shared project: member A connected spec-1 (clause-a) and spec-2, member B received them;
// then A added clause-c and an issue to spec-1 and sent them, while B added an issue of its own that B has not sent.
// B is the current member, with its palette open.
class TeamStage : public Stage, public Team {
public:
    TeamStage();
};

// Each test sweeps one stretch of this many calls of the journal, each call failing in a run of its own. A process
// per call costs the sanitizer build on two cores more than four minutes in process starts and in measuring the
// scenarios again; stretches keep the whole sweep there within a minute and still let CTest spread it over the cores.
inline constexpr std::size_t CallsPerTest = 16;
// A scenario that makes more calls fails: each call costs a run, and the sweep must stay within a minute or two there.
// Make the scenario smaller before raising it.
inline constexpr std::size_t MaxCallsPerScenario = 400;
// The first call of each stretch of the scenario's journal, measured once per process.
std::vector<std::size_t> StretchesOf(const Scenario& scenario);
// "calls_16_to_31".
std::string StretchName(std::size_t first);
// Runs the scenario once for each call of the stretch, with that call answering APIERR_GENERAL, and checks each run.
void SweepStretch(const Scenario& scenario, std::size_t first);

}  // namespace TestSupport::Sweep
