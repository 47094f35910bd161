#include <gtest/gtest.h>

#include "Model/Element.hpp"
#include "TVSim/Sim.hpp"
#include "Torvel/Implementation/Torvel.hpp"

using namespace TessaryConnect;
using Model::Element;
using Usability = Element::Usability;

namespace {

using Make = std::function<API_Guid(TVSim::Project&)>;
Make Of(API_ElemTypeID type, TVSim::ElementOptions options = {}) {
    return [=](TVSim::Project& p) { return p.AddElement(type, options); };
}
API_Guid OnLayer(TVSim::Project& p, TVSim::LayerOptions layer) {
    return p.AddElement(API_WallID, {.layer = p.AddLayer("L", layer)});
}
Make OnLayer(TVSim::LayerOptions layer) {
    return [=](TVSim::Project& p) { return OnLayer(p, layer); };
}

}  // namespace

// Rows in a shared project: "<usability> <usable: 1 or 0>".
TEST(ElementUsability, EachElementStateDecidesWhetherAndWhyItCanBeAssociated) {
    const auto other = TVSim::Reservation::OtherMember;
    const auto hotlink = PK::Guid::Generate();
    const std::vector<std::tuple<const char*, Make, const char*>> rows = {
        {"editable", Of(API_WallID), "Editable 1"},
        {"locked", Of(API_WallID, {.locked = true}), "ElementLocked 1"},
        {"on a locked layer", OnLayer({.locked = true}), "OnLockedLayer 1"},
        {"on a hidden layer", OnLayer({.hidden = true}), "OnInvisibleLayer 1"},
        {"another member's", Of(API_WallID, {.reservation = other}), "NotInMyWorkspace 1"},
        {"hotlinked, locked", Of(API_WallID, {.locked = true, .hotlink = hotlink}), "NotClassifyableHotlink 0"},
        {"door of another variation", Of(API_DoorID), "NotClassifyableByAddon 0"},
        {"object owning others", Of(API_ObjectID, {.hierarchicalKind = API_MainElem}), "NotClassifyableByAddon 0"},
        {"object inside another", Of(API_ObjectID, {.hierarchicalKind = API_SubElem}), "Editable 1"},
        {"object of unknown kind", Of(API_ObjectID, {.hierarchicalKind = API_UnknownElemType}),
         "NotClassifyableByAddon 0"},
        {"section element standing for nothing", Of(API_SectElemID), "NotClassifyableByAddon 0"},
        {"section element of a wall on a hidden layer",
         [](auto& p) { return p.AddSectionElement(OnLayer(p, {.hidden = true})); }, "OnInvisibleLayer 1"},
        // Deleted after it was read, before it is judged.
        {"on a hidden layer, deleted meanwhile", OnLayer({.hidden = true}), "NotExists 0"},
    };
    for (const auto& [state, make, expected] : rows) {
        TVSim::Project& project = TVSim::OpenProject();
        project.SetShared(true);
        Implementation::Torvel tv;
        const API_Guid guid = make(project);
        const Element element(tv, guid);
        if (std::string(state).ends_with("meanwhile")) project.DeleteElement(guid);
        EXPECT_EQ(fmt::format("{} {:d}", element.GetUsability(tv), element.IsUsableForAssociation(tv)), expected)
            << state;
    }
}

TEST(ElementType, KindsAreEnumeratedInTheTablesOrderAndNamedFromTheirList) {
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
}
