// A clause in use: made from the page's clause properties, tied to the item
// of its code, turned into host property values, and stored.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Model/Errors.hpp"
#include "Model/VirtualType.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"

using namespace TestSupport;
using Model::VirtualType;
using testing::EndsWith;
using testing::ThrowsMessage;

TEST(VirtualType, AClauseBecomesAVirtualTypeOnlyWithACodeThatNamesAnItemAndFailsOnceWhatItNeedsIsGone) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    Api::Properties noCode = Clause("clause-1", "A10");
    noCode.Delete(Api::Properties::Name::Code);
    LogCapture log;
    EXPECT_THAT([&] { VirtualType(*connection, "clause-1", noCode); },
                ThrowsMessage<AddonRuntimeError>(EndsWith("error: Missing code property")));
    EXPECT_THAT([&] { VirtualType(*connection, "clause-1", Clause("clause-1", "")); },
                ThrowsMessage<AddonRuntimeError>(EndsWith("error: Empty code string")));
    EXPECT_EQ(log.Messages(),
              (std::vector<std::string>{"failed assertion: properties.ContainsKey( Api::Properties::Name::Code)",
                                        "failed assertion: !this->_classificationID.IsEmpty()"}));
    const VirtualType type(*connection, "clause-2", Clause("clause-2", "B21"));
    // Without the clause-id definition its elements cannot be told from another clause's of the same item.
    p.sim.DeletePropertyDefinition(connection->PropertyGroup().GetPropertyGuid("OrvoTessaryClauseId"));
    EXPECT_THROW(type.GetAssociatedElements(), Model::Error::MissingProperty);
    // Its item deleted in the project: every operation that needs it reports it missing.
    p.sim.DeleteClassificationItem(p.Item("B21"));
    EXPECT_THROW(type.GetClassificationItemGuid(), Model::Error::MissingClassificationItem);
    EXPECT_THROW(type.GetApiProperties(), Model::Error::MissingClassificationItem);
}

TEST(VirtualType, ItsHostValuesAreTheFiveVisibleOnesUnderItsOwnIdAndANewItemGetsTheDefinitionsOnce) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    const API_Guid added = p.sim.AddClassificationItem(p.System(), "D40");
    // The page's own clause-id property need not be the id the clause is filed under.
    Api::Properties clause = Clause("CL-0001", "D40", "Walls", "", "Suf");
    clause.Add(Api::Properties::Name::ProjectId, "project-1");  // not one of the five
    const VirtualType type(*connection, "clause-1", clause);
    for (PK::USize changes : {5u, 0u}) {
        TVSim::Journal::Clear();
        PK::Array<API_Property> values;
        InCommand(*p.tv, [&] { values = type.GetApiProperties(); });
        EXPECT_EQ(TVSim::Journal::Count("TVAPI_Property_ChangePropertyDefinition"), changes);
        std::vector<std::string> texts;
        for (const API_Property& value : values) {
            texts.push_back(Text(value.value.singleVariant.variant.uniStringValue));
            EXPECT_EQ(value.value.variantStatus, API_VariantStatusNormal);
            EXPECT_EQ(p.sim.GetPropertyDefinition(value.definition.guid).definition.availability.GetLast(), added);
        }
        EXPECT_EQ(texts, (std::vector<std::string>{"clause-1", "D40", "Walls", " ", "Suf"}));
    }

    Api::Properties untitled = clause;
    untitled.Delete(Api::Properties::Name::Title);
    LogCapture log;
    EXPECT_EQ(VirtualType(*connection, "clause-2", untitled).GetApiProperties().GetSize(), 4u);
    EXPECT_EQ(log.Count(spdlog::level::err, "failed assertion: this->_tessaryProperties.ContainsKey(name)"), 1u);
}

TEST(VirtualType, AMergeChangesNothingWhileChangedValuesAreTakenInMarkedDirtyForThePageAndUsedInTexts) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    VirtualType type(*connection, "clause-1", Clause("clause-1", "A10", "Walls"));
    // Merging another member's version only checks that it describes the same clause.
    const std::string before = fmt::format("{}", type);
    LogCapture log;
    type.MergeIn(VirtualType(*connection, "clause-1", Clause("clause-1", "A10", "Outer walls")));
    type.MergeIn(VirtualType(*connection, "clause-2", Clause("clause-2", "B20")));
    ASSERT_EQ(log.Records().size(), 1u);
    EXPECT_EQ(log.Records()[0].level, spdlog::level::critical);
    EXPECT_TRUE(log.Records()[0].message.starts_with(
        "failed assertion: _virtualTypeId == toMerge._virtualTypeId, *this({ _classificationID: \"A10\""));
    EXPECT_EQ(fmt::format("{}", type), before);

    Api::Properties changed;
    changed.Add(Api::Properties::Name::Title, "Outer walls");
    InCommand(*p.tv, [&] { EXPECT_TRUE(type.UpdateProperties(changed)); });
    changed.Put(Api::Properties::Name::Title, "Inner walls");
    changed.Add(Api::Properties::Name::ProjectId, "the page's project");
    InCommand(*p.tv, [&] { EXPECT_TRUE(type.UpdateProperties(changed)); });
    EXPECT_EQ(type.Properties().Code(), PK::UniString("A10"));  // keys are never dropped
    EXPECT_NE(fmt::format("{}", type)
                  .find("_dirtyTessaryPropertyNames: [\"OrvoTessaryTitle\", \"OrvoTessaryTitle\", "
                        "\"OrvoTessaryProjectId\"]"),
              std::string::npos);
    const Api::AssociableType marked = type.GetAsAssociableType(true);
    EXPECT_EQ(marked.properties.Title(), PK::UniString("Inner walls<dirty>"));
    EXPECT_EQ(marked.properties.ProjectId(), PK::UniString("the page's project<dirty>"));
    EXPECT_EQ(type.GetAsAssociableType(false).properties, type.Properties());
    // The connection's placeholders are filled first, then the clause's.
    EXPECT_EQ(type.ResolveTessaryProperties("{OrvoTessaryProjectId}: {OrvoTessaryCode}{ :OrvoTessaryTitle} in "
                                            "{OrvoTessarySpecificationTitle}"),
              PK::UniString("project-1: A10 Inner walls in Spec One"));
}
