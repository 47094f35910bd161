// Every call the page makes into the model, as the page makes it (through
// the callbacks the manager registered with it), against the simulated host:
// the states it asks for, selecting instances, the types of the document,
// property updates, opened and associated specifications, associations, and
// calls about another document or a specification without connection.
#include <gtest/gtest.h>

#include <algorithm>

#include "Model/Issue/Collection.hpp"
#include "Model/PlanData.hpp"
#include "PK/Runnable.hpp"
#include "TVSim/Sim.hpp"
#include "Tessary/Api/AllState.hpp"
#include "support/AddOn.hpp"
#include "support/LogCapture.hpp"

using namespace TestSupport;
using TestSupport::LogCapture;

namespace {

const PK::UniString groupOfSpec1 = "Orvo Tessary: Project One / Spec 1";

// A project connected with spec-1, whose connection is selected.
struct Connected : AddOnProject {
    Connected() : connection(ConnectSpec(1)), plan(addOn->manager->PlanId()) { addOn->Take(); }

    Api::TessaryCallbackApi& Page() { return addOn->page->Model(); }
    void Select(const PK::Array<API_Guid>& elements) {
        sim.SetSelection(elements);
        Deliver();
    }
    API_Guid Definition(const PK::UniString& name) const {
        return sim.FindPropertyDefinition(sim.FindPropertyGroup(groupOfSpec1), name);
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
    bool Has(const std::string& line) {
        const Timeline& t = addOn->timeline;
        return std::find(t.begin(), t.end(), line) != t.end();
    }

    ConnectionPtr connection;
    PK::UniString plan;
};

Api::Properties Props(std::initializer_list<std::pair<const char*, const char*>> entries) {
    Api::Properties properties;
    for (const auto& [name, value] : entries) properties.Add(name, value);
    return properties;
}

}  // namespace

// ---- states ----

TEST(PageStates, TheApplicationAndDocumentStatesNameTheHostTheAddOnAndTheProject) {
    Connected s;
    TVSim::Application().mainVersion = 24;
    TVSim::Application().releaseVersion = 1;
    TVSim::Application().buildNum = 5000;
    const Api::AllState state = s.Page().Handle_getAllState();
    EXPECT_EQ(state.appState.app, "Pendrake Torvel");
    EXPECT_EQ(state.appState.appVersion, "24.1.5000");
    EXPECT_EQ(state.appState.pluginVersion, "1.3.1.0");
    EXPECT_EQ(state.appState.supportedFeatures,
              (PK::Array<PK::UniString>{"association", "selection", "objects", "verification"}));
    EXPECT_EQ(state.documentState.documentRef, s.plan);
    EXPECT_EQ(state.documentState.documentName, "Untitled");
    EXPECT_TRUE(state.selectionState.type.id.IsEmpty()) << "nothing selected";
}

TEST(PageStates, TheSelectionStateSaysWhichClausesTheSelectedElementsCarry) {
    Connected s;
    const API_Guid a1 = s.Associated("A10");
    const API_Guid a2 = s.Associated("A10");
    const API_Guid b = s.Associated("B20");
    const API_Guid loose = s.sim.AddElement(API_SlabID);
    // An element carrying a clause id this connection has no virtual type for.
    const API_Guid stranger = s.sim.AddElement(API_WallID);
    s.sim.Classify(stranger, s.Item("C30"));
    s.sim.SetPropertyText(stranger, s.Definition("OrvoTessaryClauseId"), "clause-elsewhere");

    s.Select({a1, a2, loose});
    const Api::AssociableType& mixed = s.addOn->page->selection.type;
    EXPECT_EQ(mixed.id, Model::selectionContainsUnassociatedElements);
    EXPECT_EQ(mixed.title, "1 elements without clause");
    EXPECT_EQ(mixed.subtitle, "1 selected elements have no clause yet");

    s.Select({a1, a2});
    const Api::AssociableType& one = s.addOn->page->selection.type;
    EXPECT_EQ(one.id, "clause-A10");
    EXPECT_EQ(one.title, "Selected clause");
    EXPECT_EQ(one.subtitle, "Every selected element has this clause");
    EXPECT_EQ(one.properties.Get("OrvoTessaryCode"), "A10");

    s.Select({a1, b});
    EXPECT_EQ(s.addOn->page->selection.type.id, Model::selectionMultipleVirtualTypes);
    EXPECT_EQ(s.addOn->page->selection.type.title, "Several clauses");

    s.Select({stranger});
    EXPECT_EQ(s.addOn->page->selection.type.id, Model::selectionMultipleVirtualTypes);

    EXPECT_EQ(s.Page().Handle_getAllState().selectionState.type.id, Model::selectionMultipleVirtualTypes)
        << "asked for, the page gets what it was sent";
}

// ---- selecting instances ----

TEST(PageSelectsInstances, OfAClauseOrOfAnElementTypeWithoutClauseAndZoomsToThem) {
    Connected s;
    const API_Guid a1 = s.Associated("A10");
    const API_Guid a2 = s.Associated("A10", API_SlabID);
    const API_Guid wall = s.sim.AddElement(API_WallID);
    s.sim.AddElement(API_SlabID);
    s.connection->UnassociatedElementsCache().Reset(false);

    s.Page().Handle_selectInstancesOfType("clause-A10");
    PK::Array<API_Guid> expected{a1, a2};
    std::sort(expected.begin(), expected.end(), TVSim::HostOrder());
    EXPECT_EQ(s.sim.GetSelection(), expected);
    ASSERT_EQ(s.sim.GetZooms().size(), 1u);

    s.Page().Handle_selectInstancesOfType("API_ElemTypeID-" + std::to_string(API_WallID) + "-0");
    EXPECT_EQ(s.sim.GetSelection(), PK::Array<API_Guid>{wall});
    EXPECT_EQ(s.sim.GetZooms().size(), 2u);
}

TEST(PageSelectsInstances, IdsThatNameNothingToSelectChangeNeitherSelectionNorView) {
    Connected s;
    const API_Guid wall = s.sim.AddElement(API_WallID);
    s.Select({wall});
    s.connection->UnassociatedElementsCache().Reset(false);
    LogCapture log;
    for (const PK::UniString& id :
         {Model::selectionContainsUnassociatedElements, Model::selectionMultipleVirtualTypes,
          PK::UniString("API_ElemTypeID-5"), PK::UniString("API_ElemTypeID-x-0"), PK::UniString("API_ElemTypeID-1-y"),
          PK::UniString("API_ElemTypeID-99-0"), PK::UniString("clause-without-elements")}) {
        s.Page().Handle_selectInstancesOfType(id);
        EXPECT_EQ(s.sim.GetSelection(), PK::Array<API_Guid>{wall}) << id.ToCStr();
        EXPECT_TRUE(s.sim.GetZooms().empty()) << id.ToCStr();
    }
    EXPECT_TRUE(log.Has(spdlog::level::err, "failed assertion: typeId.Split(\"-\", &idArray) == 3"));
    EXPECT_TRUE(log.Has(spdlog::level::err, "failed assertion: PK::UniStringToValue(idArray[1], typeID)"));
    EXPECT_TRUE(log.Has(spdlog::level::err, "failed assertion: PK::UniStringToValue(idArray[2], variantID)"));

    AddOnProject unconnected;
    unconnected.sim.SetSelection({unconnected.sim.AddElement(API_WallID)});
    Deliver();
    EXPECT_TRUE(unconnected.addOn->page->Model().Handle_getAllState().selectionState.type.id.IsEmpty());
    EXPECT_TRUE(unconnected.addOn->page->selection.type.id.IsEmpty()) << "no connection: the selection is none";
    unconnected.addOn->page->Model().Handle_selectInstancesOfType("API_ElemTypeID-1-0");
    EXPECT_TRUE(unconnected.sim.GetZooms().empty()) << "no connection selected";
}

// ---- types of the document ----

TEST(PageAsksForTypes, VirtualTypesFirstThenElementTypesAndEveryMissingPropertyReadsAQuestionMark) {
    Connected s;
    s.Associated("A10");
    s.sim.AddElement(API_WallID);
    s.sim.AddElement(API_WallID);
    s.connection->UnassociatedElementsCache().Reset(false);

    const PK::Array<Api::AssociableType> types =
        s.Page().Handle_getAllTypesInDocument("ignored", {"OrvoTessaryCode", "Colour"});
    ASSERT_EQ(types.GetSize(), 2u);
    EXPECT_EQ(types[0].id, "clause-A10");
    EXPECT_EQ(types[0].properties.Get("OrvoTessaryCode"), "A10") << "a value it has stays";
    EXPECT_EQ(types[0].properties.Get("Colour"), "?");
    EXPECT_EQ(types[1].id, "API_ElemTypeID-" + std::to_string(API_WallID) + "-0");
    EXPECT_EQ(types[1].title, "Wall: 2");
    EXPECT_EQ(types[1].properties, Props({{"OrvoTessaryCode", "?"}, {"Colour", "?"}}));

    AddOnProject unconnected;
    EXPECT_TRUE(unconnected.addOn->page->Model().Handle_getAllTypesInDocument("", {"Colour"}).IsEmpty());
}

// ---- property updates ----

TEST(PageUpdatesProperties, OfTheClausesItsConnectionsHaveAndNamesTheOthers) {
    Connected s;
    const API_Guid element = s.Associated("A10");
    PK::HashTable<PK::UniString, Api::Properties> update;
    update.Add("clause-A10", Props({{"OrvoTessaryTitle", "Renamed clause"}}));
    update.Add("clause-unknown", Props({{"OrvoTessaryTitle", "Nobody's"}}));

    LogCapture log;
    s.Page().Handle_updateProperties("another-document", "", update);
    EXPECT_EQ(s.sim.GetPropertyText(element, s.Definition("OrvoTessaryTitle")), "Title");
    EXPECT_TRUE(
        log.Has(spdlog::level::warn, "assert: planId(\"" + Text(s.plan) + "\"), documentRef(\"another-document\")"));

    s.Page().Handle_updateProperties(s.plan, "", update);
    EXPECT_EQ(s.sim.GetPropertyText(element, s.Definition("OrvoTessaryTitle")), "Renamed clause");
    const auto missing = log.MessagesStartingWith("Not existing types are expected by tessary: \"clause-unknown\", {");
    EXPECT_EQ(missing.size(), 1u);
}

// ---- opened and associated specifications ----

TEST(PageOpensSpecification, ItsConnectionIsSelectedAndTitlesTakenOverButNotOneWithoutConnectionOrOfAnotherProject) {
    Connected s;
    s.ConnectSpec(2);
    s.addOn->Take();
    s.Page().Handle_specOpened("project-1", "spec-1", "Project One", "Spec One Renamed");
    EXPECT_EQ(s.addOn->manager->GetSelectedConnection(), s.connection);
    EXPECT_EQ(s.connection->TessarySpecificationTitle(), "Spec One Renamed");
    EXPECT_NE(s.sim.FindPropertyGroup("Orvo Tessary: Project One / Spec One Renamed"), APINULLGuid);
    EXPECT_EQ(s.addOn->Take(),
              (Timeline{"page SetSelectionState(null)", "SelectedConnectionChanged(spec-1)", "ConnectionsChanged"}));

    s.Page().Handle_specOpened("project-1", "spec-1", "Project One", "Spec One Renamed");
    EXPECT_TRUE(s.addOn->Take().empty()) << "selected already, titles unchanged";

    s.addOn->manager->SelectConnectionById("spec-2");
    s.addOn->Take();
    LogCapture log;
    s.Page().Handle_specOpened("project-1", "spec-9", "Project One", "Spec Nine");
    s.Page().Handle_specOpened("project-other", "spec-1", "Project One", "Spec 1");
    EXPECT_EQ(s.addOn->manager->GetSelectedConnection()->TessarySpecificationId(), "spec-2");
    EXPECT_TRUE(s.addOn->Take().empty());
    EXPECT_TRUE(log.Has(spdlog::level::info,
                        "Tessary opened a specification which is not associated spec(\"spec-9\", \"Spec Nine\")."));
    EXPECT_TRUE(log.Has(spdlog::level::err, "failed assertion: conn->TessaryProjectId() == projectId"));
}

TEST(PageRequestsAssociation, AConnectedSpecificationIsMarkedDisconnectedBeforeThePaletteHears) {
    Connected s;
    struct Palette : Model::ManagerObserver {
        void ManagerEvent_AssociationWithSpecificationRequested(const std::shared_ptr<Model::Manager>& manager,
                                                                const PK::UniString&, const PK::UniString&,
                                                                const PK::UniString& specId, const PK::UniString&,
                                                                const PK::UniString&) override {
            sawDisconnected = manager->GetConnection(specId)->IsDisconnected();
        }
        bool sawDisconnected = false;
    } palette;
    s.addOn->manager->Attach(palette);
    s.Page().Handle_specAssociationRequested("project-1", "spec-1", "Project One", "Spec 1", "ignored", "standard");
    EXPECT_TRUE(palette.sawDisconnected);
    EXPECT_EQ(s.addOn->Take(),
              (Timeline{"AssociationWithSpecificationRequested(project-1, Project One, spec-1, Spec 1, standard)"}));
    s.addOn->manager->Detach(palette);
}

// ---- removing a specification's association ----

// For another document or a missing connection only the page is answered;
// otherwise the connection goes and only the selected one is deselected.
TEST(PageRemovesSpecAssociation, DisconnectsOnlyItsOwnConnection) {
    Connected s;
    LogCapture log;
    s.Page().Handle_removeSpecAssociationRequested("project-1", "spec-1", "another-document");
    s.Page().Handle_removeSpecAssociationRequested("project-1", "spec-9", s.plan);
    EXPECT_FALSE(s.connection->IsDeleted());
    EXPECT_EQ(s.addOn->Take(), (Timeline{"page RemoveSpecAssociation(spec-1, another-document)",
                                         "page RemoveSpecAssociation(spec-9, " + Text(s.plan) + ")"}));
    EXPECT_TRUE(log.Has(spdlog::level::warn,
                        "Tessary thinks the plan is connected to this specification but we dont have Connection. "
                        "\"spec-9\", \"project-1\""));

    const ConnectionPtr second = s.ConnectSpec(2);
    s.addOn->Take();
    s.Page().Handle_removeSpecAssociationRequested("project-1", "spec-1", s.plan);
    EXPECT_TRUE(s.connection->IsDeleted());
    EXPECT_EQ(s.addOn->Take(),
              (Timeline{"ConnectionLoadedToBeDisconnected(spec-1)",
                        "page RemoveSpecAssociation(spec-1, " + Text(s.plan) + ")", "ConnectionsChanged"}));

    s.Page().Handle_removeSpecAssociationRequested("project-other", "spec-2", s.plan);
    EXPECT_TRUE(second->IsDeleted()) << "a project id that differs is logged, not obeyed";
    EXPECT_FALSE(log.MessagesStartingWith("failed assertion: projectId == conn->TessaryProjectId(), "
                                          "projectId(\"project-other\"), *conn(")
                     .empty());
    EXPECT_EQ(s.addOn->Take(),
              (Timeline{"ConnectionLoadedToBeDisconnected(spec-2)",
                        "page RemoveSpecAssociation(spec-2, " + Text(s.plan) + ")", "ConnectionsChanged",
                        "page SetSelectionState(null)", "SelectedConnectionChanged(none)"}));
}

// ---- associations ----

TEST(PageAssociates, TheSelectedElementsWithTheClauseAndTheSpecificationWithoutConnectionIsReported) {
    Connected s;
    const API_Guid wall = s.sim.AddElement(API_WallID);
    const API_Guid slab = s.sim.AddElement(API_SlabID);
    s.Select({wall, slab});
    s.addOn->Take();

    s.Page().Handle_associationRequested("ignored", "spec-9", "clause-A10", Clause("clause-A10", "A10"));
    EXPECT_EQ(s.sim.GetItemOf(wall, s.System(1)), APINULLGuid);
    EXPECT_EQ(s.addOn->Take(), (Timeline{"ErrorTessaryAssociationRequestedButConnectionDoesNotExist"}));

    s.Page().Handle_associationRequested("ignored", "spec-1", "clause-A10", Clause("clause-A10", "A10"));
    EXPECT_EQ(s.sim.GetItemOf(wall, s.System(1)), s.Item("A10"));
    EXPECT_EQ(s.sim.GetItemOf(slab, s.System(1)), s.Item("A10"));
    EXPECT_TRUE(s.Has("page Associate(clause-A10, clause-A10)"));
}

TEST(PageRemovesAssociation, OfTheSelectedElementsEvenWhenTheTypeIdDiffersFromTheClause) {
    Connected s;
    const API_Guid wall = s.Associated("A10");
    s.Select({wall});
    LogCapture log;

    s.Page().Handle_removeAssociationRequested("clause-A10", "spec-9", "clause-A10", Clause("clause-A10", "A10"));
    EXPECT_EQ(s.sim.GetItemOf(wall, s.System(1)), s.Item("A10"));
    EXPECT_FALSE(log.MessagesStartingWith("why are we heretypeId(\"clause-A10\"), specId(\"spec-9\")").empty());

    s.Page().Handle_removeAssociationRequested("other-type", "spec-1", "clause-A10", Clause("clause-A10", "A10"));
    EXPECT_EQ(s.sim.GetItemOf(wall, s.System(1)), APINULLGuid);
    EXPECT_FALSE(log.MessagesStartingWith("failed assertion: typeId == clauseId, *conn(").empty());
}

TEST(PageGoesOnlineOrOffline, ThePaletteHearsItAndThePageNeverKeepsTheModelAlive) {
    Connected s;
    s.Page().Handle_tvt_onlineStateChanged(false);
    s.Page().Handle_tvt_onlineStateChanged(true);
    EXPECT_EQ(s.addOn->Take(), (Timeline{"OnlineStateChanged(offline)", "OnlineStateChanged(online)"}));
    const std::shared_ptr<RecordingPage> page = s.addOn->page;
    s.addOn.reset();
    EXPECT_EQ(page->GetCallbackApi(), nullptr) << "a page never keeps the model alive";
}
