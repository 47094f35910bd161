// A clause property whose definition the user made again as a list or a
// choice: the host refuses the clause's text there, and the user hears of it.
#include <gtest/gtest.h>

#include "Model/Issue/ElementsAssociation.hpp"
#include "support/Project.hpp"

using namespace TestSupport;
using Assoc = Model::Issue::ElementsAssociation;

TEST(AdoptedDefinitions, AssociatingIntoAListOrChoiceDefinitionReportsTheElementsAndLeavesNoValue) {
    for (auto kind : {API_PropertyListCollectionType, API_PropertySingleChoiceEnumerationCollectionType}) {
        Project p;
        const ConnectionPtr connection = p.Connect();
        const API_Guid ours = p.DefinitionOf(p.GroupOf("Orvo Tessary: Project One / Spec One"), "OrvoTessaryTitle");
        API_PropertyDefinition usersOwn = p.sim.GetPropertyDefinition(ours).definition;
        p.sim.DeletePropertyDefinition(ours);
        usersOwn.guid = APINULLGuid;
        usersOwn.collectionType = kind;
        const API_Guid adopted = p.sim.AddPropertyDefinition(usersOwn);
        InCommand(*p.tv, [&] { connection->PropertyGroup().CreatePropertyIfNotExists("OrvoTessaryTitle"); });
        const API_Guid wall = p.sim.AddElement(API_WallID);

        connection->Cmd_AssociateElementsToVirtualType("clause-a", Clause("clause-a", "A10"), {wall}, false);
        const auto issues = connection->IssueCollection().GetIssuesByType<Assoc>();
        ASSERT_EQ(issues.GetSize(), 1u) << kind;
        EXPECT_EQ(issues[0]->GetType(), Assoc::Type::AssocUnknown);
        EXPECT_EQ(issues[0]->GetErroredElements(), PK::Array<API_Guid>{wall});
        EXPECT_EQ(p.sim.GetPropertyValue(wall, adopted), nullptr);
    }
}
