#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Model/Element.hpp"
#include "TVSim/Sim.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;
using Usability = Model::Element::Usability;
using Edit = Model::Element::EditableStatus;

namespace {

constexpr bool Usable = true, NotUsable = false;
constexpr bool FilteredOut = true, Kept = false;

struct Row {
    const char* state;
    std::function<API_Guid(TVSim::Project&)> make;
    Usability usability;
    Edit edit;
    bool usable;           // may take part in an association
    bool typeFilteredOut;  // its kind is one the add-on never lists
    // Runs after the element was read, before it is judged: the project changes meanwhile.
    std::function<void(TVSim::Project&, const API_Guid&)> meanwhile = {};
};

API_Guid OnLayer(TVSim::Project& p, TVSim::LayerOptions layer) {
    return p.AddElement(API_WallID, {.layer = p.AddLayer("L", layer)});
}

void Delete(TVSim::Project& p, const API_Guid& g) { p.DeleteElement(g); }

}  // namespace

TEST(ElementUsability, EachElementStateDecidesWhetherAndWhyItCanBeAssociated) {
    const std::vector<Row> rows = {
        {"editable wall", [](auto& p) { return p.AddElement(API_WallID); }, Usability::Editable, Edit::Editable, Usable,
         Kept},
        {"locked", [](auto& p) { return p.AddElement(API_WallID, {.locked = true}); }, Usability::ElementLocked,
         Edit::LockedOrOnLockedLayer, Usable, Kept},
        {"on a locked layer", [](auto& p) { return OnLayer(p, {.locked = true}); }, Usability::OnLockedLayer,
         Edit::LockedOrOnLockedLayer, Usable, Kept},
        {"locked on a locked layer",
         [](auto& p) { return p.AddElement(API_WallID, {.layer = p.AddLayer("L", {.locked = true}), .locked = true}); },
         Usability::ElementLocked, Edit::LockedOrOnLockedLayer, Usable, Kept},
        {"on a hidden layer", [](auto& p) { return OnLayer(p, {.hidden = true}); }, Usability::OnInvisibleLayer,
         Edit::LockedOrOnLockedLayer, Usable, Kept},
        {"reserved by another member",
         [](auto& p) {
             p.SetShared(true);
             return p.AddElement(API_WallID, {.reservation = TVSim::Reservation::OtherMember});
         },
         Usability::NotInMyWorkspace, Edit::NotInMyWorkspace, Usable, Kept},
        {"from a hotlinked module",
         [](auto& p) { return p.AddElement(API_WallID, {.locked = true, .hotlink = PK::Guid::Generate()}); },
         Usability::NotClassifyableHotlink, Edit::LockedOrOnLockedLayer, NotUsable, Kept},
        {"door of another variation", [](auto& p) { return p.AddElement(API_DoorID); },
         Usability::NotClassifyableByAddon, Edit::Editable, NotUsable, FilteredOut},
        {"lamp of another variation", [](auto& p) { return p.AddElement(API_LampID, {.variation = APIVarId_Door}); },
         Usability::NotClassifyableByAddon, Edit::Editable, NotUsable, FilteredOut},
        {"dimension", [](auto& p) { return p.AddElement(API_DimensionID); }, Usability::NotClassifyableByAddon,
         Edit::Editable, NotUsable, FilteredOut},
        {"door", [](auto& p) { return p.AddElement(API_DoorID, {.variation = APIVarId_Door}); }, Usability::Editable,
         Edit::Editable, Usable, Kept},
        {"corner window", [](auto& p) { return p.AddElement(API_WindowID, {.variation = APIVarId_CornerWindow}); },
         Usability::Editable, Edit::Editable, Usable, Kept},
        {"single object", [](auto& p) { return p.AddElement(API_ObjectID, {.locked = true}); },
         Usability::ElementLocked, Edit::LockedOrOnLockedLayer, Usable, Kept},
        {"object owning others", [](auto& p) { return p.AddElement(API_ObjectID, {.hierarchicalKind = API_MainElem}); },
         Usability::NotClassifyableByAddon, Edit::Editable, NotUsable, Kept},
        {"object inside another", [](auto& p) { return p.AddElement(API_ObjectID, {.hierarchicalKind = API_SubElem}); },
         Usability::Editable, Edit::Editable, Usable, Kept},
        {"object of a kind the host does not know",
         [](auto& p) { return p.AddElement(API_ObjectID, {.hierarchicalKind = API_UnknownElemType}); },
         Usability::NotClassifyableByAddon, Edit::Editable, NotUsable, Kept},
        {"section element of a wall on a hidden layer",
         [](auto& p) { return p.AddSectionElement(OnLayer(p, {.hidden = true})); }, Usability::OnInvisibleLayer,
         Edit::LockedOrOnLockedLayer, Usable, Kept},
        {"deleted meanwhile", [](auto& p) { return p.AddElement(API_WallID); }, Usability::NotExists, Edit::NotExists,
         NotUsable, Kept, &Delete},
        {"on a hidden layer, deleted meanwhile", [](auto& p) { return OnLayer(p, {.hidden = true}); },
         Usability::NotExists, Edit::NotExists, NotUsable, Kept, &Delete},
        {"object deleted meanwhile", [](auto& p) { return p.AddElement(API_ObjectID); }, Usability::NotExists,
         Edit::NotExists, NotUsable, Kept, &Delete},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.state);
        TVSim::Project& project = TVSim::OpenProject();
        Implementation::Torvel tv;
        const API_Guid guid = row.make(project);
        const Model::Element element(tv, guid);
        if (row.meanwhile) row.meanwhile(project, guid);

        EXPECT_EQ(element.GetUsability(tv), row.usability);
        EXPECT_EQ(element.GetEditStatus(tv), row.edit);
        EXPECT_EQ(element.IsUsableForAssociation(tv), row.usable);
        EXPECT_EQ(element.IsTypeFilteredOut(), row.typeFilteredOut);
    }
}

TEST(ElementUsability, AHotlinkIsJudgedWithoutAskingTheHost) {
    TVSim::Project& project = TVSim::OpenProject();
    Implementation::Torvel tv;
    const Model::Element element(tv, project.AddElement(API_WallID, {.hotlink = PK::Guid::Generate()}));
    TVSim::Journal::Clear();
    EXPECT_EQ(element.GetUsability(tv), Usability::NotClassifyableHotlink);
    EXPECT_EQ(TVSim::Journal::GetCalls().size(), 0u);
}

TEST(ElementUsability, ASectionElementAnswersForTheElementItStandsFor) {
    TVSim::Project& project = TVSim::OpenProject();
    Implementation::Torvel tv;
    const API_Guid door = project.AddElement(API_DoorID, {.variation = APIVarId_Door, .story = 2});
    const API_Guid section = project.AddSectionElement(door);
    const Model::Element element(tv, section);
    EXPECT_EQ(element.GetGuid(), section);
    EXPECT_EQ(element.GetTrueGuid(), door);
    EXPECT_EQ(element.GetType(), Model::Element::Type(API_DoorID, APIVarId_Door));
    EXPECT_EQ(element.GetFloorIndex(), 2);

    // One standing for nothing keeps its own header.
    const API_Guid orphan = project.AddElement(API_SectElemID);
    EXPECT_EQ(Model::Element(tv, orphan).GetType().typeID, API_SectElemID);
    EXPECT_EQ(Model::Element(tv, orphan).GetUsability(tv), Usability::NotClassifyableByAddon);
}

TEST(ElementUsability, TypeNamesComeFromTheirListAndUnknownKindsSaySo) {
    TVSim::OpenProject();
    Implementation::Torvel tv;
    using Type = Model::Element::Type;
    EXPECT_EQ(Type(API_WallID, APIVarId_Generic).GetName(tv), "Wall");
    EXPECT_EQ(Type(API_WindowID, APIVarId_CornerWindow).GetName(tv), Type(API_WindowID, APIVarId_Generic).GetName(tv));
    EXPECT_EQ(Type(API_ObjectID, APIVarId_Object).GetName(tv), "Object");
    EXPECT_EQ(Type(API_OpeningID, APIVarId_Generic).GetName(tv), "Opening");

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
    Model::Element::Select(tv, {wall, gone, panel});
    PK::Array<API_Guid> selected = project.GetSelection();
    EXPECT_EQ(selected.GetSize(), 2u);
    EXPECT_TRUE(selected.Contains(wall));
    EXPECT_TRUE(selected.Contains(panel));
    EXPECT_EQ(log.MessagesStartingWith("APIERR_DELETED(-2130312914): Element was deleted meanwhile: ").size(), 1u);

    Model::Element::Select(tv, {});
    EXPECT_TRUE(project.GetSelection().IsEmpty());
}
