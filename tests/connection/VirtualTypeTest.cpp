// A clause in use: made from the page's clause properties, tied to the item
// of its code, turned into host property values, and stored.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Model/Errors.hpp"
#include "Model/VirtualType.hpp"
#include "PK/Time.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"
#include "support/StoredRecords.hpp"

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

TEST(VirtualType, AMergeOfTheSameValuesChangesNothingWhileChangedValuesAreTakenInMarkedDirtyForThePageAndUsedInTexts) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    VirtualType type(*connection, "clause-1", Clause("clause-1", "A10", "Walls"));
    // Merging another member's version with the same values only checks that it describes the same clause.
    const std::string before = fmt::format("{}", type);
    LogCapture log;
    EXPECT_FALSE(type.MergeIn(VirtualType(*connection, "clause-1", Clause("clause-1", "A10", "Walls"))));
    EXPECT_FALSE(type.MergeIn(VirtualType(*connection, "clause-2", Clause("clause-2", "B20"))));
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

TEST(VirtualType, OfTwoMembersVersionsAMergeKeepsTheValuesChangedLastAndShowsWhatDiffersAsPending) {
    Project p;
    const ConnectionPtr connection = p.Connect();
    // A version of the clause retitled at that second, its values written everywhere it knows: nothing pending.
    const auto retitled = [&](int second, const char* title) {
        PK::Clock::Set(1'700'000'000);
        auto type = std::make_unique<VirtualType>(*connection, "clause-1", Clause("clause-1", "A10", "Walls"));
        PK::Clock::Set(1'700'000'000 + second);
        InCommand(*p.tv, [&] {
            type->UpdateProperties(Clause("clause-1", "A10", title));
            type->UpdateElementProperties();
        });
        return type;
    };
    // Each row: when this member and the other member retitled the clause, and the title the merge keeps.
    const std::vector<std::tuple<int, int, const char*>> rows = {{5, 9, "Theirs"}, {9, 5, "Mine"}, {5, 5, "Mine"}};
    for (const auto& [mineAt, theirsAt, kept] : rows) {
        SCOPED_TRACE(fmt::format("mine at {}, theirs at {}", mineAt, theirsAt));
        const auto mine = retitled(mineAt, "Mine"), theirs = retitled(theirsAt, "Theirs");
        ASSERT_FALSE(mine->HasDirtyProperty());
        EXPECT_TRUE(mine->MergeIn(*theirs));
        EXPECT_EQ(Text(mine->Properties().Title()), kept);
        // The elements either member wrote may carry the other title: the page shows it pending until written.
        EXPECT_EQ(Text(mine->GetAsAssociableType(true).properties.Title()), std::string(kept) + "<dirty>");
        EXPECT_FALSE(mine->MergeIn(*theirs)) << "merged once, nothing more changes";
    }

    // When the values changed is stored with them; a record of the version before, which did not keep it,
    // loses to any version that did.
    const std::vector<char> stamped = Written([&](PK::OChannel& oc) { retitled(9, "Later")->Write(oc); });
    const std::vector<char> unstamped = Written([&](PK::OChannel& oc) {
        PK::OutputFrame frame(oc, VirtualType::classInfo.GetId(), PK::ClassVersion(1, 0));
        oc.Write(PK::UniString("A10"));
        oc.Write(PK::Guid(p.Item("A10")));
        oc.Write(PK::UniString("clause-1"));
        oc.Write(Clause("clause-1", "A10", "Unstamped"));
        oc.Write(PK::Array<PK::UniString>());
    });
    for (const auto& [record, kept] : {std::pair{stamped, "Later"}, std::pair{unstamped, "Between"}}) {
        VirtualType read(*connection);
        IO::MemoryIChannel32 channel(record.data(), record.size());
        ASSERT_EQ(read.Read(channel), PK::NoError);
        read.MergeIn(*retitled(7, "Between"));
        EXPECT_EQ(Text(read.Properties().Title()), kept);
    }
}
