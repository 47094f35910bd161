// What the add-on makes of one element of the host: whether and why it can be
// associated, which element it stands for, what its kind is called.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Model/Element.hpp"
#include "TVSim/Sim.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;
using Model::Element;
using Usability = Element::Usability;
using Edit = Element::EditableStatus;

namespace {

API_Guid OnLayer(TVSim::Project& p, TVSim::LayerOptions layer) {
    return p.AddElement(API_WallID, {.layer = p.AddLayer("L", layer)});
}

}  // namespace

TEST(ElementUsability, EachElementStateDecidesWhetherAndWhyItCanBeAssociated) {
    struct Row {
        const char* state;
        std::function<API_Guid(TVSim::Project&)> make;
        Usability usability;
        Edit edit;
        bool usable;
        bool deletedMeanwhile = false;  // after it was read, before it is judged
    };
    const std::vector<Row> rows = {
        {"editable", [](auto& p) { return p.AddElement(API_WallID); }, Usability::Editable, Edit::Editable, true},
        {"locked", [](auto& p) { return p.AddElement(API_WallID, {.locked = true}); }, Usability::ElementLocked,
         Edit::LockedOrOnLockedLayer, true},
        {"on a locked layer", [](auto& p) { return OnLayer(p, {.locked = true}); }, Usability::OnLockedLayer,
         Edit::LockedOrOnLockedLayer, true},
        {"on a hidden layer", [](auto& p) { return OnLayer(p, {.hidden = true}); }, Usability::OnInvisibleLayer,
         Edit::LockedOrOnLockedLayer, true},
        {"reserved by another member",
         [](auto& p) {
             p.SetShared(true);
             return p.AddElement(API_WallID, {.reservation = TVSim::Reservation::OtherMember});
         },
         Usability::NotInMyWorkspace, Edit::NotInMyWorkspace, true},
        {"hotlinked and locked",
         [](auto& p) { return p.AddElement(API_WallID, {.locked = true, .hotlink = PK::Guid::Generate()}); },
         Usability::NotClassifyableHotlink, Edit::LockedOrOnLockedLayer, false},
        {"door of another variation", [](auto& p) { return p.AddElement(API_DoorID); },
         Usability::NotClassifyableByAddon, Edit::Editable, false},
        {"door", [](auto& p) { return p.AddElement(API_DoorID, {.variation = APIVarId_Door}); }, Usability::Editable,
         Edit::Editable, true},
        {"object owning others", [](auto& p) { return p.AddElement(API_ObjectID, {.hierarchicalKind = API_MainElem}); },
         Usability::NotClassifyableByAddon, Edit::Editable, false},
        {"object inside another", [](auto& p) { return p.AddElement(API_ObjectID, {.hierarchicalKind = API_SubElem}); },
         Usability::Editable, Edit::Editable, true},
        {"object of an unknown kind",
         [](auto& p) { return p.AddElement(API_ObjectID, {.hierarchicalKind = API_UnknownElemType}); },
         Usability::NotClassifyableByAddon, Edit::Editable, false},
        {"section element of a wall on a hidden layer",
         [](auto& p) { return p.AddSectionElement(OnLayer(p, {.hidden = true})); }, Usability::OnInvisibleLayer,
         Edit::LockedOrOnLockedLayer, true},
        {"on a hidden layer, deleted meanwhile", [](auto& p) { return OnLayer(p, {.hidden = true}); },
         Usability::NotExists, Edit::NotExists, false, true},
        {"object, deleted meanwhile", [](auto& p) { return p.AddElement(API_ObjectID); }, Usability::NotExists,
         Edit::NotExists, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.state);
        TVSim::Project& project = TVSim::OpenProject();
        Implementation::Torvel tv;
        const API_Guid guid = row.make(project);
        const Element element(tv, guid);
        if (row.deletedMeanwhile) project.DeleteElement(guid);
        EXPECT_EQ(element.GetUsability(tv), row.usability);
        EXPECT_EQ(element.GetEditStatus(tv), row.edit);
        EXPECT_EQ(element.IsUsableForAssociation(tv), row.usable);
    }
}

TEST(ElementUsability, ASectionElementAnswersForItsElementAndAHotlinkOrAnOrphanIsRuledOutWithoutAskingTheHost) {
    TVSim::Project& project = TVSim::OpenProject();
    Implementation::Torvel tv;
    const API_Guid door = project.AddElement(API_DoorID, {.variation = APIVarId_Door, .story = 2});
    const API_Guid section = project.AddSectionElement(door);
    const Element element(tv, section);
    EXPECT_EQ(element.GetGuid(), section);
    EXPECT_EQ(element.GetTrueGuid(), door);
    EXPECT_EQ(element.GetType(), Element::Type(API_DoorID, APIVarId_Door));
    EXPECT_EQ(element.GetFloorIndex(), 2);

    const Element hotlinked(tv, project.AddElement(API_WallID, {.hotlink = PK::Guid::Generate()}));
    const Element orphan(tv, project.AddElement(API_SectElemID));  // a section element standing for nothing
    TVSim::Journal::Clear();
    EXPECT_EQ(hotlinked.GetUsability(tv), Usability::NotClassifyableHotlink);
    EXPECT_EQ(orphan.GetUsability(tv), Usability::NotClassifyableByAddon);
    EXPECT_EQ(TVSim::Journal::GetCalls().size(), 0u);
    EXPECT_EQ(fmt::format("{} {} [{}] {}", Usability::NotClassifyableHotlink, Edit::LockedOrOnLockedLayer,
                          static_cast<Usability>(8), Element::Type(API_WallID, APIVarId_Generic)),
              "NotClassifyableHotlink LockedOrOnLockedLayer [] {typeID:API_WallID, variationID: APIVarId_Generic}");
}

TEST(ElementType, KindsAreEnumeratedInTheTablesOrderAndNamedFromTheirListOrSayTheyAreUnknown) {
    std::vector<API_ElemTypeID> visited;
    Element::EnumerateIncludedMainTypes([&](API_ElemTypeID type) { visited.push_back(type); });
    ASSERT_EQ(visited.size(), 47u);  // one call for the four variations of a window
    EXPECT_EQ(visited.front(), API_WallID);
    EXPECT_EQ((std::vector<API_ElemTypeID>(visited.end() - 3, visited.end())),
              (std::vector<API_ElemTypeID>{API_OpeningID, API_ObjectID, API_SectElemID}));
    EXPECT_EQ(Element::IncludedMainTypeCount(), 49u);

    TVSim::OpenProject();
    Implementation::Torvel tv;
    using Type = Element::Type;
    EXPECT_EQ(Type(API_WallID, APIVarId_Generic).GetName(tv), "Wall");
    EXPECT_EQ(Type(API_WindowID, APIVarId_CornerWindow).GetName(tv), Type(API_WindowID, APIVarId_Generic).GetName(tv));
    EXPECT_EQ(Type(API_ObjectID, APIVarId_Object).GetName(tv), "Object");
    TestSupport::LogCapture log;
    EXPECT_EQ(Type(API_DoorID, APIVarId_Generic).GetName(tv), "<unknown type>");
    EXPECT_TRUE(log.Has(spdlog::level::err, "failed assertion: variations->Get(this->variationID, &tup)"));
    EXPECT_EQ(Type(API_DimensionID, APIVarId_Generic).GetName(tv), "<unknown type>");
    EXPECT_TRUE(log.Has(spdlog::level::err, "failed assertion: _GetTypeContainer().Get( this->typeID, &variations)"));
}

TEST(ElementSelect, SelectsTheElementsWithTheirOwnersAndSkipsDeletedOnes) {
    TVSim::Project& project = TVSim::OpenProject();
    Implementation::Torvel tv;
    const API_Guid curtainWall = project.AddElement(API_CurtainWallID);
    const API_Guid panel = project.AddElement(API_CurtainWallPanelID, {.owner = curtainWall});
    const API_Guid wall = project.AddElement(API_WallID);
    const API_Guid gone = project.AddElement(API_WallID);
    project.DeleteElement(gone);
    project.SetSelection({project.AddElement(API_SlabID)});

    TestSupport::LogCapture log;
    Element::Select(tv, {wall, gone, panel});
    const PK::Array<API_Guid> selected = project.GetSelection();
    EXPECT_EQ(selected.GetSize(), 2u);
    EXPECT_TRUE(selected.Contains(wall) && selected.Contains(panel));
    EXPECT_EQ(log.MessagesStartingWith("APIERR_DELETED(-2130312914): Element was deleted meanwhile: ").size(), 1u);
    Element::Select(tv, {});
    EXPECT_TRUE(project.GetSelection().IsEmpty());
}
