#include <gtest/gtest.h>

#include "CommandScene.hpp"
#include "Model/VirtualType.hpp"
#include "Torvel/Api/Error.hpp"
#include "support/LogCapture.hpp"

using namespace CmdTest;
using Result = Model::VirtualType::ElementOperationResult;

namespace {

enum Operation { Associate, Update, Disassociate };
const char* const operationNames[] = {"associate", "update", "disassociate"};
using PerOperation = std::array<std::string, 3>;  // the issue type of each operation, "" for none

// The issue types of the three operations for a cause they all name alike.
PerOperation All(const std::string& cause) { return {"Assoc" + cause, cause, "Disassoc" + cause}; }
Events One(const std::string& issue) { return issue.empty() ? Events{} : Events{issue + "[1]"}; }

// A scene whose clause "clause-a" (A10, "Walls") exists, with no element yet.
struct ClauseScene : Scene {
    ClauseScene() {
        connection->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10", "Walls"), {}, false);
        timeline.clear();
    }
    Model::VirtualType& ClauseA() { return connection->GetVirtualType("clause-a"); }

    // Runs the operation as the connection's command would, inside one host command.
    Result Run(Operation operation, const PK::Array<API_Guid>& elements, const char* title = "Walls") {
        Result result;
        InCommand(*tv, [&] {
            result = operation == Associate ? ClauseA().AssociateElements(Clause("clause-a", "A10", title), elements)
                     : operation == Update  ? ClauseA().UpdateElementProperties()
                                            : ClauseA().DisassociateElements(elements);
        });
        return result;
    }
    // A new element to associate, an associated one (with values to write) otherwise.
    API_Guid ElementFor(Operation operation, API_ElemTypeID type = API_WallID,
                        const TVSim::ElementOptions& options = {}) {
        return operation == Associate ? sim.AddElement(type, options)
                                      : AddAssociated(*connection, "clause-a", "A10", type, options);
    }
};

}  // namespace

TEST(ElementOperations, EachOperationTreatsAnElementByWhatKeepsTheUserFromChangingIt) {
    using Make = std::function<API_Guid(ClauseScene&, Operation)>;
    const auto with = [](API_ElemTypeID type, TVSim::ElementOptions options) -> Make {
        return [=](ClauseScene& s, Operation o) { return s.ElementFor(o, type, options); };
    };
    const auto onLayer = [](TVSim::LayerOptions layer) -> Make {
        return [=](ClauseScene& s, Operation o) {
            return s.ElementFor(o, API_WallID, {.layer = s.sim.AddLayer("L", layer)});
        };
    };
    const Make gone = [](ClauseScene& s, Operation o) {
        const API_Guid e = s.ElementFor(o);
        TVSim::Faults::FailForElement(e, APIERR_BADID, "TVAPI_Element_Filter");
        return e;
    };
    const Make notMine = [](ClauseScene& s, Operation o) {
        s.sim.SetShared(true);
        s.sim.ReserveClassificationsAndProperties();
        return s.ElementFor(o, API_WallID, {.reservation = TVSim::Reservation::Free});
    };
    const std::vector<std::tuple<const char*, Make, PerOperation>> rows = {
        {"gone when asked", gone, {}},
        {"not in my workspace", notMine, All("NoTeamworkRight")},
        {"on a hidden layer", onLayer({.hidden = true}), All("OnInvisibleLayer")},
        {"on a locked layer", onLayer({.locked = true}), All("OnLockedLayer")},
        {"locked", with(API_WallID, {.locked = true}), All("LockedElement")},
        {"hotlinked", with(API_WallID, {.hotlink = PK::Guid::Generate()}), {"AssocIsHotlink", "", ""}},
        {"of a kind the add-on leaves alone", with(API_DoorID, {.variation = APIVarId_Generic}), {}},
        {"editable", with(API_WallID, {}), {"done", "done", "done"}},
    };
    for (const auto& [state, make, issues] : rows) {
        for (Operation operation : {Associate, Update, Disassociate}) {
            SCOPED_TRACE(fmt::format("{} element, {}", state, operationNames[operation]));
            ClauseScene s;
            const API_Guid element = make(s, operation);
            const Result result = s.Run(operation, {element});
            const bool done = issues[operation] == "done";
            EXPECT_EQ(IssueNames(result.issues), done ? Events{} : One(issues[operation]));
            EXPECT_EQ(result.elements, done ? PK::Array<PK::Guid>{element} : PK::Array<PK::Guid>{});
            // Only what was done shows in the host.
            EXPECT_EQ(s.IsClassifiedWith(element, "A10"), operation == Update || (operation == Associate) == done);
            EXPECT_TRUE(operation == Disassociate || (s.TitleOf(element) == "Walls") == done);
        }
    }
}

TEST(ElementOperations, AHostRefusalWhileAnElementIsChangedBecomesTheIssueOfItsKind) {
    // "": only logged. What the tables know is logged at info level, the rest at error level as an unknown failure.
    const std::vector<std::pair<PKErrCode, PerOperation>> rows = {
        {APIERR_BADID, {}},
        {APIERR_DELETED, {}},
        {APIERR_BADPARS, {"AssocUnknown", "Unknown", ""}},
        {APIERR_LOCKEDLAY, {"AssocOnLockedLayer", "Unknown", "DisassocOnLockedLayer"}},
        {APIERR_NOTMINE, All("NoTeamworkRight")},
        {APIERR_BADCLASSIFICATION, {"AssocNotSuitable", "Unknown", "DisassocUnknown"}},
        {APIERR_READONLY, All("OnLockedLayer")},
    };
    const PerOperation changing = {"TVAPI_Element_AddClassificationItem", "TVAPI_Element_SetProperties",
                                   "TVAPI_Element_RemoveClassificationItem"};
    for (const auto& [code, issues] : rows) {
        for (Operation operation : {Associate, Update, Disassociate}) {
            SCOPED_TRACE(fmt::format("{}, {}", _MapPKErrCodeToStr(code), operationNames[operation]));
            ClauseScene s;
            const API_Guid element = s.ElementFor(operation);
            TVSim::Faults::FailForElement(element, code, changing[operation].c_str());
            LogCapture log(LogCapture::Mode::AddToDefault);
            const Result result = s.Run(operation, {element});
            EXPECT_EQ(IssueNames(result.issues), One(issues[operation]));
            EXPECT_TRUE(result.elements.IsEmpty());
            EXPECT_EQ(!log.MessagesStartingWith(_MapPKErrCodeToStr(code)).empty(),
                      !issues[operation].ends_with("Unknown"));
        }
    }

    ClauseScene s;
    const API_Guid wall = s.sim.AddElement(API_WallID), slab = s.sim.AddElement(API_SlabID);
    TVSim::Faults::FailForElement(wall, APIERR_LOCKEDLAY, "TVAPI_Element_AddClassificationItem");
    // Classified, then its values refused: it stays classified and counts as failed.
    TVSim::Faults::FailForElement(slab, APIERR_NOTMINE, "TVAPI_Element_SetProperties");
    const Result result = s.Run(Associate, {wall, slab});
    EXPECT_EQ(IssueNames(result.issues), (Events{"AssocOnLockedLayer[1]", "AssocNoTeamworkRight[1]"}));
    EXPECT_TRUE(result.elements.IsEmpty() && s.IsClassifiedWith(slab, "A10"));
}

TEST(ElementOperations, NewClauseValuesReachTheEarlierElementsAfterTheNewOnesWithTheirIssuesAfterwards) {
    ClauseScene s;
    const API_Guid earlier = s.AddAssociated(*s.connection, "clause-a", "A10");
    const API_Guid lockedEarlier = s.AddAssociated(*s.connection, "clause-a", "A10", API_WallID, {.locked = true});
    const API_Guid lockedNew = s.sim.AddElement(API_WallID, {.locked = true}), fresh = s.sim.AddElement(API_WallID);
    Result result = s.Run(Associate, {lockedNew, fresh}, "Outer walls");
    EXPECT_EQ(result.elements, (PK::Array<PK::Guid>{fresh}));
    EXPECT_EQ(IssueNames(result.issues), (Events{"AssocLockedElement[1]", "LockedElement[1]"}));
    EXPECT_EQ(s.TitleOf(fresh), "Outer walls");
    EXPECT_EQ(s.TitleOf(earlier), "Outer walls");
    EXPECT_NE(s.TitleOf(lockedEarlier), "Outer walls");
    TVSim::Journal::Clear();
    EXPECT_TRUE(s.Run(Associate, {}, "Outer walls").issues.IsEmpty());
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Element_GetPropertyValuesByGuid"), 0u);

    // An earlier element whose association the run refuses is named by that issue alone, its values pending.
    result = s.Run(Associate, {lockedEarlier}, "Party walls");
    EXPECT_EQ(IssueNames(result.issues), (Events{"AssocLockedElement[1]"}));
    EXPECT_EQ(s.TitleOf(earlier), "Party walls");
    EXPECT_TRUE(s.ClauseA().HasDirtyProperty());
}

TEST(ElementOperations, AWriteTouchesOnlyElementsWhoseValuesDifferAndKeepsTheValuesPendingUntilAllHaveThem) {
    ClauseScene s;
    // Elements that show the clause title only as the definition's default.
    const API_Guid title = s.Definition(Api::Properties::Name::Title);
    API_PropertyDefinition record = s.sim.GetPropertyDefinition(title).definition;
    record.defaultValue.basicValue.singleVariant.variant.uniStringValue = "Walls";
    s.sim.DeletePropertyDefinition(title);
    s.sim.AddPropertyDefinition(record);
    const PK::Array<API_Guid> walls = {s.sim.AddElement(API_WallID), s.sim.AddElement(API_WallID)};
    s.connection->Cmd_AssociateElementsToVirtualType("clause-a", {}, walls, false);
    const API_Guid byDefault = s.AddAssociated(*s.connection, "clause-a", "A10");
    for (const auto& [name, value] : Clause("clause-a", "A10", "Walls"))
        if (name != Api::Properties::Name::Title && name != Api::Properties::Name::ClauseId)
            s.sim.SetPropertyText(byDefault, s.Definition(name), value);

    // Unchanged values, nothing pending: nothing is read or written, no step is made.
    const std::size_t steps = s.sim.GetUndoSteps().size();
    TVSim::Journal::Clear();
    s.connection->Cmd_UpdateVirtualTypeProperties("clause-a", Clause("clause-a", "A10", "Walls"), false);
    EXPECT_EQ(s.sim.GetUndoSteps().size(), steps);
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Element_GetPropertyValuesByGuid"), 0u);
    // Forced: only an element whose value differs, and one that shows the value only as the default.
    s.sim.SetPropertyText(walls[1], title, "Old");
    s.connection->Cmd_UpdateVirtualTypeProperties("clause-a", {}, true);
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Element_SetProperties"), 2u);
    EXPECT_EQ(s.TitleOf(walls[1]), "Walls");

    // New values that a locked element refuses stay pending, across storing and reopening.
    s.sim.SetElementLocked(walls[1], true);
    s.connection->Cmd_UpdateVirtualTypeProperties("clause-a", Clause("clause-a", "A10", "Inner walls"), false);
    EXPECT_EQ(s.Issues(), Events{"LockedElement[1]"});
    EXPECT_EQ(s.TitleOf(walls[0]), "Inner walls");
    EXPECT_EQ(
        s.Load()->GetVirtualType("clause-a").GetAsAssociableType(true).properties.Get(Api::Properties::Name::Title),
        "Inner walls<dirty>");
    // Pending values are written without new ones; once all have them, nothing is pending, also after reopening.
    s.sim.SetElementLocked(walls[1], false);
    s.Reload(*s.connection);
    s.connection->Cmd_UpdateVirtualTypeProperties("clause-a", {}, false);
    EXPECT_EQ(s.TitleOf(walls[1]), "Inner walls");
    EXPECT_TRUE(s.Issues().empty());
    EXPECT_FALSE(s.Load()->GetVirtualType("clause-a").HasDirtyProperty());
}

TEST(ElementOperations, DisassociatingKeepsTheValuesAndLeavesTheElementsOfAnotherClauseWithTheSameCode) {
    ClauseScene s;
    s.connection->Cmd_AssociateElementsToVirtualType("clause-a2", Clause("clause-a2", "A10", "Walls too"), {}, false);
    const API_Guid mine = s.AddAssociated(*s.connection, "clause-a", "A10");
    const API_Guid theirs = s.AddAssociated(*s.connection, "clause-a2", "A10");
    const API_Guid stray = s.AddAssociated(*s.connection, "", "A10");  // classified by hand, no clause
    const Result result = s.Run(Disassociate, {mine, theirs, stray});
    EXPECT_EQ(result.elements, (PK::Array<PK::Guid>{mine, stray}));
    EXPECT_TRUE(result.issues.IsEmpty() && s.IsClassifiedWith(theirs, "A10"));
    EXPECT_EQ(s.ValueOf(mine, Api::Properties::Name::ClauseId), "clause-a");
    EXPECT_EQ(s.connection->GetVirtualType("clause-a2").GetAssociatedElements(), (PK::Array<PK::Guid>{theirs}));
}
