// A connection's property group in the project, and what the user may do to
// it and its definitions behind the add-on's back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Model/Errors.hpp"
#include "Model/PropertyGroup.hpp"
#include "Torvel/Api/Error.hpp"
#include "support/HostCalls.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"

using namespace TestSupport;
using testing::StrEq;
using testing::ThrowsMessage;

namespace {
const PK::UniString groupOne = "Orvo Tessary: Project One / Spec One";
}  // namespace

TEST(PropertyGroup, ATakenNameGetsOneMoreStarEachTimeAndAHostThatRefusesEveryNameEndsTheRetries) {
    Project p;
    const ConnectionPtr connection = p.Connect("spec-1");
    const API_Guid group = p.GroupOf(groupOne);
    p.sim.AddPropertyGroup("Orvo Tessary: Project Two / Spec Two");
    LogCapture log;
    InCommand(*p.tv, [&] { connection->PropertyGroup().UpdateTitle("Spec Two", "Project Two"); });
    EXPECT_EQ(p.sim.GetPropertyGroup(group).group.name, PK::UniString("Orvo Tessary: Project Two / Spec Two*"));
    EXPECT_EQ(log.MessagesStartingWith("Name is already exists: property group(").size(), 1u);

    const std::vector<const char*> refusing = {"TVAPI_Property_CreatePropertyGroup",
                                               "TVAPI_Property_CreatePropertyDefinition",
                                               "TVAPI_Property_ChangePropertyGroup"};
    for (const char* function : refusing) {
        TVSim::Faults::FailAlways(function, APIERR_NAMEALREADYUSED);
        TVSim::Journal::Clear();
        if (function == refusing.back())
            EXPECT_THROW(InCommand(*p.tv, [&] { connection->PropertyGroup().UpdateTitle("S", "P"); }),
                         Api::Error<APIERR_NAMEALREADYUSED>);
        else
            EXPECT_THROW(p.Connect("spec-4"), Api::Error<APIERR_NAMEALREADYUSED>);
        EXPECT_EQ(TVSim::Journal::Count(function), static_cast<PK::USize>(Model::PropertyGroup::maxNameAttempts))
            << function;
        TVSim::Faults::Clear();
    }
}

TEST(PropertyGroup, WhatTheUserDeletedIsReportedMissingADefinitionIsMadeAgainOrAdoptedAndTheGroupForgotten) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    const API_Guid group = p.GroupOf(groupOne);
    Model::PropertyGroup& properties = connection->PropertyGroup();
    // Renamed by the user, the group and a definition are still the connection's.
    API_PropertyGroup renamed = p.sim.GetPropertyGroup(group).group;
    API_PropertyDefinition code = p.sim.GetPropertyDefinition(p.DefinitionOf(group, "OrvoTessaryCode")).definition;
    renamed.name = code.name = "Mine";
    ASSERT_EQ(InHostCommand([&] { return TVAPI_Property_ChangePropertyGroup(renamed); }), NoError);
    ASSERT_EQ(InHostCommand([&] { return TVAPI_Property_ChangePropertyDefinition(code); }), NoError);
    EXPECT_NO_THROW(properties.Check());
    EXPECT_EQ(properties.GetPropertyGuid("OrvoTessaryCode"), code.guid);

    p.sim.DeletePropertyDefinition(p.DefinitionOf(group, "OrvoTessaryTitle"));
    LogCapture log;
    EXPECT_THAT([&] { properties.GetPropertyGuid("OrvoTessaryTitle"); },
                ThrowsMessage<Model::Error::MissingProperty>(StrEq("MissingProperty: OrvoTessaryTitle")));
    EXPECT_EQ(log.Records().back().level, spdlog::level::warn);
    EXPECT_TRUE(log.Records().back().message.starts_with("APIERR_BADID(-2130313115), "));
    InCommand(*p.tv, [&] { properties.CreatePropertyIfNotExists("OrvoTessaryTitle"); });
    EXPECT_EQ(properties.GetPropertyGuid("OrvoTessaryTitle"), p.DefinitionOf(group, "OrvoTessaryTitle"));

    // One the user made again with a clause property's name is adopted, not duplicated.
    p.sim.DeletePropertyDefinition(code.guid);
    const API_Guid usersOwn = p.sim.AddPropertyDefinition(group, "OrvoTessaryCode");
    TVSim::Journal::Clear();
    for (int time = 0; time < 2; ++time)  // the second time it is there already and left alone
        InCommand(*p.tv, [&] { properties.CreatePropertyIfNotExists("OrvoTessaryCode"); });
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Property_CreatePropertyDefinition"), 0u);
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Property_GetPropertyDefinitions"), 1u);
    EXPECT_TRUE(
        log.Has(spdlog::level::info, "Did the user manually created a property with the name(\"OrvoTessaryCode\")"));
    EXPECT_EQ(properties.GetPropertyGuid("OrvoTessaryCode"), usersOwn);

    // The group deleted: what needs it fails, and removing it only forgets it, once.
    p.sim.DeletePropertyGroup(group);
    log.Clear();
    EXPECT_THROW(properties.Check(), Model::Error::MissingPropertyGroup);
    EXPECT_EQ(log.MessagesStartingWith("Has the user deleted the property group(").size(), 1u);
    EXPECT_THROW(InCommand(*p.tv, [&] { properties.UpdateTitle("S", "P"); }), Model::Error::MissingPropertyGroup);
    EXPECT_THROW(InCommand(*p.tv, [&] { properties.CreatePropertyIfNotExists("OrvoTessaryCode"); }),
                 Model::Error::MissingPropertyGroup);
    TVSim::Journal::Clear();
    for (int time = 0; time < 2; ++time) InCommand(*p.tv, [&] { properties.Remove(); });
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Property_DeletePropertyGroup"), 1u);
    EXPECT_EQ(log.MessagesStartingWith("The user probably already deleted the PropertyGroup(").size(), 1u);
    EXPECT_EQ(fmt::format("{}", properties),
              "{ _guid: \"00000000-0000-0000-0000-000000000000\", _tessaryPropertyNameToDefinitionGuids: {} }");
}

TEST(PropertyGroup, AnElementsClauseIdIsItsWrittenValueAndEmptyOtherwise) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    const API_Guid clauseIdDefinition = p.DefinitionOf(p.GroupOf(groupOne), "OrvoTessaryClauseId");
    const API_Guid written = p.sim.AddElement(API_WallID), unwritten = p.sim.AddElement(API_WallID);
    const API_Guid unclassified = p.sim.AddElement(API_WallID);
    for (const API_Guid& element : {written, unwritten}) p.sim.Classify(element, p.Item("A10"));
    p.sim.SetPropertyText(written, clauseIdDefinition, "clause-7");
    // Not classified, the definition is not available: a value the host keeps does not count.
    p.sim.SetPropertyText(unclassified, clauseIdDefinition, "clause-7");
    EXPECT_EQ(connection->PropertyGroup().GetClauseIdOfElem(written), PK::UniString("clause-7"));
    EXPECT_EQ(connection->PropertyGroup().GetClauseIdOfElem(unwritten), PK::UniString());
    EXPECT_EQ(connection->PropertyGroup().GetClauseIdOfElem(unclassified), PK::UniString());
}
