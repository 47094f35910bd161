// One association request over a selection of every kind of element the host can refuse.
#include <gtest/gtest.h>

#include "CommandScene.hpp"
#include "support/LogCapture.hpp"

using namespace CmdTest;
using Assoc = Model::Issue::ElementsAssociation;

TEST(AssociationRoad, AMixedSelectionIsAssociatedAsFarAsTheHostLetsAndEveryRefusalBecomesAFixableIssue) {
    Scene s;
    s.sim.SetShared(true);
    s.sim.ReserveClassificationsAndProperties();
    const PK::Int32 lockedLayer = s.sim.AddLayer("Locked", {.locked = true});
    const PK::Int32 hiddenLayer = s.sim.AddLayer("Hidden", {.hidden = true});
    struct {
        API_Guid editable, locked, onLockedLayer, onHiddenLayer, notMine, hotlinked, unsuitableVariation, refusedByHost,
            sectionParent, section, lockedToo, deleted;
    } m;
    m.editable = s.sim.AddElement(API_WallID);
    m.locked = s.sim.AddElement(API_SlabID, {.locked = true});
    m.onLockedLayer = s.sim.AddElement(API_WallID, {.layer = lockedLayer});
    m.onHiddenLayer = s.sim.AddElement(API_ColumnID, {.layer = hiddenLayer});
    m.notMine = s.sim.AddElement(API_WallID, {.reservation = TVSim::Reservation::OtherMember});
    m.hotlinked = s.sim.AddElement(API_BeamID, {.hotlink = PK::Guid::Generate()});
    m.unsuitableVariation = s.sim.AddElement(API_DoorID, {.variation = APIVarId_Generic});  // not a door's own
    m.refusedByHost = s.sim.AddElement(API_SlabID, {.classifiable = false});
    m.sectionParent = s.sim.AddElement(API_WallID);
    m.section = s.sim.AddSectionElement(m.sectionParent);
    m.lockedToo = s.sim.AddElement(API_WallID, {.locked = true});
    m.deleted = s.sim.AddElement(API_WallID);
    const PK::Array<API_Guid> selection = {
        m.editable,      m.locked,  m.onLockedLayer, m.onHiddenLayer, m.notMine, m.hotlinked, m.unsuitableVariation,
        m.refusedByHost, m.section, m.lockedToo,     m.deleted};
    s.connection->UnassociatedElementsCache().Reset(false);
    const Model::UnassociatedElementsCache& cached = s.connection->UnassociatedElementsCache();
    const Model::Element::Type wall(API_WallID, APIVarId_Generic);
    ASSERT_TRUE(cached.GetElemsByType(wall).Contains(m.editable));
    s.sim.DeleteElement(m.deleted);  // deleted after the user selected it
    const std::size_t stepsBefore = s.sim.GetUndoSteps().size();

    LogCapture log(LogCapture::Mode::AddToDefault);
    s.connection->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10", "Walls"), selection, true);

    // In the host: the editable element and the model element behind the section element, with every value.
    for (const API_Guid& element : {m.editable, m.sectionParent}) {
        EXPECT_TRUE(s.IsClassifiedWith(element, "A10"));
        for (const auto& [name, value] : Clause("clause-a", "A10", "Walls"))
            EXPECT_EQ(s.ValueOf(element, name), Text(value));
    }
    for (const API_Guid& element : {m.locked, m.onLockedLayer, m.onHiddenLayer, m.notMine, m.hotlinked,
                                    m.unsuitableVariation, m.refusedByHost, m.lockedToo})
        EXPECT_FALSE(s.IsClassifiedWith(element, "A10"));
    EXPECT_EQ(s.UndoableStepsSince(stepsBefore), Events{"Associate elements with Orvo Tessary clause A10"});

    // One issue per refusal, in the order each first happened, naming the view the user was in.
    EXPECT_EQ(s.Issues(), (Events{"AssocLockedElement[2]", "AssocOnLockedLayer[1]", "AssocOnInvisibleLayer[1]",
                                  "AssocNoTeamworkRight[1]", "AssocIsHotlink[1]", "AssocNotSuitable[1]"}));
    const auto issues = s.IssuesOf<Assoc>();
    EXPECT_EQ(issues[0]->GetErroredElements(), (PK::Array<API_Guid>{m.locked, m.lockedToo}));
    for (const auto& issue : issues) {
        EXPECT_EQ(issue->GetWindowId().GetDatabaseId().GetTypeID(), APIWind_FloorPlanID);
        EXPECT_NE(std::string(issue->GetString(*s.connection).ToCStr()).find("Ground Floor"), std::string::npos);
    }
    // What was not refused but not done either is only logged.
    EXPECT_FALSE(log.MessagesStartingWith("Should have been filtered: Elem(").empty());
    EXPECT_FALSE(log.MessagesStartingWith("exception: APIERR_DELETED").empty());

    // The page hears of the clause before the elements change; the palette after.
    EXPECT_EQ(s.timeline, (Events{"VirtualTypeListChanged", "page Associate(clause-a, clause-a)", "IssueListChanged",
                                  "UnassociatedElementTypeChanged"}));
    EXPECT_FALSE(cached.GetElemsByType(wall).Contains(m.editable));
    EXPECT_TRUE(cached.GetElemsByType(wall).Contains(m.onLockedLayer));

    // The issues are kept with the connection.
    EXPECT_EQ(s.Load()->IssueCollection().Get().GetSize(), 6u);

    // Its cause removed, a fix clears its issue and associates its elements, without asking the page.
    s.timeline.clear();
    s.sim.SetElementLocked(m.locked, false);
    s.sim.SetElementLocked(m.lockedToo, false);
    s.sim.SetLayerHidden(hiddenLayer, false);
    for (const auto& issue : {issues[0], issues[2]}) s.Fix(issue);
    for (const API_Guid& element : {m.locked, m.lockedToo, m.onHiddenLayer})
        EXPECT_TRUE(s.IsClassifiedWith(element, "A10"));
    EXPECT_EQ(s.State(),
              "IssueListChanged, UnassociatedElementTypeChanged, IssueListChanged | AssocOnLockedLayer[1], "
              "AssocNoTeamworkRight[1], AssocIsHotlink[1], AssocNotSuitable[1]");
}
