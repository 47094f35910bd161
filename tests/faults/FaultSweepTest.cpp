// Six things a user does, each run once for every host call it makes, with that call answering a host error: the
// host catches nothing, no memory block is lost, the stored records still read back, what was stored before is kept
// (but what the action itself changes) and the user hears of the failure (FaultSweep.hpp).
#include <gtest/gtest.h>

#include <algorithm>

#include "faults/FaultSweep.hpp"
#include "support/Team.hpp"

using namespace TestSupport;
using namespace TestSupport::Sweep;

namespace {

template <typename Action, typename Outcome>
struct PaletteAction : PaletteStage {
    PaletteAction(Action action, Outcome outcome) : action(std::move(action)), outcome(std::move(outcome)) {}
    void Act() override { action(*this); }
    bool Done() override { return outcome(*this); }
    Action action;
    Outcome outcome;
};

// The user's action on the palette's stage once the setup made it ready, and what it does when nothing fails.
template <typename Setup, typename Action, typename Outcome>
Scenario OnPalette(Setup setup, Action action, Outcome outcome) {
    return {[=] {
        auto stage = std::make_unique<PaletteAction<Action, Outcome>>(action, outcome);
        setup(*stage);
        return std::unique_ptr<Stage>(std::move(stage));
    }};
}

ConnectionPtr Spec1(PaletteStage& s) { return s.addOn->manager->GetConnection("spec-1"); }

std::size_t ElementsOf(PaletteStage& s, const char* clauseId) {
    const ConnectionPtr connection = Spec1(s);
    return connection != nullptr && connection->HasVirtualType(clauseId)
               ? connection->GetAssociatedElements(clauseId).GetSize()
               : 0;
}

// The page asks to connect spec-1 and the user picks the system in the palette's dialog; spec-2 is connected already.
const Scenario connecting = OnPalette([](PaletteStage&) {}, [](PaletteStage& s) { s.RequestConnection(); },
                                      [](PaletteStage& s) { return Spec1(s) != nullptr; });

// The selection holds a free wall and slab, a locked wall and a column of another clause.
const Scenario associating = OnPalette(
    [](PaletteStage& s) {
        s.ConnectSpec(1);
        const API_Guid column = s.sim.AddElement(API_ColumnID);
        s.Associate(1, "clause-b", "B20", {column});
        s.Select({s.sim.AddElement(API_WallID), s.sim.AddElement(API_SlabID),
                  s.sim.AddElement(API_WallID, {.locked = true}), column});
        s.changing = {PaletteStage::RecordName(1)};
    },
    [](PaletteStage& s) { s.Associate(1, "clause-a", "A10"); },
    [](PaletteStage& s) { return ElementsOf(s, "clause-a") == 3 && Spec1(s)->IssueCollection().Get().GetSize() == 1; });

// The clause's title changes in the web application; its wall and slab take the new value.
const Scenario updating = OnPalette(
    [](PaletteStage& s) {
        s.ConnectSpec(1);
        s.Associate(1, "clause-a", "A10", {s.sim.AddElement(API_WallID), s.sim.AddElement(API_SlabID)});
        s.changing = {PaletteStage::RecordName(1)};
    },
    [](PaletteStage& s) {
        s.Page(
            "var values = JSON.parse(clause('clause-a', 'A10')); values.OrvoTessaryTitle = 'New title';"
            "ask('updateProperties', '" +
            Text(s.addOn->manager->PlanId()) + "', '', JSON.stringify({'clause-a': values}));");
    },
    [](PaletteStage& s) {
        const ConnectionPtr connection = Spec1(s);
        const API_Guid title = connection->PropertyGroup().GetPropertyGuid(Api::Properties::Name::Title);
        const auto elements = connection->GetAssociatedElements("clause-a");
        return elements.GetSize() == 2 && std::all_of(elements.begin(), elements.end(), [&](const PK::Guid& e) {
                   return s.sim.GetPropertyText(e, title) == "New title";
               });
    });

// The web application takes spec-1's association away, then the user connects it again.
const Scenario reconnecting = OnPalette(
    [](PaletteStage& s) {
        s.ConnectSpec(1);
        s.Associate(1, "clause-a", "A10", {s.sim.AddElement(API_WallID)});
        s.changing = s.erasable = {PaletteStage::RecordName(1)};
    },
    [](PaletteStage& s) {
        s.Page("ask('removeSpecAssociationRequested', 'project-1', 'spec-1', '" + Text(s.addOn->manager->PlanId()) +
               "')");
        s.RequestConnection();
    },
    [](PaletteStage& s) { return Spec1(s) != nullptr && !Spec1(s)->HasVirtualType("clause-a"); });

// Member B, with an issue of its own not sent yet, receives member A's new clause and issue of the same connection.
struct Receiving : TeamStage {
    void Act() override { Receive(); }
    bool Done() override {
        return Summary().at("spec-1") == ConnectionSummary{{"clause-a", "clause-c"}, {"issue of A", "issue of B"}};
    }
};
const Scenario receiving{[] { return std::unique_ptr<Stage>(std::make_unique<Receiving>()); }};

// The user undoes the association of a slab with clause-b in the host, then associates it with clause-a.
const Scenario undoing = OnPalette(
    [](PaletteStage& s) {
        s.ConnectSpec(1);
        const API_Guid wall = s.sim.AddElement(API_WallID);
        s.Associate(1, "clause-a", "A10", {wall});
        s.Associate(1, "clause-b", "B20", {s.sim.AddElement(API_SlabID)});
        s.bystanders.push_back(wall);
        s.changing = {PaletteStage::RecordName(1)};
    },
    [](PaletteStage& s) {
        if (s.sim.Undo() != NoError) throw std::runtime_error("the host did not undo");
        s.Associate(1, "clause-a", "A10");
    },
    [](PaletteStage& s) { return ElementsOf(s, "clause-a") == 2 && !Spec1(s)->HasVirtualType("clause-b"); });

struct FaultSweep : testing::TestWithParam<std::size_t> {};

std::string Named(const testing::TestParamInfo<std::size_t>& info) { return StretchName(info.param); }

}  // namespace

#define TC_SWEEP(Suite, scenario)                                                      \
    struct Suite : FaultSweep {};                                                      \
    TEST_P(Suite, KeepsTheDataAndTellsTheUser) { SweepStretch(scenario, GetParam()); } \
    INSTANTIATE_TEST_SUITE_P(EachHostCallFailing, Suite, testing::ValuesIn(StretchesOf(scenario)), Named)

TC_SWEEP(ConnectingASpecification, connecting);
TC_SWEEP(AssociatingAMixedSelection, associating);
TC_SWEEP(UpdatingPropertyValues, updating);
TC_SWEEP(DisconnectingAndReconnecting, reconnecting);
TC_SWEEP(ReceivingAndMergingAMembersChanges, receiving);
TC_SWEEP(UndoingAStepAndActingAgain, undoing);
