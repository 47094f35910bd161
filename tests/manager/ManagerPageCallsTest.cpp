// Every call the page makes into the model, through the callbacks the manager registered with it.
#include <gtest/gtest.h>

#include <algorithm>

#include "TVSim/Sim.hpp"
#include "Tessary/Api/AllState.hpp"
#include "support/AddOn.hpp"
#include "support/LogCapture.hpp"

using namespace TestSupport;

namespace {

// A project connected with spec-1, whose connection is selected.
struct Connected : AddOnProject {
    Connected() : connection(ConnectSpec(1)), plan(addOn->manager->PlanId()) { addOn->Take(); }

    Api::TessaryCallbackApi& Page() { return addOn->page->Model(); }
    // Selects the elements in the host; what the page was sent: "id | title | subtitle".
    std::string Select(const PK::Array<API_Guid>& elements) {
        sim.SetSelection(elements);
        Deliver();
        const Api::AssociableType& type = addOn->page->selection.type;
        return Text(type.id) + " | " + Text(type.title) + " | " + Text(type.subtitle);
    }
    PK::UniString TitleOf(const API_Guid& element) const {
        return sim.GetPropertyText(element, connection->PropertyGroup().GetPropertyGuid("OrvoTessaryTitle"));
    }
    // An element of the type associated with the clause of the code, the way an association leaves it.
    API_Guid Associated(const char* code, API_ElemTypeID type = API_WallID) {
        const API_Guid element = sim.AddElement(type);
        const std::string clauseId = std::string("clause-") + code;
        connection->Cmd_AssociateElementsToVirtualType(clauseId.c_str(), Clause(clauseId.c_str(), code), {element},
                                                       false);
        EXPECT_EQ(sim.GetItemOf(element, System()), Item(code)) << "the association failed";
        return element;
    }
    API_Guid ItemOf(const API_Guid& element) const { return sim.GetItemOf(element, System()); }
    // What the palette heard and the page was sent since the last time, one entry after the other.
    std::string Heard() { return fmt::format("{}", fmt::join(addOn->Take(), ", ")); }

    ConnectionPtr connection;
    PK::UniString plan;
};

Api::Properties Props(std::initializer_list<std::pair<const char*, const char*>> entries) {
    Api::Properties properties;
    for (const auto& [name, value] : entries) properties.Add(name, value);
    return properties;
}

}  // namespace

TEST(PageStates, NameTheHostTheAddOnTheProjectAndTheClausesTheSelectedElementsCarry) {
    Connected s;
    TVSim::Application().mainVersion = 24;
    TVSim::Application().releaseVersion = 1;
    TVSim::Application().buildNum = 5000;
    const Api::AllState state = s.Page().Handle_getAllState();
    EXPECT_EQ(Text(state.appState.app) + " " + Text(state.appState.appVersion) + ", " +
                  Text(state.appState.pluginVersion) + ", " + Text(state.documentState.documentName),
              "Pendrake Torvel 24.1.5000, 1.3.1.0, Untitled");
    EXPECT_EQ(state.appState.supportedFeatures,
              (PK::Array<PK::UniString>{"association", "selection", "objects", "verification"}));
    EXPECT_EQ(state.documentState.documentRef, s.plan);
    EXPECT_TRUE(state.selectionState.type.id.IsEmpty()) << "nothing selected";

    const API_Guid a1 = s.Associated("A10"), a2 = s.Associated("A10"), b = s.Associated("B20");
    // An element carrying a clause id this connection has no virtual type for.
    const API_Guid stranger = s.AddAssociated(*s.connection, "clause-elsewhere", "C30");
    const std::string several = Text(Model::selectionMultipleVirtualTypes) + " | Several clauses | ";
    EXPECT_EQ(s.Select({a1, a2, s.sim.AddElement(API_SlabID)}),
              Text(Model::selectionContainsUnassociatedElements) +
                  " | 1 elements without clause | 1 selected elements have no clause yet");
    EXPECT_EQ(s.Select({a1, a2}), "clause-A10 | Selected clause | Every selected element has this clause");
    EXPECT_EQ(s.addOn->page->selection.type.properties.Get("OrvoTessaryCode"), "A10");
    EXPECT_EQ(s.Select({a1, b}).substr(0, several.size()), several);
    EXPECT_EQ(s.Select({stranger}).substr(0, several.size()), several);
    EXPECT_EQ(s.Page().Handle_getAllState().selectionState.type.id, Model::selectionMultipleVirtualTypes)
        << "asked for, the page gets what it was sent";
}

// Selecting zooms to the instances; the types list clauses first, then element types without clause.
TEST(PageSelectsInstancesAndAsksForTypes, OfClausesAndOfElementTypesWithoutClause) {
    Connected s;
    const API_Guid a1 = s.Associated("A10"), a2 = s.Associated("A10", API_SlabID);
    const API_Guid wall = s.sim.AddElement(API_WallID);
    s.sim.AddElement(API_WallID);
    s.Select({wall});
    s.connection->UnassociatedElementsCache().Reset(false);
    const PK::Array<Api::AssociableType> types =
        s.Page().Handle_getAllTypesInDocument("ignored", {"OrvoTessaryCode", "Colour"});
    // A value it has stays; a property it lacks reads a question mark.
    ASSERT_EQ(types.GetSize(), 2u);
    EXPECT_EQ(types[0].id, "clause-A10");
    EXPECT_EQ(Text(types[0].properties.Get("OrvoTessaryCode")) + Text(types[0].properties.Get("Colour")), "A10?");
    const PK::UniString walls = "API_ElemTypeID-" + std::to_string(API_WallID) + "-0";
    EXPECT_EQ(Text(types[1].id) + " " + Text(types[1].title), Text(walls) + " Wall: 2");
    EXPECT_EQ(types[1].properties, Props({{"OrvoTessaryCode", "?"}, {"Colour", "?"}}));

    for (const PK::UniString& id : {Model::selectionContainsUnassociatedElements, Model::selectionMultipleVirtualTypes,
                                    PK::UniString("clause-without-elements")}) {
        s.Page().Handle_selectInstancesOfType(id);
        EXPECT_EQ(s.sim.GetSelection(), PK::Array<API_Guid>{wall}) << id.ToCStr() << " names nothing to select";
        EXPECT_TRUE(s.sim.GetZooms().empty()) << id.ToCStr();
    }

    s.Page().Handle_selectInstancesOfType("clause-A10");
    PK::Array<API_Guid> expected{a1, a2};
    std::sort(expected.begin(), expected.end(), TVSim::HostOrder());
    EXPECT_EQ(s.sim.GetSelection(), expected);
    EXPECT_EQ(s.sim.GetZooms().size(), 1u);
    s.Page().Handle_selectInstancesOfType(walls);
    EXPECT_EQ(s.sim.GetSelection().GetSize() + s.sim.GetZooms().size(), 4u) << "the two walls, one more zoom";
}

TEST(PageWithoutConnection, GetsNoSelectionNoTypesAndNoZoom) {
    AddOnProject s;
    s.sim.SetSelection({s.sim.AddElement(API_WallID)});
    Deliver();
    Api::TessaryCallbackApi& page = s.addOn->page->Model();
    EXPECT_TRUE(page.Handle_getAllState().selectionState.type.id.IsEmpty());
    EXPECT_TRUE(s.addOn->page->selection.type.id.IsEmpty()) << "no connection: the selection is none";
    EXPECT_TRUE(page.Handle_getAllTypesInDocument("", {"Colour"}).IsEmpty());
    page.Handle_selectInstancesOfType("API_ElemTypeID-1-0");
    EXPECT_TRUE(s.sim.GetZooms().empty());
}

TEST(PageUpdatesProperties, OfTheClausesItsConnectionsHaveAndNamesTheOthers) {
    Connected s;
    const API_Guid element = s.Associated("A10");
    PK::HashTable<PK::UniString, Api::Properties> update;
    update.Add("clause-A10", Props({{"OrvoTessaryTitle", "Renamed clause"}}));
    update.Add("clause-unknown", Props({{"OrvoTessaryTitle", "Nobody's"}}));
    LogCapture log;
    s.Page().Handle_updateProperties("another-document", "", update);
    EXPECT_EQ(s.TitleOf(element), "Title");
    EXPECT_TRUE(
        log.Has(spdlog::level::warn, "assert: planId(\"" + Text(s.plan) + "\"), documentRef(\"another-document\")"));

    s.Page().Handle_updateProperties(s.plan, "", update);
    EXPECT_EQ(s.TitleOf(element), "Renamed clause");
    EXPECT_EQ(log.MessagesStartingWith("Not existing types are expected by tessary: \"clause-unknown\", {").size(), 1u);
}

TEST(PageOpensSpecification, ItsConnectionIsSelectedAndTitlesTakenOverButNotOneWithoutConnectionOrOfAnotherProject) {
    Connected s;
    s.ConnectSpec(2);
    s.addOn->Take();
    for (int i = 0; i < 2; ++i) s.Page().Handle_specOpened("project-1", "spec-1", "Project One", "Spec One Renamed");
    EXPECT_EQ(s.addOn->manager->GetSelectedConnection(), s.connection);
    EXPECT_EQ(s.connection->TessarySpecificationTitle(), "Spec One Renamed");
    EXPECT_NE(s.sim.FindPropertyGroup("Orvo Tessary: Project One / Spec One Renamed"), APINULLGuid);
    EXPECT_EQ(s.Heard(), "page SetSelectionState(null), SelectedConnectionChanged(spec-1), ConnectionsChanged")
        << "the second time: selected already, titles unchanged";

    s.addOn->manager->SelectConnectionById("spec-2");
    s.addOn->Take();
    s.Page().Handle_specOpened("project-1", "spec-9", "Project One", "Spec Nine");
    s.Page().Handle_specOpened("project-other", "spec-1", "Project One", "Spec 1");
    EXPECT_EQ(s.addOn->manager->GetSelectedConnection()->TessarySpecificationId(), "spec-2");
    EXPECT_TRUE(s.addOn->Take().empty());
}

TEST(PageRequestsAssociation, AConnectedSpecificationIsMarkedDisconnectedBeforeThePaletteHears) {
    Connected s;
    s.Page().Handle_specAssociationRequested("project-1", "spec-1", "Project One", "Spec 1", "ignored", "standard");
    EXPECT_EQ(s.Heard(),
              "AssociationWithSpecificationRequested(project-1, Project One, spec-1, Spec 1, standard) of "
              "a disconnected connection");
}

TEST(PageRemovesSpecAssociation, DisconnectsOnlyItsOwnConnection) {
    Connected s;
    s.ConnectSpec(2);
    s.addOn->Take();
    LogCapture log;
    s.Page().Handle_removeSpecAssociationRequested("project-1", "spec-1", "another-document");
    s.Page().Handle_removeSpecAssociationRequested("project-1", "spec-9", s.plan);
    EXPECT_FALSE(s.connection->IsDeleted());
    EXPECT_EQ(s.Heard(), "page RemoveSpecAssociation(spec-1, another-document), page RemoveSpecAssociation(spec-9, " +
                             Text(s.plan) + ")");
    EXPECT_TRUE(log.Has(spdlog::level::warn,
                        "Tessary thinks the plan is connected to this specification but we dont have Connection. "
                        "\"spec-9\", \"project-1\""));

    s.Page().Handle_removeSpecAssociationRequested("project-other", "spec-1", s.plan);
    EXPECT_TRUE(s.connection->IsDeleted()) << "a project id that differs is logged, not obeyed";
    EXPECT_EQ(s.Heard(), "ConnectionLoadedToBeDisconnected(spec-1), page RemoveSpecAssociation(spec-1, " +
                             Text(s.plan) + "), ConnectionsChanged");
}

// The page names the clause; the host's selection says which elements.
TEST(PageAssociates, TheSelectedElementsWithTheClauseAndRemovesTheirAssociationEvenWhenTheTypeIdDiffers) {
    Connected s;
    const API_Guid wall = s.sim.AddElement(API_WallID);
    const API_Guid slab = s.sim.AddElement(API_SlabID);
    s.Select({wall, slab});
    s.addOn->Take();
    LogCapture log;
    s.Page().Handle_associationRequested("ignored", "spec-9", "clause-A10", Clause("clause-A10", "A10"));
    EXPECT_EQ(s.ItemOf(wall), APINULLGuid);
    EXPECT_EQ(s.Heard(), "ErrorTessaryAssociationRequestedButConnectionDoesNotExist");
    s.Page().Handle_associationRequested("ignored", "spec-1", "clause-A10", Clause("clause-A10", "A10"));
    EXPECT_EQ(s.ItemOf(wall), s.Item("A10"));
    EXPECT_EQ(s.ItemOf(slab), s.Item("A10"));
    const Timeline heard = s.addOn->Take();
    EXPECT_NE(std::find(heard.begin(), heard.end(), "page Associate(clause-A10, clause-A10)"), heard.end());

    s.Select({wall});
    s.Page().Handle_removeAssociationRequested("clause-A10", "spec-9", "clause-A10", Clause("clause-A10", "A10"));
    EXPECT_EQ(s.ItemOf(wall), s.Item("A10"));
    EXPECT_FALSE(log.MessagesStartingWith("why are we heretypeId(\"clause-A10\"), specId(\"spec-9\")").empty());
    s.Page().Handle_removeAssociationRequested("other-type", "spec-1", "clause-A10", Clause("clause-A10", "A10"));
    EXPECT_EQ(s.ItemOf(wall), APINULLGuid);
    EXPECT_EQ(s.ItemOf(slab), s.Item("A10"));
}

TEST(PageGoesOnlineOrOffline, ThePaletteHearsItAndThePageNeverKeepsTheModelAlive) {
    Connected s;
    s.Page().Handle_tvt_onlineStateChanged(false);
    s.Page().Handle_tvt_onlineStateChanged(true);
    EXPECT_EQ(s.Heard(), "OnlineStateChanged(offline), OnlineStateChanged(online)");
    const std::shared_ptr<RecordingPage> page = s.addOn->page;
    s.addOn.reset();
    EXPECT_EQ(page->GetCallbackApi(), nullptr);
}
