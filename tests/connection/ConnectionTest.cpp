// A connection in the project: its property group and what the user may do
// to it behind the add-on's back, its record stored as module data and read
// back or refused whole, and its marks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Model/Errors.hpp"
#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "Model/PropertyGroup.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/HostCalls.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"
#include "support/RecordingObserver.hpp"

using namespace TestSupport;
using Model::ConnectionWithSpecification;
using testing::StrEq;
using testing::ThrowsMessage;

namespace {
const PK::UniString groupOne = "Orvo Tessary: Project One / Spec One";
std::string Printed(const ConnectionWithSpecification& connection) { return fmt::format("{}", connection); }
}  // namespace

TEST(ConnectionRecord, ConnectingCreatesTheGroupWithItsDefinitionsAndTheTextsTakeTheConnectionsTitles) {
    Project p;
    const ConnectionPtr connection = p.Connect("spec-1", "S", "project-1", "P");
    const PK::Array<API_Guid> definitions = p.sim.GetPropertyGroup(p.GroupOf("Orvo Tessary: P / S")).definitions;
    for (const API_Guid& guid : definitions)
        EXPECT_EQ(
            p.sim.GetPropertyDefinition(guid).definition.defaultValue.basicValue.singleVariant.variant.uniStringValue,
            PK::UniString("-"));
    const PK::UniString all =
        "{OrvoTessaryProjectTitle}/{OrvoTessarySpecificationTitle}/{OrvoTessarySpecificationId}:"
        "{OrvoTessaryProjectId}";
    EXPECT_EQ(connection->ResolveVariables(all, "", ""), PK::UniString("P/S/spec-1:project-1"));
    EXPECT_EQ(connection->ResolveVariables(all, "S2", "P2"), PK::UniString("P2/S2/spec-1:project-1"));
    // A value holding a placeholder keeps it: each value goes in once.
    EXPECT_EQ(ConnectionWithSpecification::ResolveVariables("{OrvoTessarySpecificationTitle}", "id",
                                                            "about {OrvoTessaryProjectTitle}", "pid", "House"),
              PK::UniString("about {OrvoTessaryProjectTitle}"));

    // With its classification system gone it says so; one that knows no system does without asking the host.
    p.sim.DeleteClassificationSystem(p.System());
    EXPECT_THROW(connection->ClassificationSystem().GetItemByID("A10"), Model::Error::MissingClassificationSystem);
    TVSim::Journal::Clear();
    EXPECT_THROW(ConnectionWithSpecification(p.tv, p.tessary, p.plan).ClassificationSystem().Check(),
                 Model::Error::MissingClassificationSystem);
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Classification_GetClassificationSystem"), 0u);
}

TEST(ConnectionRecord, AStoredConnectionIsReadBackWholeOrRefusedWithTheConnectionLeftAsItWas) {
    Project p;
    // What another version of the project holds: two clauses, an issue, the disconnected mark.
    StoredConnection record{.disconnected = true, .system = p.System(), .group = PK::Guid::Generate()};
    record.definitions.Add("OrvoTessaryClauseId", PK::Guid::Generate());
    record.virtualTypes = {{"A10", p.Item("A10"), "clause-a", Clause("clause-a", "A10"), {}},
                           {"B21", p.Item("B21"), "clause-b", Clause("clause-b", "B21"), {"OrvoTessaryTitle"}}};
    record.issues.Push(std::make_shared<Model::Issue::CoudntUpdateProjectOrSpecTitle>("Spec Two", "Project Two"));
    record.StoreInto(p.sim);
    auto connection = std::make_shared<ConnectionWithSpecification>(p.tv, p.tessary, p.plan);
    Timeline secondHeard;
    RecordingObserver first(*connection, p.timeline), second(*connection, secondHeard);
    p.Reload(*connection);
    EXPECT_EQ(secondHeard, (Timeline{"VirtualTypeListChanged", "IssueListChanged"}));
    EXPECT_EQ(p.timeline, secondHeard);
    EXPECT_EQ(RecordOf(*connection), record.Bytes());
    std::string before = Printed(*connection);
    EXPECT_TRUE(
        before.starts_with("{ \"_lastModificationTime\": 0, \"_markedAsDeleted\": 0, \"_markedAsDisconnected\": "
                           "1, \"_tessarySpecificationTitle\": \"Spec One\", \"_tessaryProjectTitle\": "
                           "\"Project One\", \"_classificationSystem\": { _guid: "));

    // Every value of a record that differs in every part fails to be read in turn, until it is read.
    StoredConnection changed = record;
    changed.disconnected = false;
    changed.specTitle = "Spec One, renamed";
    changed.virtualTypes[1].clauseId = "clause-a";  // of two virtual types of one clause the first is kept
    changed.issues.Pop();
    changed.StoreInto(p.sim);
    PK::USize nth = 1;
    for (; nth < 100; ++nth) {
        PK::ChannelFaults::ArmNextChannel(nth, PK::EndOfInput);
        try {
            p.Reload(*connection);
            break;
        } catch (const Api::GeneralError&) {
            ASSERT_EQ(Printed(*connection), before) << "value " << nth;
        }
    }
    PK::ChannelFaults::Disarm();
    EXPECT_GT(nth, 30u);
    changed.virtualTypes.pop_back();
    EXPECT_EQ(RecordOf(*connection), changed.Bytes());

    // A newer major version of any part is refused as such; a newer minor one only adds fields at the end.
    before = Printed(*connection);
    record.specTitle = "Spec One, newer";
    for (PK::ClassVersion* version : {&record.version, &record.groupVersion, &record.virtualTypes[1].version}) {
        *version = PK::ClassVersion(2, 1);
        record.StoreInto(p.sim);
        EXPECT_THROW(p.Reload(*connection), Model::Error::VersionIncompatibility);
        EXPECT_EQ(Printed(*connection), before);
        *version = PK::ClassVersion(1, 3);
    }
    record.StoreInto(p.sim);
    p.Reload(*connection);
    EXPECT_EQ(connection->TessarySpecificationTitle(), PK::UniString("Spec One, newer"));
}

TEST(ConnectionRecord, TheDisconnectedMarkIsStoredAndOnlyAPageClearsItEvenWithTheFactoryGone) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    // The factory that made it is gone: the connection alone holds its host interface and plan identity.
    p.tv = std::make_shared<Implementation::Torvel>();
    p.plan = std::make_shared<Model::PlanData>(p.tv);
    p.timeline.clear();
    InCommand(*p.tv, [&] { connection->MarkAsDisconnected(); });
    EXPECT_TRUE(p.Load()->IsDisconnected());

    // Without a page nothing happens: the mark stays and nothing is stored.
    p.tessary->Reset({});
    TVSim::Journal::Clear();
    InCommand(*p.tv, [&] { connection->ReconnectWithTessarySpecification(); });
    EXPECT_TRUE(connection->IsDisconnected());
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_ModulData_Store"), 0u);

    // With the page back, the page hears of the plan each time and the cleared mark is stored once.
    p.tessary->Reset(p.page);
    for (int time = 0; time < 2; ++time) InCommand(*p.tv, [&] { connection->ReconnectWithTessarySpecification(); });
    EXPECT_FALSE(p.Load()->IsDisconnected());
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_ModulData_Store"), 1u);
    ASSERT_EQ(p.timeline.size(), 2u);
    EXPECT_TRUE(p.timeline[1].starts_with("page AssociateSpec(spec-1, "));
}

TEST(PropertyGroup, ATakenNameGetsAStarAndAHostThatRefusesEveryNameEndsTheRetries) {
    Project p;
    const ConnectionPtr connection = p.Connect("spec-1");
    p.sim.AddPropertyGroup("Orvo Tessary: Project Two / Spec Two");
    LogCapture log;
    InCommand(*p.tv, [&] { connection->PropertyGroup().UpdateTitle("Spec Two", "Project Two"); });
    EXPECT_FALSE(p.GroupOf("Orvo Tessary: Project Two / Spec Two*").IsNull());
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
    const API_Guid written = p.sim.AddElement(API_WallID), unwritten = p.sim.AddElement(API_WallID);
    const API_Guid deleted = p.sim.AddElement(API_WallID);
    for (const API_Guid& element : {written, unwritten, deleted}) p.sim.Classify(element, p.Item("A10"));
    p.sim.SetPropertyText(written, p.DefinitionOf(p.GroupOf(groupOne), "OrvoTessaryClauseId"), "clause-7");
    p.sim.DeleteElement(deleted);  // meanwhile, by the user
    EXPECT_EQ(connection->PropertyGroup().GetClauseIdOfElem(written), PK::UniString("clause-7"));
    EXPECT_EQ(connection->PropertyGroup().GetClauseIdOfElem(unwritten), PK::UniString());
    EXPECT_EQ(connection->PropertyGroup().GetClauseIdOfElem(deleted), PK::UniString());
}

TEST(PropertyGroup, AStoredListOfReplacedGroupsNeverDeletesAGroupThatAConnectionKeepsAsItsOwn) {
    using Connection = Model::ConnectionWithSpecification;
    const std::vector<std::pair<std::string, std::function<void(Connection&)>>> ways = {
        // Outside team work the member may delete groups at any time.
        {"takeover", [](Connection& c) { c.Cmd_TakeOverReplacedPropertyGroups(); }},
        {"disconnection", [](Connection& c) { EXPECT_TRUE(c.Cmd_Disconnect(false)); }},
    };
    for (const auto& [way, act] : ways) {
        for (const bool otherDamaged : {false, true}) {
            SCOPED_TRACE(way + (otherDamaged ? ", the other record damaged" : ""));
            Project p;
            LogCapture log;
            const ConnectionPtr mine = p.Connect();
            ConnectionPtr theirs;
            InCommand(*p.tv, [&] {
                theirs = std::make_shared<Connection>(p.tv, p.tessary, p.plan, p.System(2), "spec-2", "Spec Two",
                                                      "project-1", "Project One");
            });
            const API_Guid own = p.GroupOf("Orvo Tessary: Project One / Spec One");
            const API_Guid other = p.GroupOf("Orvo Tessary: Project One / Spec Two");
            const API_Guid left = p.sim.AddPropertyGroup("Orvo Tessary: Project One / Spec One*");
            const API_Guid gone = p.sim.AddPropertyGroup("Gone");
            p.sim.DeletePropertyGroup(gone);

            // Hand-made: the add-on's own merge never lists a group that a connection keeps, nor one twice.
            StoredConnection record;
            record.system = p.System();
            record.group = own;
            for (const PK::UniString& name : Api::Properties::Name::AllVisible)
                record.definitions.Add(name, mine->PropertyGroup().GetPropertyGuid(name));
            record.groupVersion = {1, 1};
            record.replaced = {{own, {}}, {other, {}}, {left, {}}, {left, {}}, {gone, {}}};
            record.StoreInto(p.sim);
            if (otherDamaged) p.Store("spec-2", {'\x01', '\x02'});
            const ConnectionPtr listed = p.Load();
            EXPECT_EQ(listed->PropertyGroup().GetReplacedGroups().GetSize(), 3u) << "its own and the second left dropped";
            EXPECT_EQ(std::count_if(log.Records().begin(), log.Records().end(),
                                    [](const auto& r) {
                                        return r.level == spdlog::level::warn &&
                                               r.message.find(": dropped") != std::string::npos;
                                    }),
                      2);

            act(*listed);
            EXPECT_TRUE(p.sim.HasPropertyGroup(other)) << "spec-2's elements would lose their clause";
            EXPECT_EQ(p.sim.HasPropertyGroup(own), way == "takeover");
            EXPECT_EQ(p.sim.HasPropertyGroup(left), otherDamaged) << "while a connection's group cannot be told";
            if (way == "takeover" && !otherDamaged) {
                EXPECT_TRUE(p.Load()->PropertyGroup().GetReplacedGroups().IsEmpty()) << "stored without them";
            }
        }
    }
}
