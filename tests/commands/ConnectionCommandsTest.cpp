// The connection's commands as the page, the palette and the issue fixes call
// them: what each changes, which undo step it makes, what its observers hear,
// and what becomes of what goes wrong.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "CommandScene.hpp"
#include "Model/Errors.hpp"
#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "Torvel/Api/Error.hpp"
#include "support/LogCapture.hpp"

using namespace CmdTest;
using Assoc = Model::Issue::ElementsAssociation;
using Title = Model::Issue::CoudntUpdateProjectOrSpecTitle;
using Events = std::vector<std::string>;

namespace {

const char* unknownError = "Model::Issue::UnknownError";
const char* missingItem = "Model::Issue::MissingClassificationItem";
const char* titleIssue = "Model::Issue::CoudntUpdateProjectOrSpecTitle";

Api::Properties WallsClause() { return Clause("clause-a", "A10", "Walls"); }

}  // namespace

TEST(ConnectionCommands, WhateverACommandsWorkThrowsBecomesAnEventAnIssueOrBoth) {
    struct Row {
        const char* what;
        std::function<void()> body;
        Events events;
        std::vector<std::string> issues;
        spdlog::level::level_enum level;
        std::string line;
    };
    const std::vector<Row> rows = {
        {"no right to change properties",
         [] { throw Api::ErrorPropertyManagerNoAccessRight(); },
         {"ErrorPropertyManagerNoAccessRight"},
         {},
         spdlog::level::info,
         "ErrorPropertyManagerNoAccessRight(APIERR_NOACCESSRIGHT)"},
        {"no right to change classifications",
         [] { throw Api::ErrorClassificationManagerNoAccessRight(); },
         {"ErrorClassificationManagerNoAccessRight"},
         {},
         spdlog::level::info,
         "ErrorClassificationManagerNoAccessRight(APIERR_NOACCESSRIGHT)"},
        {"an error carrying its issue",
         [] { throw Model::Error::MissingClassificationItem(WallsClause()); },
         {"IssueListChanged", "IssueWereThrown(Model::Issue::MissingClassificationItem)"},
         {missingItem},
         spdlog::level::info,
         ""},
        {"a host error",
         [] { throw Api::Error<APIERR_BADPARS>(); },
         {"IssueListChanged"},
         {unknownError},
         spdlog::level::err,
         "exception: APIERR_BADPARS(-2130313112)"},
        {"anything else",
         [] { throw 7; },
         {"IssueListChanged"},
         {unknownError},
         spdlog::level::err,
         "unknown exception!"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Scene s;
        TestSupport::LogCapture log(TestSupport::LogCapture::Mode::AddToDefault);
        EXPECT_FALSE(s.connection->HandleExceptions(row.body));
        EXPECT_EQ(s.timeline, row.events);
        EXPECT_EQ(s.Issues(), row.issues);
        if (!row.line.empty()) {
            EXPECT_TRUE(log.Has(row.level, row.line)) << testing::PrintToString(log.Messages());
        }
        // Kept with the connection.
        EXPECT_EQ(s.Load()->IssueCollection().Get().GetSize(), row.issues.size());
    }
    Scene s;
    bool ran = false;
    EXPECT_TRUE(s.connection->CallUndoableCmd("Work", [&] { ran = true; }));
    EXPECT_TRUE(ran);
    TVSim::Faults::FailCall("TVAPI_CallUndoableCommand", APIERR_GENERAL);
    EXPECT_FALSE(s.connection->CallUndoableCmd("Refused", [&] { ran = false; }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(s.connection->CallCmd("Outside the undo history", [] {}));
    EXPECT_FALSE(s.sim.GetUndoSteps().back().undoable);
}

TEST(ConnectionCommands, ATitleUpdateRenamesTheGroupOrLeavesAnIssueThatAFixRetriesUntilTheTitlesAreWritten) {
    Scene s;
    const API_Guid group = s.GroupOf("Orvo Tessary: Project One / Spec One");
    const std::size_t steps = s.sim.GetUndoSteps().size();
    EXPECT_FALSE(s.connection->Cmd_UpdateTitleIfChanged("Spec One", "Project One"));
    EXPECT_EQ(s.sim.GetUndoSteps().size(), steps);
    EXPECT_TRUE(s.timeline.empty());

    // Only the project title changed: both reach the group, named after the titles it had.
    EXPECT_TRUE(s.connection->Cmd_UpdateTitleIfChanged("Spec One", "Project Two"));
    EXPECT_EQ(s.sim.GetPropertyGroup(group).group.name, "Orvo Tessary: Project Two / Spec One");
    EXPECT_EQ(s.UndoableStepsSince(steps),
              std::vector<std::string>{"Update the titles of Orvo Tessary specification Spec One"});
    EXPECT_EQ(s.timeline, Events{"TitleChanged"});

    // Refused for want of the right: the titles tried wait in an issue.
    s.sim.SetPropertyAccessRight(false);
    s.timeline.clear();
    EXPECT_TRUE(s.connection->Cmd_UpdateTitleIfChanged("Spec Three", "Project Three"));
    EXPECT_EQ(s.timeline, (Events{"IssueListChanged", "TitleChanged"}));
    EXPECT_EQ(s.connection->TessaryProjectTitle(), "Project Two");
    ASSERT_EQ(s.Issues(), std::vector<std::string>{titleIssue});
    EXPECT_EQ(s.connection->IssueCollection().Get()[0]->Severity(), Model::Issue::Severity::Warning);

    // A fix that fails for another reason keeps the issue as it was, to be tried again.
    const std::shared_ptr<Title> waiting = s.IssuesOf<Title>()[0];
    s.sim.SetPropertyAccessRight(true);
    TVSim::Faults::FailCall("TVAPI_Property_ChangePropertyGroup", APIERR_GENERAL);
    s.Fix(waiting);
    EXPECT_FALSE(waiting->IsEmpty());
    EXPECT_EQ(waiting->GetNewProjectTitle(), "Project Three");
    EXPECT_EQ(s.Issues(), (std::vector<std::string>{titleIssue, unknownError}));
    s.connection->RefreshIssues();
    EXPECT_EQ(s.IssuesOf<Title>().GetSize(), 1u);

    // Once the titles can be written, the fix writes them and the issue goes for good.
    const std::shared_ptr<Title> again = s.IssuesOf<Title>()[0];
    s.Fix(again);
    EXPECT_EQ(s.connection->TessarySpecificationTitle(), "Spec Three");
    EXPECT_EQ(s.connection->TessaryProjectTitle(), "Project Three");
    EXPECT_TRUE(s.IssuesOf<Title>().IsEmpty());
    EXPECT_TRUE(s.connection->IssueCollection().GetDeleted().ContainsKey(again->Guid()));

    // A title issue whose titles are already the connection's goes when fixed, with its stamp.
    s.connection->AddIssue(std::make_shared<Title>("Spec Three", ""));
    const std::shared_ptr<Title> settled = s.IssuesOf<Title>()[0];
    s.Fix(settled);
    EXPECT_TRUE(s.IssuesOf<Title>().IsEmpty());
    EXPECT_TRUE(s.connection->IssueCollection().GetDeleted().ContainsKey(settled->Guid()));
}

TEST(ConnectionCommands, AnAssociationNeedsAConnectedSpecificationItsGroupAndAClassificationItemForTheCode) {
    {
        Scene s;
        const API_Guid wall = s.sim.AddElement(API_WallID);
        InCommand(*s.tv, [&] { s.connection->MarkAsDisconnected(); });
        s.timeline.clear();
        TestSupport::LogCapture log(TestSupport::LogCapture::Mode::AddToDefault);
        s.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {wall}, true);
        EXPECT_EQ(
            log.MessagesStartingWith("Assocation was skipped because connection is marked as disconnected: {").size(),
            1u);
        EXPECT_FALSE(s.connection->HasVirtualType("clause-a"));
        EXPECT_FALSE(s.IsClassifiedWith(wall, "A10"));
        EXPECT_TRUE(s.timeline.empty());
    }
    {
        Scene s;
        const API_Guid wall = s.sim.AddElement(API_WallID);
        s.connection->Cmd_AssociateElementsToVirtualType("clause-z", Clause("clause-z", "Z99"), {wall}, true);
        EXPECT_FALSE(s.connection->HasVirtualType("clause-z"));
        EXPECT_EQ(s.Issues(), std::vector<std::string>{missingItem});
        EXPECT_EQ(s.timeline, (Events{"IssueListChanged", "IssueWereThrown(Model::Issue::MissingClassificationItem)"}));
    }
    {
        Scene s;
        const API_Guid wall = s.sim.AddElement(API_WallID);
        s.sim.DeletePropertyGroup(s.GroupOf("Orvo Tessary: Project One / Spec One"));
        s.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {wall}, true);
        EXPECT_FALSE(s.connection->HasVirtualType("clause-a"));
        EXPECT_FALSE(s.IsClassifiedWith(wall, "A10"));
        EXPECT_EQ(s.Issues(), std::vector<std::string>{unknownError});
    }
    {
        // Without a page the association still happens; the page hears of the clause on every request.
        Scene s;
        const API_Guid first = s.sim.AddElement(API_WallID), second = s.sim.AddElement(API_WallID);
        s.tessary->Reset({});
        s.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {first}, true);
        EXPECT_TRUE(s.IsClassifiedWith(first, "A10"));
        s.tessary->Reset(s.page);
        s.timeline.clear();
        s.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {second}, true);
        EXPECT_EQ(s.timeline, Events{"page Associate(clause-a, clause-a)"});

        // The item gone meanwhile: the page was told, the elements are not touched.
        s.sim.DeleteClassificationItem(s.Item("A10"));
        const API_Guid third = s.sim.AddElement(API_WallID);
        s.timeline.clear();
        s.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {third}, true);
        EXPECT_EQ(s.timeline, (Events{"page Associate(clause-a, clause-a)", "IssueListChanged",
                                      "IssueWereThrown(Model::Issue::MissingClassificationItem)"}));
        EXPECT_EQ(s.Issues(), std::vector<std::string>{missingItem});
    }
}

TEST(ConnectionCommands,
     DisassociatingPutsTheElementsBackAmongTheUnassociatedAndItsIssuesAreFixedByDisassociatingAgain) {
    Scene s;
    const API_Guid wall = s.sim.AddElement(API_WallID);
    const API_Guid locked = s.sim.AddElement(API_WallID);
    s.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {wall, locked}, false);
    s.connection->UnassociatedElementsCache().Reset(false);
    s.sim.SetElementLocked(locked, true);

    const std::size_t steps = s.sim.GetUndoSteps().size();
    TestSupport::LogCapture log(TestSupport::LogCapture::Mode::AddToDefault);
    s.connection->Cmd_DisassociateElementsFromVirtualType("clause-b", {wall});
    EXPECT_TRUE(log.Has(spdlog::level::err, "failed assertion: this->_virtualTypes.ContainsKey(tessaryClauseId)"));
    s.connection->Cmd_UpdateVirtualTypeProperties("clause-b", {}, true);
    EXPECT_TRUE(log.Has(spdlog::level::err, "failed assertion: this->_virtualTypes.ContainsKey(typeId)"));
    EXPECT_EQ(s.sim.GetUndoSteps().size(), steps);

    s.timeline.clear();
    s.connection->Cmd_DisassociateElementsFromVirtualType("clause-a", {wall, locked});
    EXPECT_EQ(s.UndoableStepsSince(steps),
              std::vector<std::string>{"Disassociate elements from Orvo Tessary clause A10"});
    EXPECT_FALSE(s.IsClassifiedWith(wall, "A10"));
    EXPECT_EQ(s.Issues(), std::vector<std::string>{"DisassocLockedElement[1]"});
    EXPECT_EQ(s.timeline, (Events{"IssueListChanged", "UnassociatedElementTypeChanged"}));
    EXPECT_TRUE(s.connection->UnassociatedElementsCache()
                    .Get()
                    .Get(Model::Element::Type(API_WallID, APIVarId_Generic))
                    .Contains(wall));

    // The fix disassociates, never associates, and asks nothing of the page.
    s.sim.SetElementLocked(locked, false);
    s.timeline.clear();
    s.Fix(s.IssuesOf<Assoc>()[0]);
    EXPECT_FALSE(s.IsClassifiedWith(locked, "A10"));
    EXPECT_FALSE(s.IsClassifiedWith(wall, "A10"));
    EXPECT_TRUE(s.Issues().empty());
    for (const std::string& entry : s.timeline) EXPECT_FALSE(entry.starts_with("page ")) << entry;
}

TEST(ConnectionCommands, UpdatingEveryClauseGoesOnPastAClauseThatFailsAndKeepsWhatTheOthersFound) {
    {
        Scene s;
        s.connection->Cmd_CheckAndUpdateAllAssociatedElementProperties();
        ASSERT_EQ(TVSim::Progress::GetWindows().size(), 1u);
        EXPECT_EQ(TVSim::Progress::GetWindows()[0].phaseCount, 0);
        EXPECT_FALSE(TVSim::Progress::IsOpen());
        EXPECT_TRUE(s.Issues().empty());
    }
    Scene s;
    const API_Guid wall = s.sim.AddElement(API_WallID);
    const API_Guid slab = s.sim.AddElement(API_SlabID), lockedSlab = s.sim.AddElement(API_SlabID);
    // The failing clause comes first.
    s.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {wall}, false);
    s.connection->Cmd_AssociateElementsToVirtualType("clause-b", Clause("clause-b", "B20", "Floors"),
                                                     {slab, lockedSlab}, false);
    const API_Guid title = s.Definition(Api::Properties::Name::Title);
    s.sim.SetPropertyText(slab, title, "Changed by hand");
    s.sim.SetPropertyText(lockedSlab, title, "Changed by hand");
    s.sim.SetElementLocked(lockedSlab, true);
    s.sim.DeleteClassificationItem(s.Item("A10"));

    s.timeline.clear();
    s.connection->Cmd_CheckAndUpdateAllAssociatedElementProperties();
    EXPECT_EQ(s.ValueOf(slab, Api::Properties::Name::Title), "Floors");
    EXPECT_EQ(s.Issues(), (std::vector<std::string>{"LockedElement[1]", missingItem}));
    const TVSim::Progress::Window& progress = TVSim::Progress::GetWindows().back();
    EXPECT_EQ(progress.title, "Orvo Tessary: Updating element properties");
    ASSERT_EQ(progress.phases.size(), 2u);
    EXPECT_EQ(progress.phases[0].name, "Walls");
    EXPECT_EQ(progress.phases[1].name, "Floors");
    EXPECT_FALSE(TVSim::Progress::IsOpen());

    // Without the right to make the definitions available, every clause fails alike: one report.
    Scene r;
    r.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {}, false);
    r.connection->Cmd_AssociateElementsToVirtualType("clause-b", Clause("clause-b", "B20"), {}, false);
    for (const PK::UniString& name : Api::Properties::Name::AllVisible)
        r.sim.SetPropertyAvailability(r.Definition(name), {});
    r.sim.SetPropertyAccessRight(false);
    r.timeline.clear();
    r.connection->Cmd_CheckAndUpdateAllAssociatedElementProperties();
    EXPECT_EQ(r.timeline, Events{"ErrorPropertyManagerNoAccessRight"});
}

TEST(ConnectionCommands, IssuesLeaveByTheObjectTheUserRemovesAndByARefreshThatFindsTheirElementsGone) {
    Scene s;
    const API_Guid locked = s.sim.AddElement(API_WallID, {.locked = true});
    const API_Guid lockedToo = s.sim.AddElement(API_WallID, {.locked = true});
    s.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {locked, lockedToo}, false);
    ASSERT_EQ(s.Issues(), std::vector<std::string>{"AssocLockedElement[2]"});

    s.timeline.clear();
    s.connection->RefreshIssues();
    EXPECT_TRUE(s.timeline.empty());
    s.sim.DeleteElement(lockedToo);
    s.connection->RefreshIssues();
    EXPECT_EQ(s.Issues(), std::vector<std::string>{"AssocLockedElement[1]"});
    EXPECT_EQ(s.timeline, Events{"IssueListChanged"});
    EXPECT_EQ(s.Load()->IssueCollection().Get().GetSize(), 1u);

    // By reference only the very object goes; a copy of it is not it.
    const std::shared_ptr<Model::Issue::Base> held = s.connection->IssueCollection().Get()[0];
    const std::unique_ptr<Model::Issue::Base> copy(held->Clone());
    s.timeline.clear();
    s.connection->RemoveIssue(*copy);
    EXPECT_TRUE(s.timeline.empty());
    s.connection->RemoveIssue(*held);
    EXPECT_TRUE(s.Issues().empty());
    EXPECT_TRUE(s.connection->IssueCollection().GetDeleted().ContainsKey(held->Guid()));
    EXPECT_EQ(s.timeline, Events{"IssueListChanged"});
    EXPECT_TRUE(s.Load()->IssueCollection().Get().IsEmpty());
}

TEST(ConnectionCommands, DisconnectingRemovesTheGroupAndTheStoredRecordButLeavesTheClassificationSystem) {
    {
        Scene s;
        TVSim::Faults::FailCall("TVAPI_CallUndoableCommand", APIERR_GENERAL);
        EXPECT_FALSE(s.connection->Cmd_Disconnect(true));
        EXPECT_FALSE(s.connection->IsDeleted());
        EXPECT_TRUE(s.timeline.empty());
    }
    Scene s;
    const API_Guid group = s.GroupOf("Orvo Tessary: Project One / Spec One");
    const std::size_t steps = s.sim.GetUndoSteps().size();
    EXPECT_TRUE(s.connection->Cmd_Disconnect(false));
    EXPECT_FALSE(s.sim.HasPropertyGroup(group));
    EXPECT_EQ(s.sim.GetModulData("ConnectionWithSpecification:spec-1"), nullptr);
    EXPECT_EQ(s.sim.GetClassificationSystems().GetSize(), 2u);
    EXPECT_EQ(s.UndoableStepsSince(steps),
              std::vector<std::string>{"Disconnect from Orvo Tessary specification Spec One"});
    EXPECT_EQ(s.timeline, Events{"Disconnected"});

    // Told when asked; a record gone already is no failure.
    Scene told;
    told.sim.EraseModulData("ConnectionWithSpecification:spec-1");
    EXPECT_TRUE(told.connection->Cmd_Disconnect(true));
    ASSERT_EQ(told.timeline.size(), 2u);
    EXPECT_TRUE(told.timeline[0].starts_with("page RemoveSpecAssociation(spec-1, ")) << told.timeline[0];
}
