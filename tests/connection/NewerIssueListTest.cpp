#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Model/Issue/BaseWithText.hpp"
#include "Model/Issue/Collection.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "support/ElementsIssue.hpp"
#include "support/Project.hpp"

using namespace TessaryConnect;
using namespace TestSupport;

namespace {

// The issue list as StoredConnection writes it for a later version.
std::vector<char> LaterList() {
    return Written([](PK::OChannel& oc) {
        PK::OutputFrame newer(oc, Model::Issue::Collection::classInfo.GetId(), PK::ClassVersion(2, 0));
        oc.Write(PK::UniString("a list of issues in a form to come"));
    });
}

// An issue whose record is no frame at all: nothing after it can be reached.
struct Unframed : ElementsIssue {
    Unframed() : ElementsIssue(PK::Array<PK::Guid>{E(1)}) {}
    PKErrCode Write(PK::OChannel& oc) const override { return oc.Write(PK::UInt32(0xFFFFFFFF)); }
};

bool Holds(const std::vector<char>& record, const std::vector<char>& part) {
    return std::search(record.begin(), record.end(), part.begin(), part.end()) != record.end();
}

}  // namespace

// Another member's later version wrote the issue list: this version lists
// none of its issues, but stores and merges the list back as it came.
TEST(NewerIssueList, AListOfALaterVersionIsWrittenBackUnchangedAndTravelsThroughAMerge) {
    Project p;
    StoredConnection record;
    record.system = p.System();
    record.virtualTypes.push_back({"A10", p.Item("A10"), "clause-a", Clause("clause-a", "A10", "Walls"), {}});
    record.newerIssueCollection = true;
    record.StoreInto(p.sim);

    const ConnectionPtr connection = p.Load();
    EXPECT_TRUE(connection->HasVirtualType("clause-a"));
    EXPECT_TRUE(connection->GetIssuesWithText().IsEmpty());
    InCommand(*p.tv, [&] { connection->MarkAsDisconnected(); });
    StoredConnection expected = record;
    expected.disconnected = true;
    EXPECT_EQ(p.Stored(), expected.Bytes());

    // A member of this version merges it in: the later list is what it keeps.
    const ConnectionPtr mine = p.Read(StoredConnection{.system = p.System()}.Bytes());
    ASSERT_TRUE(Holds(expected.Bytes(), LaterList()));
    EXPECT_FALSE(Holds(RecordOf(*mine), LaterList()));
    mine->MergeIn(*connection);
    EXPECT_TRUE(Holds(RecordOf(*mine), LaterList()));
}

// A list this version should read but cannot costs its issues, named in one
// issue; the rest of the connection loads.
TEST(NewerIssueList, AListThatBreaksOffBecomesOneIssueNamingItAndTheRestLoads) {
    Project p;
    StoredConnection record;
    record.system = p.System();
    record.virtualTypes.push_back({"A10", p.Item("A10"), "clause-a", Clause("clause-a", "A10", "Walls"), {}});
    record.issues.Push(std::make_shared<Unframed>());
    record.StoreInto(p.sim);

    const ConnectionPtr connection = p.Load();
    EXPECT_TRUE(connection->HasVirtualType("clause-a"));
    const auto issues = connection->GetIssuesWithText();
    ASSERT_EQ(issues.GetSize(), 1u);
    const auto* unknown = dynamic_cast<const Model::Issue::UnknownError*>(&issues[0].GetIssue());
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(Text(unknown->GetHint()).rfind("Issue::Collection read error: ", 0), 0u) << Text(unknown->GetHint());
}
