#include <gtest/gtest.h>

#include "CommandScene.hpp"
#include "Model/Errors.hpp"
#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"
#include "Torvel/Api/Error.hpp"
#include "support/LogCapture.hpp"

using namespace CmdTest;
using Assoc = Model::Issue::ElementsAssociation;
using Title = Model::Issue::CoudntUpdateProjectOrSpecTitle;

namespace {

const std::string unknownError = "Model::Issue::UnknownError";
const std::string missingItem = "Model::Issue::MissingClassificationItem";
const std::string titleIssue = "Model::Issue::CoudntUpdateProjectOrSpecTitle";
const std::string missingItemThrown = "IssueListChanged, IssueWereThrown(" + missingItem + ") | " + missingItem;

Api::Properties WallsClause() { return Clause("clause-a", "A10", "Walls"); }

}  // namespace

TEST(ConnectionCommands, WhateverACommandsWorkThrowsBecomesAnEventAnIssueOrBoth) {
    using enum spdlog::level::level_enum;
    const std::vector<std::tuple<std::function<void()>, std::string, spdlog::level::level_enum, std::string>> rows = {
        {[] { throw Api::ErrorPropertyManagerNoAccessRight(); }, "ErrorPropertyManagerNoAccessRight | ", info,
         "ErrorPropertyManagerNoAccessRight(APIERR_NOACCESSRIGHT)"},
        {[] { throw Api::ErrorClassificationManagerNoAccessRight(); }, "ErrorClassificationManagerNoAccessRight | ",
         info, "ErrorClassificationManagerNoAccessRight(APIERR_NOACCESSRIGHT)"},
        {[] { throw Model::Error::MissingClassificationItem(WallsClause()); }, missingItemThrown, info, ""},
        {[] { throw Api::Error<APIERR_BADPARS>(); }, "IssueListChanged | " + unknownError, err,
         "exception: APIERR_BADPARS(-2130313112)"},
        {[] { throw 7; }, "IssueListChanged | " + unknownError, err, "unknown exception!"},
    };
    for (const auto& [body, state, level, line] : rows) {
        Scene s;
        LogCapture log(LogCapture::Mode::AddToDefault);
        EXPECT_FALSE(s.connection->HandleExceptions(body));
        EXPECT_EQ(s.State(), state);
        EXPECT_TRUE(line.empty() || log.Has(level, line)) << testing::PrintToString(log.Messages());
        EXPECT_EQ(s.Load()->IssueCollection().Get().GetSize(), s.Issues().size());
    }
    Scene s;
    EXPECT_TRUE(s.connection->CallCmd("Outside the undo history", [] {}));
    EXPECT_FALSE(s.sim.GetUndoSteps().back().undoable);
}

TEST(ConnectionCommands, ATitleUpdateRenamesTheGroupOrLeavesAnIssueThatAFixRetriesUntilTheTitlesAreWritten) {
    Scene s;
    const API_Guid group = s.GroupOf("Orvo Tessary: Project One / Spec One");
    const std::size_t steps = s.sim.GetUndoSteps().size();
    EXPECT_FALSE(s.connection->Cmd_UpdateTitleIfChanged("Spec One", "Project One"));
    EXPECT_TRUE(s.connection->Cmd_UpdateTitleIfChanged("Spec One", "Project Two"));
    EXPECT_EQ(s.sim.GetPropertyGroup(group).group.name, "Orvo Tessary: Project Two / Spec One");
    EXPECT_EQ(s.UndoableStepsSince(steps), Events{"Update the titles of Orvo Tessary specification Spec One"});
    EXPECT_EQ(s.State(), "TitleChanged | ");

    // Refused for want of the right: the titles tried wait in an issue.
    s.sim.SetPropertyAccessRight(false);
    s.timeline.clear();
    EXPECT_TRUE(s.connection->Cmd_UpdateTitleIfChanged("Spec Three", "Project Three"));
    EXPECT_EQ(s.State(), "IssueListChanged, TitleChanged | " + titleIssue);
    EXPECT_EQ(s.connection->TessaryProjectTitle(), "Project Two");

    // A fix that fails for another reason keeps the issue as it was, to be tried again.
    const std::shared_ptr<Title> waiting = s.IssuesOf<Title>()[0];
    s.sim.SetPropertyAccessRight(true);
    TVSim::Faults::FailCall("TVAPI_Property_ChangePropertyGroup", APIERR_GENERAL);
    s.Fix(waiting);
    EXPECT_EQ(waiting->GetNewProjectTitle(), "Project Three");
    EXPECT_EQ(s.Issues(), (Events{titleIssue, unknownError}));

    // Once the titles can be written, the fix writes them; a title issue already settled just goes.
    s.Fix(waiting);
    EXPECT_EQ(s.connection->TessarySpecificationTitle() + " " + s.connection->TessaryProjectTitle(),
              "Spec Three Project Three");
    s.connection->AddIssue(std::make_shared<Title>("Spec Three", ""));
    const std::shared_ptr<Title> settled = s.IssuesOf<Title>()[0];
    s.Fix(settled);
    EXPECT_TRUE(s.IssuesOf<Title>().IsEmpty());
    for (const auto& fixed : {waiting, settled})
        EXPECT_TRUE(s.connection->IssueCollection().GetDeleted().ContainsKey(fixed->Guid()));

    // Refused with no title to write, the issue would say nothing: it is neither listed nor stored.
    s.sim.SetPropertyAccessRight(false);
    EXPECT_TRUE(s.connection->Cmd_UpdateTitleIfChanged("", ""));
    EXPECT_EQ(s.Issues(), Events{unknownError});
    EXPECT_EQ(IssueNames(s.Load()->IssueCollection().Get()), Events{unknownError});
}

TEST(ConnectionCommands, AnAssociationNeedsAConnectedSpecificationItsGroupAndAClassificationItemForTheCode) {
    Scene s;
    const API_Guid wall = s.sim.AddElement(API_WallID);
    s.sim.DeletePropertyGroup(s.GroupOf("Orvo Tessary: Project One / Spec One"));
    s.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {wall}, true);
    EXPECT_EQ(s.Issues(), Events{unknownError});
    EXPECT_FALSE(s.connection->HasVirtualType("clause-a") || s.IsClassifiedWith(wall, "A10"));

    // Without a page the association still happens; the page hears of the clause on every request.
    Scene p;
    const API_Guid first = p.sim.AddElement(API_WallID), second = p.sim.AddElement(API_WallID);
    p.tessary->Reset({});
    p.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {first}, true);
    EXPECT_TRUE(p.IsClassifiedWith(first, "A10"));
    p.tessary->Reset(p.page);
    p.timeline.clear();
    p.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {second}, true);
    EXPECT_EQ(p.State(), "page Associate(clause-a, clause-a) | ");
    // The item gone meanwhile: the page was told, the elements are not touched.
    p.sim.DeleteClassificationItem(p.Item("A10"));
    const API_Guid third = p.sim.AddElement(API_WallID);
    p.timeline.clear();
    p.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {third}, true);
    EXPECT_EQ(p.State(), "page Associate(clause-a, clause-a), " + missingItemThrown);

    // Marked disconnected: nothing happens.
    InCommand(*p.tv, [&] { p.connection->MarkAsDisconnected(); });
    p.timeline.clear();
    p.connection->Cmd_AssociateElementsToVirtualType("clause-b", Clause("clause-b", "B20"), {third}, true);
    EXPECT_FALSE(p.connection->HasVirtualType("clause-b") || p.IsClassifiedWith(third, "B20"));
    EXPECT_TRUE(p.timeline.empty());
}

TEST(ConnectionCommands, DisassociatingPutsTheElementsBackAmongTheUnassociatedAndItsIssuesAreFixedByDisassociating) {
    Scene s;
    const API_Guid wall = s.sim.AddElement(API_WallID), locked = s.sim.AddElement(API_WallID);
    s.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {wall, locked}, false);
    s.connection->UnassociatedElementsCache().Reset(false);
    s.sim.SetElementLocked(locked, true);
    const std::size_t steps = s.sim.GetUndoSteps().size();
    LogCapture log(LogCapture::Mode::AddToDefault);
    s.connection->Cmd_DisassociateElementsFromVirtualType("clause-b", {wall});
    EXPECT_TRUE(log.Has(spdlog::level::err, "failed assertion: this->_virtualTypes.ContainsKey(tessaryClauseId)"));
    EXPECT_EQ(s.sim.GetUndoSteps().size(), steps);

    s.timeline.clear();
    s.connection->Cmd_DisassociateElementsFromVirtualType("clause-a", {wall, locked});
    EXPECT_EQ(s.UndoableStepsSince(steps), Events{"Disassociate elements from Orvo Tessary clause A10"});
    EXPECT_FALSE(s.IsClassifiedWith(wall, "A10"));
    EXPECT_EQ(s.State(), "IssueListChanged, UnassociatedElementTypeChanged | DisassocLockedElement[1]");
    EXPECT_TRUE(s.connection->UnassociatedElementsCache()
                    .GetElemsByType(Model::Element::Type(API_WallID, APIVarId_Generic))
                    .Contains(wall));
    // The fix disassociates, never associates, and asks nothing of the page.
    s.sim.SetElementLocked(locked, false);
    s.timeline.clear();
    s.Fix(s.IssuesOf<Assoc>()[0]);
    EXPECT_FALSE(s.IsClassifiedWith(locked, "A10"));
    EXPECT_EQ(s.State(), "IssueListChanged, UnassociatedElementTypeChanged | ");
}

// The issues panel must not keep reporting an element that a later run of the command handled.
TEST(ConnectionCommands, ACommandThatFilesNewIssuesClearsTheOlderIssuesOfTheElementsItHandled) {
    using Run = std::function<void(Scene&, const PK::Array<API_Guid>&, const char*)>;
    const std::vector<std::tuple<const char*, Run, std::string>> rows = {
        {"associate",
         [](Scene& s, const PK::Array<API_Guid>& elements, const char* title) {
             s.connection->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10", title), elements,
                                                              false);
         },
         "AssocLockedElement[1]"},
        {"update",
         [](Scene& s, const PK::Array<API_Guid>&, const char* title) {
             s.connection->Cmd_UpdateVirtualTypeProperties("clause-a", Clause("clause-a", "A10", title), false);
         },
         "LockedElement[1]"},
        {"disassociate",
         [](Scene& s, const PK::Array<API_Guid>& elements, const char*) {
             s.connection->Cmd_DisassociateElementsFromVirtualType("clause-a", elements);
         },
         "DisassocLockedElement[1]"},
    };
    for (const auto& [what, run, issue] : rows) {
        SCOPED_TRACE(what);
        Scene s;
        const API_Guid first = s.sim.AddElement(API_WallID), second = s.sim.AddElement(API_WallID);
        if (std::string(what) != "associate")
            s.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {first, second}, false);
        s.sim.SetElementLocked(first, true);
        run(s, {first}, "Outer walls");
        ASSERT_EQ(s.Issues(), Events{issue});
        // The first goes through now, the second is refused.
        s.sim.SetElementLocked(first, false);
        s.sim.SetElementLocked(second, true);
        run(s, {first, second}, "Inner walls");
        ASSERT_EQ(s.Issues(), Events{issue});
        const auto& left =
            dynamic_cast<const Model::Issue::ElementsAssociationBase&>(*s.connection->IssueCollection().Get()[0]);
        EXPECT_EQ(left.GetErroredElements(), PK::Array<PK::Guid>{second});
        EXPECT_EQ(s.Load()->IssueCollection().Get().GetSize(), 1u);
    }
}

TEST(ConnectionCommands, UpdatingEveryClauseGoesOnPastAClauseThatFailsAndKeepsWhatTheOthersFound) {
    Scene s;
    const API_Guid wall = s.sim.AddElement(API_WallID);
    const API_Guid slab = s.sim.AddElement(API_SlabID), lockedSlab = s.sim.AddElement(API_SlabID);
    // The failing clause comes first.
    s.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {wall}, false);
    s.connection->Cmd_AssociateElementsToVirtualType("clause-b", Clause("clause-b", "B20", "Floors"),
                                                     {slab, lockedSlab}, false);
    const API_Guid title = s.Definition(Api::Properties::Name::Title);
    for (const API_Guid& element : {slab, lockedSlab}) s.sim.SetPropertyText(element, title, "Changed by hand");
    s.sim.SetElementLocked(lockedSlab, true);
    s.sim.DeleteClassificationItem(s.Item("A10"));
    s.connection->Cmd_CheckAndUpdateAllAssociatedElementProperties();
    EXPECT_EQ(s.ValueOf(slab, Api::Properties::Name::Title), "Floors");
    EXPECT_EQ(s.Issues(), (Events{"LockedElement[1]", missingItem}));
    const TVSim::Progress::Window& progress = TVSim::Progress::GetWindows().back();
    EXPECT_EQ(progress.title, "Orvo Tessary: Updating element properties");
    EXPECT_EQ(progress.phases.back().name, "Floors");
    EXPECT_FALSE(TVSim::Progress::IsOpen());

    // Without the right to make the definitions available, every clause fails alike: one report.
    s.connection->Cmd_AssociateElementsToVirtualType("clause-c", Clause("clause-c", "C30"), {}, false);
    for (const PK::UniString& name : Api::Properties::Name::AllVisible)
        s.sim.SetPropertyAvailability(s.Definition(name), {});
    s.sim.SetPropertyAccessRight(false);
    s.timeline.clear();
    s.connection->Cmd_CheckAndUpdateAllAssociatedElementProperties();
    EXPECT_EQ(std::count(s.timeline.begin(), s.timeline.end(), "ErrorPropertyManagerNoAccessRight"), 1);
}

TEST(ConnectionCommands, DisconnectingRemovesTheGroupAndTheStoredRecordButLeavesTheClassificationSystem) {
    Scene s;
    const API_Guid group = s.GroupOf("Orvo Tessary: Project One / Spec One");
    const std::size_t steps = s.sim.GetUndoSteps().size();
    TVSim::Faults::FailCall("TVAPI_CallUndoableCommand", APIERR_GENERAL);
    EXPECT_FALSE(s.connection->Cmd_Disconnect(true));
    EXPECT_TRUE(s.timeline.empty());
    s.sim.EraseModulData("ConnectionWithSpecification:spec-1");  // a record gone already is no failure
    EXPECT_TRUE(s.connection->Cmd_Disconnect(false));
    EXPECT_FALSE(s.sim.HasPropertyGroup(group));
    EXPECT_EQ(s.sim.GetClassificationSystems().GetSize(), 2u);
    EXPECT_EQ(s.UndoableStepsSince(steps), Events{"Disconnect from Orvo Tessary specification Spec One"});
    EXPECT_EQ(s.timeline, Events{"Disconnected"});
}

TEST(ConnectionCommands, IssuesLeaveByTheObjectTheUserRemovesAndByARefreshThatFindsTheirElementsGone) {
    Scene s;
    const API_Guid locked = s.sim.AddElement(API_WallID, {.locked = true});
    const API_Guid lockedToo = s.sim.AddElement(API_WallID, {.locked = true});
    s.connection->Cmd_AssociateElementsToVirtualType("clause-a", WallsClause(), {locked, lockedToo}, false);
    s.timeline.clear();
    s.connection->RefreshIssues();
    EXPECT_TRUE(s.timeline.empty());
    s.sim.DeleteElement(lockedToo);
    s.connection->RefreshIssues();
    EXPECT_EQ(s.State(), "IssueListChanged | AssocLockedElement[1]");
    // By reference only the very object goes; a copy of it is not it. The issues panel removes the listed one.
    const std::shared_ptr<Model::Issue::Base> held = s.connection->IssueCollection().Get()[0];
    s.connection->RemoveIssue(*std::unique_ptr<Model::Issue::Base>(held->Clone()));
    PK::Array<Model::Issue::BaseWithText> listed = s.connection->GetIssuesWithText();
    ASSERT_EQ(listed.GetSize(), 1u);
    EXPECT_TRUE(listed[0].IsFixable());
    InCommand(*s.tv, [&] { listed[0].Remove(); });
    EXPECT_TRUE(s.Load()->IssueCollection().Get().IsEmpty());
}
