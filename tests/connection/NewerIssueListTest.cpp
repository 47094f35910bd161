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

// A big-endian member's later version wrote an issue: copied unread into the little-endian record this version writes,
// its fields would read as other values. It is named in an issue instead, as a record that cannot be read is.
TEST(NewerIssueList, ALaterIssueInTheOtherByteOrderIsNamedNotWrittenBackGarbled) {
    Project p;
    const PK::UInt16 bigEndian = IO::PlatformSignBigEndian;
    const std::vector<char> later = Written(
        [](PK::OChannel& oc) {
            const PK::Guid kind("7d1e5c3b-2a49-4f68-b7c6-d5e4f3a2b1c0");
            oc.Write(kind);
            PK::OutputFrame frame(oc, kind, {1, 0});
            oc.Write(PK::UniString("an issue of a kind to come"));
        },
        bigEndian);
    StoredConnection record{.system = p.System(), .platformSign = bigEndian};
    record.issueList = Written(
        [&](PK::OChannel& oc) {
            PK::OutputFrame frame(oc, Model::Issue::Collection::classInfo);
            oc.Write(PK::UInt32(1));
            oc.WriteBin(later.data(), later.size());
            oc.Write(Model::Issue::Collection::DeletedTable{});
        },
        bigEndian);
    record.StoreInto(p.sim);

    const ConnectionPtr connection = p.Load();
    const auto hints = [](const Model::ConnectionWithSpecification& c) {
        std::vector<std::string> texts;
        for (const auto& issue : c.IssueCollection().Get())
            texts.push_back(Text(dynamic_cast<const Model::Issue::UnknownError&>(*issue).GetHint()));
        return texts;
    };
    const std::vector<std::string> named = {
        "Issue::Collection read error: issue 1 of 1 (unknown class 7D1E5C3B-2A49-4F68-B7C6-D5E4F3A2B1C0): a later "
        "version's, in another byte order"};
    EXPECT_EQ(hints(*connection), named);
    InCommand(*p.tv, [&] { connection->MarkAsDisconnected(); });
    EXPECT_EQ(hints(*p.Load()), named);

    // A whole list of a later version in that order cannot be kept either: the rest of the connection loads.
    StoredConnection{.system = p.System(), .newerIssueCollection = true, .platformSign = bigEndian}.StoreInto(p.sim);
    const std::vector<std::string> listNamed = hints(*p.Load());
    ASSERT_EQ(listNamed.size(), 1u);
    EXPECT_TRUE(listNamed[0].ends_with("an issue list of a later version in another byte order cannot be kept"))
        << listNamed[0];
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
