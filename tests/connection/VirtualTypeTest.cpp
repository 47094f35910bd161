// A clause in use: made from the page's clause properties, tied to the item
// of its code, turned into host property values, and stored.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "IO/MemoryChannel.hpp"
#include "Model/Errors.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/VirtualType.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"

using namespace TestSupport;
using Model::VirtualType;
using TestSupport::LogCapture;

namespace {

std::string Printed(const VirtualType& type) { return fmt::format("{}", type); }

// The host lists an item's elements in its own order.
PK::HashSet<PK::Guid> AsSet(const PK::Array<PK::Guid>& elements) {
    PK::HashSet<PK::Guid> set;
    for (const PK::Guid& element : elements) set.Add(element);
    return set;
}

std::vector<std::string> ValuesOf(const PK::Array<API_Property>& properties) {
    std::vector<std::string> values;
    for (const API_Property& property : properties)
        values.push_back(property.value.singleVariant.variant.uniStringValue.ToCStr());
    return values;
}

// Classifies the element with the virtual type's item and writes its values, as an association does.
void AssociateAsTheAddonDoes(Project& p, const VirtualType& type, const API_Guid& element) {
    InCommand(*p.tv, [&] {
        p.tv->Element_AddClassificationItem(element, type.GetClassificationItemGuid());
        p.tv->Element_SetProperties(element, type.GetApiProperties());
    });
}

}  // namespace

TEST(VirtualType, AClauseBecomesAVirtualTypeOnlyWithACodeThatNamesAnItemOfTheSystem) {
    Project p;
    const ConnectionPtr connection = p.Connect();

    Api::Properties noCode = Clause("clause-1", "A10");
    noCode.Delete(Api::Properties::Name::Code);
    LogCapture log;
    for (const auto& [clause, error] : {std::pair{noCode, "error: Missing code property"},
                                        std::pair{Clause("clause-1", ""), "error: Empty code string"}}) {
        try {
            VirtualType type(*connection, "clause-1", clause);
            ADD_FAILURE() << "made without " << error;
        } catch (const AddonRuntimeError& e) {
            EXPECT_TRUE(std::string(e.what()).ends_with(error)) << e.what();
        }
    }
    EXPECT_EQ(log.Messages(),
              (std::vector<std::string>{"failed assertion: properties.ContainsKey( Api::Properties::Name::Code)",
                                        "failed assertion: !this->_classificationID.IsEmpty()"}));
    try {
        VirtualType type(*connection, "clause-1", Clause("clause-1", "Z99", "Doors"));
        ADD_FAILURE() << "made without an item";
    } catch (const Model::Error::MissingClassificationItem& e) {
        const auto& issue = dynamic_cast<const Model::Issue::MissingClassificationItem&>(e.GetIssue());
        EXPECT_EQ(issue.GetTessaryClauseProperties(), Clause("clause-1", "Z99", "Doors"));
    }

    // Items below others are found too.
    const VirtualType deep(*connection, "clause-2", Clause("clause-2", "B21"));
    EXPECT_EQ(deep.GetClassificationItemGuid(), p.Item("B21"));
    EXPECT_EQ(deep.ClauseId(), PK::UniString("clause-2"));

    // Its item deleted in the project: every operation that needs it reports it missing.
    p.sim.DeleteClassificationItem(p.Item("B21"));
    EXPECT_THROW(deep.GetClassificationItemGuid(), Model::Error::MissingClassificationItem);
    EXPECT_THROW(deep.GetApiProperties(), Model::Error::MissingClassificationItem);
    EXPECT_THROW(deep.GetAssociatedElements(), Model::Error::MissingClassificationItem);

    p.sim.DeleteClassificationSystem(p.System());
    EXPECT_THROW(VirtualType(*connection, "clause-1", Clause("clause-1", "A10")),
                 Model::Error::MissingClassificationSystem);
}

TEST(VirtualType, ItsHostValuesAreTheFiveVisibleOnesInOrderWithEmptyValuesAsABlank) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    Api::Properties clause = Clause("clause-1", "A10", "Walls", "", "Suf");
    clause.Add(Api::Properties::Name::ProjectId, "project-1");
    clause.Add(Api::Properties::Name::SpecificationId, "spec-1");
    const VirtualType type(*connection, "clause-1", clause);
    const PK::Array<API_Property> values = type.GetApiProperties();
    EXPECT_EQ(ValuesOf(values), (std::vector<std::string>{"clause-1", "A10", "Walls", " ", "Suf"}));
    const API_Guid group = p.GroupOf("Orvo Tessary: Project One / Spec One");
    for (PK::USize i = 0; const char* name : {"OrvoTessaryClauseId", "OrvoTessaryCode", "OrvoTessaryTitle",
                                              "OrvoTessaryPrefix", "OrvoTessarySuffix"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(values[i].definition.guid, p.DefinitionOf(group, name));
        EXPECT_FALSE(values[i].isDefault);
        EXPECT_EQ(values[i++].value.variantStatus, API_VariantStatusNormal);
    }

    Api::Properties untitled = clause;
    untitled.Delete(Api::Properties::Name::Title);
    LogCapture log;
    EXPECT_EQ(ValuesOf(VirtualType(*connection, "clause-2", untitled).GetApiProperties()),
              (std::vector<std::string>{"clause-2", "A10", " ", "Suf"}));
    EXPECT_EQ(log.Count(spdlog::level::err, "failed assertion: this->_tessaryProperties.ContainsKey(name)"), 1u);
}

TEST(VirtualType, AnItemAddedAfterConnectingGetsTheDefinitionsMadeAvailableForItOnce) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    const API_Guid added = p.sim.AddClassificationItem(p.System(), "D40");
    const VirtualType type(*connection, "clause-3", Clause("clause-3", "D40"));
    const API_Guid group = p.GroupOf("Orvo Tessary: Project One / Spec One");

    TVSim::Journal::Clear();
    InCommand(*p.tv, [&] { type.GetApiProperties(); });
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Property_ChangePropertyDefinition"), 5u);
    for (const API_Guid& definition : p.sim.GetPropertyGroup(group).definitions) {
        const PK::Array<API_Guid>& availability = p.sim.GetPropertyDefinition(definition).definition.availability;
        EXPECT_EQ(availability.GetLast(), added);
        EXPECT_EQ(availability.GetSize(), 5u);
    }

    TVSim::Journal::Clear();
    InCommand(*p.tv, [&] { type.GetApiProperties(); });
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_Property_ChangePropertyDefinition"), 0u);

    // Its elements then take the values.
    const API_Guid wall = p.sim.AddElement(API_WallID);
    AssociateAsTheAddonDoes(p, type, wall);
    EXPECT_EQ(type.GetAssociatedElements(), PK::Array<PK::Guid>{wall});
}

TEST(VirtualType, TwoClausesOfOneCodeShareTheItemAndEachFindsOnlyItsOwnElementsByTheIdItIsFiledUnder) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    const VirtualType first(*connection, "clause-1", Clause("clause-1", "A10"));
    // The page's own clause-id property need not be the id the clause is filed under.
    const VirtualType second(*connection, "clause-2", Clause("CL-0002", "A10"));
    const API_Guid a = p.sim.AddElement(API_WallID), b = p.sim.AddElement(API_SlabID), c = p.sim.AddElement(API_WallID);
    AssociateAsTheAddonDoes(p, first, a);
    AssociateAsTheAddonDoes(p, second, b);
    AssociateAsTheAddonDoes(p, first, c);
    // Classified by the user, without the add-on's values.
    const API_Guid bare = p.sim.AddElement(API_WallID);
    p.sim.Classify(bare, p.Item("A10"));

    EXPECT_EQ(AsSet(first.GetAssociatedElements()), (PK::HashSet<PK::Guid>{a, c}));
    EXPECT_EQ(second.GetAssociatedElements(), PK::Array<PK::Guid>{b});
    EXPECT_EQ(connection->PropertyGroup().GetClauseIdOfElem(b), PK::UniString("clause-2"));

    // Without the clause-id definition the clauses cannot be told apart.
    p.sim.DeletePropertyDefinition(
        p.DefinitionOf(p.GroupOf("Orvo Tessary: Project One / Spec One"), "OrvoTessaryClauseId"));
    EXPECT_THROW(first.GetAssociatedElements(), Model::Error::MissingProperty);
}

TEST(VirtualType, ChangedValuesAreTakenInStoredAndMarkedDirtyForThePage) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    VirtualType type(*connection, "clause-1", Clause("clause-1", "A10", "Walls"));
    TVSim::Journal::Clear();
    InCommand(*p.tv, [&] { EXPECT_FALSE(type.UpdateProperties(Clause("clause-1", "A10", "Walls"))); });
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_ModulData_Store"), 0u);
    EXPECT_FALSE(type.HasDirtyProperty());

    Api::Properties changed;
    changed.Add(Api::Properties::Name::Title, "Outer walls");
    InCommand(*p.tv, [&] { EXPECT_TRUE(type.UpdateProperties(changed)); });
    EXPECT_EQ(TVSim::Journal::Count("TVAPI_ModulData_Store"), 1u);
    changed.Put(Api::Properties::Name::Title, "Inner walls");
    changed.Add("OrvoTessaryNote", "new");
    InCommand(*p.tv, [&] { EXPECT_TRUE(type.UpdateProperties(changed)); });
    EXPECT_TRUE(type.HasDirtyProperty());
    EXPECT_EQ(type.Properties().Code(), PK::UniString("A10"));  // keys are never dropped
    EXPECT_NE(Printed(type).find("_dirtyTessaryPropertyNames: [\"OrvoTessaryTitle\", \"OrvoTessaryTitle\", "
                                 "\"OrvoTessaryNote\"]"),
              std::string::npos);

    const Api::AssociableType marked = type.GetAsAssociableType(true);
    EXPECT_EQ(marked.id, PK::UniString("clause-1"));
    EXPECT_EQ(marked.properties.Title(), PK::UniString("Inner walls<dirty>"));
    EXPECT_EQ(marked.properties.Get("OrvoTessaryNote"), PK::UniString("new<dirty>"));
    EXPECT_EQ(type.GetAsAssociableType(false).properties, type.Properties());
}

TEST(VirtualType, TextsTakeTheConnectionsPlaceholdersFirstAndThenTheClauses) {
    Project p;
    const ConnectionPtr connection = p.Connect("spec-1", "Spec One", "project-1", "Project One");
    Api::Properties clause = Clause("clause-1", "A10", "Walls");
    clause.Add(Api::Properties::Name::ProjectId, "the page's project");
    const VirtualType type(*connection, "clause-1", clause);
    EXPECT_EQ(type.ResolveTessaryProperties("{OrvoTessaryProjectId}: {OrvoTessaryCode}{ :OrvoTessaryTitle} in "
                                            "{OrvoTessarySpecificationTitle}"),
              PK::UniString("project-1: A10 Walls in Spec One"));
}

TEST(VirtualType, MergingOnlyChecksThatBothVersionsDescribeTheSameClause) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    VirtualType mine(*connection, "clause-1", Clause("clause-1", "A10", "Walls"));
    const VirtualType theirs(*connection, "clause-1", Clause("clause-1", "A10", "Outer walls"));
    const VirtualType another(*connection, "clause-2", Clause("clause-2", "B20"));
    const std::string before = Printed(mine);

    LogCapture log;
    mine.MergeIn(theirs);
    mine.MergeIn(another);
    ASSERT_EQ(log.Records().size(), 1u);
    EXPECT_EQ(log.Records()[0].level, spdlog::level::critical);
    EXPECT_TRUE(log.Records()[0].message.starts_with(
        "failed assertion: _virtualTypeId == toMerge._virtualTypeId, *this({ _classificationID: \"A10\""));
    EXPECT_EQ(Printed(mine), before);
}

TEST(VirtualType, AStoredVirtualTypeReadsBackWithItsDirtyNames) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    VirtualType type(*connection, "clause-1", Clause("clause-1", "B21", "Screed"));
    Api::Properties changed;
    changed.Add(Api::Properties::Name::Suffix, "new");
    InCommand(*p.tv, [&] { type.UpdateProperties(changed); });

    IO::MemoryOChannel32 oc;
    ASSERT_EQ(type.Write(oc), PK::NoError);
    VirtualType read(*connection);
    IO::MemoryIChannel32 ic(oc.GetDestination(), oc.GetDataSize());
    ASSERT_EQ(read.Read(ic), PK::NoError);
    EXPECT_EQ(Printed(read), Printed(type));
    EXPECT_TRUE(read.HasDirtyProperty());
}
