// What a virtual type's three element operations make of each element: by
// its state, by the host's refusal while it is changed, and what the property
// writes leave pending.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CommandScene.hpp"
#include "Model/VirtualType.hpp"
#include "Torvel/Api/Error.hpp"
#include "support/LogCapture.hpp"

using namespace CmdTest;
using Result = Model::VirtualType::ElementOperationResult;

namespace {

enum class Operation { Associate, Update, Disassociate };

const char* NameOf(Operation operation) {
    switch (operation) {
        case Operation::Associate:
            return "associate";
        case Operation::Update:
            return "update";
        case Operation::Disassociate:
            return "disassociate";
    }
    return "";
}

// A scene whose clause "clause-a" (A10) exists, with no element yet.
struct ClauseScene : Scene {
    ClauseScene() {
        connection->Cmd_AssociateElementsToVirtualType("clause-a", TestSupport::Clause("clause-a", "A10", "Walls"), {},
                                                       false);
        timeline.clear();
    }
    Model::VirtualType& Clause() { return connection->GetVirtualType("clause-a"); }
    PK::Int32 Layer(const TVSim::LayerOptions& options) { return sim.AddLayer("Layer", options); }

    // Runs the operation on the element as the connection's command would, inside one host command.
    Result Run(Operation operation, const API_Guid& element) {
        Result result;
        InCommand(*tv, [&] {
            switch (operation) {
                case Operation::Associate:
                    result = Clause().AssociateElements(TestSupport::Clause("clause-a", "A10", "Walls"), {element});
                    break;
                case Operation::Update:
                    result = Clause().UpdateElementProperties();
                    break;
                case Operation::Disassociate:
                    result = Clause().DisassociateElements({element});
                    break;
            }
        });
        return result;
    }

    // An element for the operation: a new one to associate, an associated one (with values to write) otherwise.
    API_Guid ElementFor(Operation operation, API_ElemTypeID type = API_WallID,
                        const TVSim::ElementOptions& options = {}) {
        return operation == Operation::Associate ? sim.AddElement(type, options)
                                                 : AddAssociated(*connection, "clause-a", "A10", type, options);
    }
};

// What belongs to the operation, of what belongs to each.
const char* Pick(Operation operation, const char* associate, const char* update, const char* disassociate) {
    return operation == Operation::Associate ? associate : operation == Operation::Update ? update : disassociate;
}

std::vector<std::string> IssuesOf(const Result& result) {
    std::vector<std::string> issues;
    for (const auto& issue : result.issues) issues.push_back(IssueName(*issue));
    return issues;
}

std::vector<std::string> One(const char* issue) {
    return issue == nullptr ? std::vector<std::string>{} : std::vector<std::string>{std::string(issue) + "[1]"};
}

}  // namespace

TEST(ElementOperations, EachOperationTreatsAnElementByWhatKeepsTheUserFromChangingIt) {
    struct Row {
        const char* state;
        std::function<API_Guid(ClauseScene&, Operation)> make;
        const char* associate;  // the issue type, or nullptr for none
        const char* update;
        const char* disassociate;
        bool done = false;
    };
    const std::vector<Row> rows = {
        {"gone when asked",
         [](ClauseScene& s, Operation o) {
             const API_Guid e = s.ElementFor(o);
             TVSim::Faults::FailForElement(e, APIERR_BADID, "TVAPI_Element_Filter");
             return e;
         },
         nullptr, nullptr, nullptr},
        {"not in my workspace",
         [](ClauseScene& s, Operation o) {
             s.sim.SetShared(true);
             s.sim.ReserveClassificationsAndProperties();
             return s.ElementFor(o, API_WallID, {.reservation = TVSim::Reservation::Free});
         },
         "AssocNoTeamworkRight", "NoTeamworkRight", "DisassocNoTeamworkRight"},
        {"on a hidden layer",
         [](ClauseScene& s, Operation o) { return s.ElementFor(o, API_WallID, {.layer = s.Layer({.hidden = true})}); },
         "AssocOnInvisibleLayer", "OnInvisibleLayer", "DisassocOnInvisibleLayer"},
        {"on a locked layer",
         [](ClauseScene& s, Operation o) { return s.ElementFor(o, API_WallID, {.layer = s.Layer({.locked = true})}); },
         "AssocOnLockedLayer", "OnLockedLayer", "DisassocOnLockedLayer"},
        {"locked", [](ClauseScene& s, Operation o) { return s.ElementFor(o, API_WallID, {.locked = true}); },
         "AssocLockedElement", "LockedElement", "DisassocLockedElement"},
        {"hotlinked",
         [](ClauseScene& s, Operation o) { return s.ElementFor(o, API_WallID, {.hotlink = PK::Guid::Generate()}); },
         "AssocIsHotlink", nullptr, nullptr},
        {"of a kind the add-on leaves alone",
         [](ClauseScene& s, Operation o) { return s.ElementFor(o, API_DoorID, {.variation = APIVarId_Generic}); },
         nullptr, nullptr, nullptr},
        {"editable", [](ClauseScene& s, Operation o) { return s.ElementFor(o); }, nullptr, nullptr, nullptr, true},
    };
    for (const Row& row : rows) {
        for (Operation operation : {Operation::Associate, Operation::Update, Operation::Disassociate}) {
            SCOPED_TRACE(fmt::format("{} element, {}", row.state, NameOf(operation)));
            ClauseScene s;
            const API_Guid element = row.make(s, operation);
            const Result result = s.Run(operation, element);
            const char* expected = Pick(operation, row.associate, row.update, row.disassociate);
            EXPECT_EQ(IssuesOf(result), One(expected));
            EXPECT_EQ(result.elements, row.done ? PK::Array<PK::Guid>{element} : PK::Array<PK::Guid>{});
            // Only what was done shows in the host.
            const bool classified = operation == Operation::Associate      ? row.done
                                    : operation == Operation::Disassociate ? !row.done
                                                                           : true;
            EXPECT_EQ(s.IsClassifiedWith(element, "A10"), classified);
            if (operation != Operation::Disassociate) {
                EXPECT_EQ(s.ValueOf(element, Api::Properties::Name::Title) == "Walls", row.done);
            }
        }
    }
}

TEST(ElementOperations, AHostRefusalWhileAnElementIsChangedBecomesTheIssueOfItsKind) {
    struct Row {
        GSErrCode code;
        const char* associate;  // nullptr: only logged
        const char* update;
        const char* disassociate;
    };
    const std::vector<Row> rows = {
        {APIERR_BADID, nullptr, nullptr, nullptr},
        {APIERR_DELETED, nullptr, nullptr, nullptr},
        {APIERR_BADPARS, "AssocUnknown", "Unknown", nullptr},
        {APIERR_LOCKEDLAY, "AssocOnLockedLayer", "Unknown", "DisassocOnLockedLayer"},
        {APIERR_NOTMINE, "AssocNoTeamworkRight", "NoTeamworkRight", "DisassocNoTeamworkRight"},
        {APIERR_NOACCESSRIGHT, "AssocNoTeamworkRight", "NoTeamworkRight", "DisassocNoTeamworkRight"},
        {APIERR_BADCLASSIFICATION, "AssocNotSuitable", "Unknown", "DisassocUnknown"},
        {APIERR_READONLY, "AssocOnLockedLayer", "OnLockedLayer", "DisassocOnLockedLayer"},
        {APIERR_HIDDENLAY, "AssocUnknown", "Unknown", "DisassocUnknown"},
    };
    for (const Row& row : rows) {
        for (Operation operation : {Operation::Associate, Operation::Update, Operation::Disassociate}) {
            SCOPED_TRACE(fmt::format("{}, {}", _MapPKErrCodeToStr(row.code), NameOf(operation)));
            ClauseScene s;
            const API_Guid element = s.ElementFor(operation);
            const char* changing = Pick(operation, "TVAPI_Element_AddClassificationItem", "TVAPI_Element_SetProperties",
                                        "TVAPI_Element_RemoveClassificationItem");
            TVSim::Faults::FailForElement(element, row.code, changing);
            TestSupport::LogCapture log(TestSupport::LogCapture::Mode::AddToDefault);
            const Result result = s.Run(operation, element);
            const char* expected = Pick(operation, row.associate, row.update, row.disassociate);
            EXPECT_EQ(IssuesOf(result), One(expected));
            EXPECT_TRUE(result.elements.IsEmpty());
            // What the tables know is logged at info level, the rest at error level as an unknown failure.
            const bool known = expected == nullptr || !std::string(expected).ends_with("Unknown");
            EXPECT_EQ(!log.MessagesStartingWith(_MapPKErrCodeToStr(row.code)).empty(), known);
        }
    }

    // The association writes "{error}, {element}" except for an element that is not the user's.
    ClauseScene s;
    const API_Guid wall = s.sim.AddElement(API_WallID), slab = s.sim.AddElement(API_SlabID);
    TVSim::Faults::FailForElement(wall, APIERR_LOCKEDLAY, "TVAPI_Element_AddClassificationItem");
    // Classified, then its values refused: it stays classified and counts as failed.
    TVSim::Faults::FailForElement(slab, APIERR_NOTMINE, "TVAPI_Element_SetProperties");
    TestSupport::LogCapture log(TestSupport::LogCapture::Mode::AddToDefault);
    const Result first = s.Run(Operation::Associate, wall);
    const Result second = s.Run(Operation::Associate, slab);
    EXPECT_EQ(IssuesOf(first), std::vector<std::string>{"AssocOnLockedLayer[1]"});
    EXPECT_EQ(log.MessagesStartingWith("APIERR_LOCKEDLAY(-2130312913), {guid:").size(), 1u);
    EXPECT_EQ(log.MessagesStartingWith("APIERR_NOTMINE(-2130312910): {guid:").size(), 1u);
    EXPECT_TRUE(s.IsClassifiedWith(slab, "A10"));
    EXPECT_EQ(IssuesOf(second), std::vector<std::string>{"AssocNoTeamworkRight[1]"});
    EXPECT_TRUE(second.elements.IsEmpty());
}

TEST(ElementOperations, NewClauseValuesReachTheEarlierElementsAfterTheNewOnesWithTheirIssuesAfterwards) {
    ClauseScene s;
    const API_Guid earlier = s.AddAssociated(*s.connection, "clause-a", "A10");
    const API_Guid lockedEarlier = s.AddAssociated(*s.connection, "clause-a", "A10", API_WallID, {.locked = true});
    const API_Guid lockedNew = s.sim.AddElement(API_WallID, {.locked = true});
    const API_Guid fresh = s.sim.AddElement(API_WallID);

    Result result;
    InCommand(*s.tv, [&] {
        result =
            s.Clause().AssociateElements(TestSupport::Clause("clause-a", "A10", "Outer walls"), {lockedNew, fresh});
    });
    EXPECT_EQ(result.elements, (PK::Array<PK::Guid>{fresh}));
    EXPECT_EQ(IssuesOf(result), (std::vector<std::string>{"AssocLockedElement[1]", "LockedElement[1]"}));
    EXPECT_EQ(s.ValueOf(fresh, Api::Properties::Name::Title), "Outer walls");
    EXPECT_EQ(s.ValueOf(earlier, Api::Properties::Name::Title), "Outer walls");
    EXPECT_NE(s.ValueOf(lockedEarlier, Api::Properties::Name::Title), "Outer walls");
    // The same values again change nothing: no rewrite.
    TVSim::Journal::Clear();
    InCommand(*s.tv, [&] {
        result = s.Clause().AssociateElements(TestSupport::Clause("clause-a", "A10", "Outer walls"), {});
    });
    EXPECT_TRUE(result.issues.IsEmpty());
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Element_GetPropertyValuesByGuid"), 0u);
}

TEST(ElementOperations, AWriteTouchesOnlyElementsWhoseValuesDifferAndKeepsTheValuesPendingUntilAllHaveThem) {
    ClauseScene s;
    // Elements that show the clause title without holding it: the definition's default says it.
    const API_Guid title = s.Definition(Api::Properties::Name::Title);
    API_PropertyDefinition record = s.sim.GetPropertyDefinition(title).definition;
    record.defaultValue.basicValue.singleVariant.variant.uniStringValue = "Walls";
    s.sim.DeletePropertyDefinition(title);
    s.sim.AddPropertyDefinition(record);

    PK::Array<API_Guid> walls;
    for (int i = 0; i < 3; ++i) walls.Push(s.sim.AddElement(API_WallID));
    s.connection->Cmd_AssociateElementsToVirtualType("clause-a", {}, walls, false);
    ASSERT_TRUE(s.Issues().empty());
    const API_Guid byDefault = s.AddAssociated(*s.connection, "clause-a", "A10");
    for (const auto& [name, value] : TestSupport::Clause("clause-a", "A10", "Walls"))
        if (name != Api::Properties::Name::Title && name != Api::Properties::Name::ClauseId)
            s.sim.SetPropertyText(byDefault, s.Definition(name), value);

    // Unchanged values, nothing pending: nothing is read or written, no step is made.
    const std::size_t steps = s.sim.GetUndoSteps().size();
    TVSim::Journal::Clear();
    s.connection->Cmd_UpdateVirtualTypeProperties("clause-a", TestSupport::Clause("clause-a", "A10", "Walls"), false);
    EXPECT_EQ(s.sim.GetUndoSteps().size(), steps);
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Element_GetPropertyValuesByGuid"), 0u);

    // Forced: only an element whose value differs, and one that shows the value only as the default.
    s.sim.SetPropertyText(walls[1], title, "Old");
    TVSim::Journal::Clear();
    s.connection->Cmd_UpdateVirtualTypeProperties("clause-a", {}, true);
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Element_SetProperties"), 2u);
    EXPECT_EQ(s.ValueOf(walls[1], Api::Properties::Name::Title), "Walls");
    EXPECT_NE(s.sim.GetPropertyValue(byDefault, title), nullptr);

    // New values that a locked element refuses stay pending, across storing and reopening.
    s.sim.SetElementLocked(walls[2], true);
    s.connection->Cmd_UpdateVirtualTypeProperties("clause-a", TestSupport::Clause("clause-a", "A10", "Inner walls"),
                                                  false);
    EXPECT_EQ(s.Issues(), std::vector<std::string>{"LockedElement[1]"});
    EXPECT_EQ(s.ValueOf(walls[0], Api::Properties::Name::Title), "Inner walls");
    ConnectionPtr reopened = s.Load();
    ASSERT_TRUE(reopened->GetVirtualType("clause-a").HasDirtyProperty());
    EXPECT_EQ(
        reopened->GetVirtualType("clause-a").GetAsAssociableType(true).properties.Get(Api::Properties::Name::Title),
        "Inner walls<dirty>");

    // Pending values are written without new ones; once all have them, nothing is pending, also after reopening.
    s.sim.SetElementLocked(walls[2], false);
    s.Reload(*s.connection);
    s.connection->Cmd_UpdateVirtualTypeProperties("clause-a", {}, false);
    EXPECT_EQ(s.ValueOf(walls[2], Api::Properties::Name::Title), "Inner walls");
    EXPECT_TRUE(s.Issues().empty());
    EXPECT_FALSE(s.Clause().HasDirtyProperty());
    EXPECT_FALSE(s.Load()->GetVirtualType("clause-a").HasDirtyProperty());
    // The same when the values reach every element at once, with no issue to settle on the way.
    s.connection->Cmd_UpdateVirtualTypeProperties("clause-a", TestSupport::Clause("clause-a", "A10", "Outer walls"),
                                                  false);
    EXPECT_EQ(s.ValueOf(walls[2], Api::Properties::Name::Title), "Outer walls");
    EXPECT_FALSE(s.Load()->GetVirtualType("clause-a").HasDirtyProperty());
}

// A definition gone between the question and the answer shortens the answer:
// the element counts as an unknown failure, and nothing past the answer is read.
TEST(ElementOperations, AnAnswerWithFewerValuesThanAskedForIsAnUnknownFailureOfThatElement) {
    ClauseScene s;
    s.AddAssociated(*s.connection, "clause-a", "A10");
    s.AddAssociated(*s.connection, "clause-a", "A10");
    const API_Guid suffix = s.Definition(Api::Properties::Name::Suffix);
    // Each element's clause id is read before the first comparison.
    TVSim::Faults::BeforeCall(
        "TVAPI_Element_GetPropertyValuesByGuid", [&] { s.sim.DeletePropertyDefinition(suffix); }, 3);
    TestSupport::LogCapture log(TestSupport::LogCapture::Mode::AddToDefault);
    Result result;
    InCommand(*s.tv, [&] { result = s.Clause().UpdateElementProperties(); });
    EXPECT_EQ(IssuesOf(result), std::vector<std::string>{"Unknown[2]"});
    EXPECT_EQ(log.MessagesStartingWith("failed assertion: elemProperties.GetSize() >= properties.GetSize()").size(),
              2u);
}

TEST(ElementOperations, DisassociatingKeepsTheValuesAndLeavesTheElementsOfAnotherClauseWithTheSameCode) {
    ClauseScene s;
    // A second clause with the same code shares the item.
    s.connection->Cmd_AssociateElementsToVirtualType("clause-a2", TestSupport::Clause("clause-a2", "A10", "Walls too"),
                                                     {}, false);
    const API_Guid mine = s.AddAssociated(*s.connection, "clause-a", "A10");
    const API_Guid theirs = s.AddAssociated(*s.connection, "clause-a2", "A10");
    const API_Guid stray = s.AddAssociated(*s.connection, "", "A10");  // classified by hand, no clause

    TestSupport::LogCapture log(TestSupport::LogCapture::Mode::AddToDefault);
    Result result;
    InCommand(*s.tv, [&] { result = s.Clause().DisassociateElements({mine, theirs, stray}); });
    EXPECT_EQ(result.elements, (PK::Array<PK::Guid>{mine, stray}));
    EXPECT_TRUE(result.issues.IsEmpty());
    EXPECT_FALSE(s.IsClassifiedWith(mine, "A10"));
    EXPECT_TRUE(s.IsClassifiedWith(theirs, "A10"));
    EXPECT_EQ(s.ValueOf(mine, Api::Properties::Name::ClauseId), "clause-a");
    Model::VirtualType& other = s.connection->GetVirtualType("clause-a2");
    EXPECT_EQ(other.GetAssociatedElements(), (PK::Array<PK::Guid>{theirs}));
    EXPECT_TRUE(s.Clause().GetAssociatedElements().IsEmpty());
    bool logged = false;
    for (const std::string& line : log.Messages())
        logged = logged || (line.find("belongs to clause(\"clause-a2\")") != std::string::npos);
    EXPECT_TRUE(logged);
}
