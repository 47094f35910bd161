// A connection's property group in the project, and what the user may do to
// it and its definitions behind the add-on's back.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "Model/Errors.hpp"
#include "Model/PropertyGroup.hpp"
#include "Torvel/Api/Error.hpp"
#include "support/HostCalls.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"

using namespace TestSupport;
using TestSupport::LogCapture;

namespace {

const PK::UniString groupOne = "Orvo Tessary: Project One / Spec One";

// The host lists groups in its own order.
std::set<std::string> GroupNames(const TVSim::Project& sim) {
    std::set<std::string> names;
    for (const API_Guid& group : sim.GetPropertyGroups()) names.insert(sim.GetPropertyGroup(group).group.name.ToCStr());
    return names;
}

// What the user does in the host's own dialogs: a command of the host, no add-on involved.
void RenameGroupAsTheUser(Project& p, const API_Guid& group, const PK::UniString& name) {
    API_PropertyGroup record = p.sim.GetPropertyGroup(group).group;
    record.name = name;
    ASSERT_EQ(TestSupport::InHostCommand([&] { return TVAPI_Property_ChangePropertyGroup(record); }), NoError);
}

}  // namespace

TEST(PropertyGroup, AHostThatRefusesEveryNameEndsTheRetriesWithItsNameClash) {
    struct Row {
        const char* step;
        const char* function;
        std::function<void(Project&, const ConnectionPtr&)> run;
    };
    const std::vector<Row> rows = {
        {"creating the group", "TVAPI_Property_CreatePropertyGroup",
         [](Project& p, const ConnectionPtr&) { p.Connect("spec-2"); }},
        {"creating a definition", "TVAPI_Property_CreatePropertyDefinition",
         [](Project& p, const ConnectionPtr&) { p.Connect("spec-2"); }},
        {"renaming the group", "TVAPI_Property_ChangePropertyGroup",
         [](Project& p, const ConnectionPtr& c) {
             InCommand(*p.tv, [&] { c->PropertyGroup().UpdateTitle("S2", "P2"); });
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.step);
        Project p;
        const ConnectionPtr connection = p.Connect("spec-1");
        TVSim::Faults::FailAlways(row.function, APIERR_NAMEALREADYUSED);
        TVSim::Journal::Clear();
        EXPECT_THROW(row.run(p, connection), Api::Error<APIERR_NAMEALREADYUSED>);
        EXPECT_EQ(TVSim::Journal::Count(row.function), static_cast<PK::USize>(Model::PropertyGroup::maxNameAttempts));
        TVSim::Faults::Clear();
    }
}

TEST(PropertyGroup, AGroupNameTakenByAnotherGetsOneMoreStarEachTimeWhenConnectingOrRenaming) {
    Project p;
    const ConnectionPtr connection = p.Connect("spec-1");
    p.Connect("spec-2");
    p.Connect("spec-3");
    EXPECT_EQ(GroupNames(p.sim),
              (std::set<std::string>{"Orvo Tessary: Project One / Spec One", "Orvo Tessary: Project One / Spec One*",
                                     "Orvo Tessary: Project One / Spec One**"}));

    const API_Guid group = p.GroupOf(groupOne);
    p.sim.AddPropertyGroup("Orvo Tessary: Project Two / Spec Two");

    LogCapture log;
    InCommand(*p.tv, [&] { connection->PropertyGroup().UpdateTitle("Spec Two", "Project Two"); });
    EXPECT_EQ(p.sim.GetPropertyGroup(group).group.name, PK::UniString("Orvo Tessary: Project Two / Spec Two*"));
    EXPECT_EQ(log.MessagesStartingWith("Name is already exists: property group(").size(), 1u);

    // An empty title stands for the connection's own.
    InCommand(*p.tv, [&] { connection->PropertyGroup().UpdateTitle("", "Project Three"); });
    EXPECT_EQ(p.sim.GetPropertyGroup(group).group.name, PK::UniString("Orvo Tessary: Project Three / Spec One"));
}

TEST(PropertyGroup, TheUserRenamingTheGroupOrADefinitionChangesNothingForTheConnection) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    const API_Guid group = p.GroupOf(groupOne);
    const API_Guid code = p.DefinitionOf(group, "OrvoTessaryCode");
    RenameGroupAsTheUser(p, group, "My clauses");
    API_PropertyDefinition definition = p.sim.GetPropertyDefinition(code).definition;
    definition.name = "Code";
    ASSERT_EQ(TestSupport::InHostCommand([&] { return TVAPI_Property_ChangePropertyDefinition(definition); }), NoError);

    const Model::PropertyGroup& properties = connection->PropertyGroup();
    EXPECT_NO_THROW(properties.Check());
    EXPECT_TRUE(properties.IsExistsProperty("OrvoTessaryCode"));
    EXPECT_EQ(properties.GetPropertyGuid("OrvoTessaryCode"), code);

    // Removing the group deletes it, whatever its name now.
    InCommand(*p.tv, [&] { connection->PropertyGroup().Remove(); });
    EXPECT_TRUE(p.sim.GetPropertyGroups().IsEmpty());
}

TEST(PropertyGroup, AGroupTheUserDeletedIsReportedMissingAndRemovingItOnlyForgetsIt) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    p.sim.DeletePropertyGroup(p.GroupOf(groupOne));
    Model::PropertyGroup& group = connection->PropertyGroup();

    LogCapture log;
    EXPECT_FALSE(group.IsExists());
    EXPECT_EQ(log.MessagesStartingWith("Has the user deleted the property group(").size(), 1u);
    EXPECT_THROW(group.Check(), Model::Error::MissingPropertyGroup);
    EXPECT_THROW(InCommand(*p.tv, [&] { group.UpdateTitle("S", "P"); }), Model::Error::MissingPropertyGroup);
    EXPECT_THROW(InCommand(*p.tv, [&] { group.CreatePropertyIfNotExists("OrvoTessaryCode"); }),
                 Model::Error::MissingPropertyGroup);

    log.Clear();
    InCommand(*p.tv, [&] { group.Remove(); });
    EXPECT_EQ(log.MessagesStartingWith("The user probably already deleted the PropertyGroup(").size(), 1u);
    EXPECT_FALSE(group.IsExistsProperty("OrvoTessaryCode"));
    EXPECT_EQ(fmt::format("{}", group),
              "{ _guid: \"00000000-0000-0000-0000-000000000000\", _tessaryPropertyNameToDefinitionGuids: {} }");

    // Nothing left to delete: no host call.
    TVSim::Journal::Clear();
    InCommand(*p.tv, [&] { group.Remove(); });
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Property_DeletePropertyGroup"), 0u);
}

TEST(PropertyGroup, ADefinitionTheUserDeletedIsMissingByNameUntilMadeAgainOrAdoptedFromTheUser) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    const API_Guid group = p.GroupOf(groupOne);
    p.sim.DeletePropertyDefinition(p.DefinitionOf(group, "OrvoTessaryTitle"));
    Model::PropertyGroup& properties = connection->PropertyGroup();

    LogCapture log;
    EXPECT_FALSE(properties.IsExistsProperty("OrvoTessaryTitle"));
    const auto& warning = log.Records().back();
    EXPECT_EQ(warning.level, spdlog::level::warn);
    EXPECT_TRUE(warning.message.starts_with("APIERR_BADID(-2130313115), ")) << warning.message;
    try {
        properties.GetPropertyGuid("OrvoTessaryTitle");
        ADD_FAILURE() << "no error";
    } catch (const Model::Error::MissingProperty& e) {
        EXPECT_STREQ(e.what(), "MissingProperty: OrvoTessaryTitle");
    }

    InCommand(*p.tv, [&] { properties.CreatePropertyIfNotExists("OrvoTessaryTitle"); });
    const API_Guid remade = p.DefinitionOf(group, "OrvoTessaryTitle");
    ASSERT_FALSE(remade.IsNull());
    EXPECT_EQ(properties.GetPropertyGuid("OrvoTessaryTitle"), remade);

    // One the user made again with a clause property's name is adopted, not duplicated.
    p.sim.DeletePropertyDefinition(p.DefinitionOf(group, "OrvoTessaryCode"));
    const API_Guid usersOwn = p.sim.AddPropertyDefinition(group, "OrvoTessaryCode");
    TVSim::Journal::Clear();
    InCommand(*p.tv, [&] { connection->PropertyGroup().CreatePropertyIfNotExists("OrvoTessaryCode"); });
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Property_CreatePropertyDefinition"), 0u);
    EXPECT_TRUE(
        log.Has(spdlog::level::info, "Did the user manually created a property with the name(\"OrvoTessaryCode\")"));
    EXPECT_EQ(connection->PropertyGroup().GetPropertyGuid("OrvoTessaryCode"), usersOwn);

    // A definition that is there already is left alone.
    TVSim::Journal::Clear();
    InCommand(*p.tv, [&] { connection->PropertyGroup().CreatePropertyIfNotExists("OrvoTessaryCode"); });
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Property_GetPropertyDefinitions"), 0u);
}

TEST(PropertyGroup, WithoutTheRightToChangePropertiesConnectingFailsWithThePropertyManagersRefusal) {
    Project p;
    p.sim.SetPropertyAccessRight(false);
    EXPECT_THROW(p.Connect(), Api::ErrorPropertyManagerNoAccessRight);
    EXPECT_TRUE(p.sim.GetPropertyGroups().IsEmpty());

    // In a shared project the right comes with reserving classifications and properties.
    p.sim.SetPropertyAccessRight(true);
    p.sim.SetShared(true);
    EXPECT_THROW(p.Connect(), Api::ErrorPropertyManagerNoAccessRight);
    p.sim.ReserveClassificationsAndProperties();
    EXPECT_NO_THROW(p.Connect());
    EXPECT_EQ(p.sim.GetPropertyGroups().GetSize(), 1u);
}

TEST(PropertyGroup, AnElementsClauseIdIsItsWrittenValueAndEmptyOtherwise) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    const API_Guid clauseIdDefinition = p.DefinitionOf(p.GroupOf(groupOne), "OrvoTessaryClauseId");
    auto classified = [&p] {
        const API_Guid element = p.sim.AddElement(API_WallID);
        p.sim.Classify(element, p.Item("A10"));
        return element;
    };

    struct Row {
        const char* element;
        API_Guid guid;
        const char* clauseId;
    };
    const API_Guid written = classified();
    p.sim.SetPropertyText(written, clauseIdDefinition, "clause-7");
    const API_Guid writtenEmpty = classified();
    p.sim.SetPropertyText(writtenEmpty, clauseIdDefinition, "");
    const API_Guid unclassified = p.sim.AddElement(API_WallID);
    const API_Guid deleted = classified();
    p.sim.SetPropertyText(deleted, clauseIdDefinition, "clause-7");
    p.sim.DeleteElement(deleted);
    const std::vector<Row> rows = {
        {"with a written clause id", written, "clause-7"},
        {"with an empty written value", writtenEmpty, ""},
        {"classified, value left at the default", classified(), ""},
        {"not classified, so the definition is not available", unclassified, ""},
        {"deleted meanwhile", deleted, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.element);
        EXPECT_EQ(connection->PropertyGroup().GetClauseIdOfElem(row.guid), PK::UniString(row.clauseId));
    }

    // Another connection's group gives its own answer for the same element.
    const ConnectionPtr other = p.Connect("spec-2");
    EXPECT_EQ(other->PropertyGroup().GetClauseIdOfElem(written), PK::UniString());
}
