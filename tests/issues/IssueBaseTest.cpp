#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "IO/MemoryChannel.hpp"
#include "Model/Errors.hpp"
#include "Model/Issue/BaseWithText.hpp"
#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"
#include "Model/Issue/MissingClassificationItem.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "PK/Time.hpp"
#include "TVSim/Sim.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "support/LogCapture.hpp"
#include "support/Project.hpp"

using namespace TessaryConnect;
using namespace TessaryConnect::Model;
using TestSupport::Clause;

namespace {

using Bytes = std::vector<char>;

Bytes Stored(const Issue::Base& issue) {
    return TestSupport::Written([&](PK::OChannel& oc) { EXPECT_EQ(issue.WriteWithType(oc), PK::NoError); });
}

std::unique_ptr<Issue::Base> ReadBack(const Bytes& bytes) {
    IO::MemoryIChannel32 ic(bytes.data(), bytes.size());
    return Issue::Base::CreateAndRead(ic);
}

std::string Printed(const Issue::Base& issue) { return fmt::format("{}", issue); }

}  // namespace

TEST(IssueBase, NewIssuesTakeAFreshIdentityAndTheTimeAndAClonesIsTheSameIssueInAnotherObject) {
    PK::Clock::Set(5000);
    auto title = std::make_shared<Issue::CoudntUpdateProjectOrSpecTitle>("Spec B", "Project B");
    Issue::UnknownError unknown;
    EXPECT_FALSE(title->Guid().IsNull());
    EXPECT_NE(title->Guid(), unknown.Guid());
    EXPECT_EQ(title->CreationTime(), 5000);
    EXPECT_EQ(title->Severity(), Issue::Severity::Warning);
    EXPECT_EQ(unknown.Severity(), Issue::Severity::Error);

    // Objects made to be read carry nothing of their own until read.
    Issue::MissingClassificationItem toRead;
    EXPECT_TRUE(toRead.Guid().IsNull());
    EXPECT_EQ(toRead.CreationTime(), 0);
    EXPECT_EQ(toRead.Severity(), Issue::Severity::Error);

    PK::Clock::Set(6000);
    std::shared_ptr<Issue::Base> clone(title->Clone());
    EXPECT_EQ(Printed(*clone), Printed(*title));
    EXPECT_EQ(clone->CreationTime(), 5000);

    TestSupport::Project p;
    TestSupport::StoredConnection record;
    record.issues.Push(title);
    const TestSupport::ConnectionPtr connection = p.Read(record.Bytes());
    Issue::BaseWithText withTitle(connection, title);
    EXPECT_EQ(withTitle, Issue::BaseWithText(connection, title));
    EXPECT_FALSE(withTitle == Issue::BaseWithText(connection, clone));

    EXPECT_TRUE(withTitle.IsFixable());
    EXPECT_EQ(fmt::format("{}", withTitle), fmt::format("Issue::BaseWithText{{{}}}", title->GetString(*connection)));

    // The connection lists its own copy of the issue; removing that one takes it off the list.
    PK::Array<Issue::BaseWithText> listed = connection->GetIssuesWithText();
    ASSERT_EQ(listed.GetSize(), 1u);
    EXPECT_EQ(Printed(listed[0].GetIssue()), Printed(*title));
    connection->TV().CallCommand("Remove", [&] { listed[0].Remove(); });
    EXPECT_TRUE(connection->GetIssuesWithText().IsEmpty());
}

TEST(IssueBase, PrintedFormsNameTheClassAndEachField) {
    PK::Guid::SeedGenerator(11);
    PK::Clock::Set(42);
    Issue::CoudntUpdateProjectOrSpecTitle title("Spec B", "Project B");
    const std::string guid = title.Guid().ToUniString().ToCStr();
    EXPECT_EQ(Printed(title), "Model::Issue::CoudntUpdateProjectOrSpecTitle{guid: \"" + guid +
                                  "\", severity: Warning, creationTime: 42, \"_newSpecTitle\": \"Spec B\", "
                                  "\"_newProjectTitle\": \"Project B\"}");

    Issue::UnknownError unknown("disk");
    PK::Array<std::shared_ptr<Issue::Base>> two{std::make_shared<Issue::UnknownError>(unknown),
                                                std::make_shared<Issue::UnknownError>(unknown)};
    const std::string one = Printed(unknown);
    EXPECT_EQ(one, "Model::Issue::UnknownError{guid: \"" + std::string(unknown.Guid().ToUniString().ToCStr()) +
                       "\", severity: Error, creationTime: 42, hint: \"disk\"}");
    EXPECT_EQ(fmt::format("{}", two), one + one);

    Issue::MissingClassificationItem item(Clause("clause-1", "B10", "Walls"));
    EXPECT_NE(Printed(item).find(", tessaryClauseProperties: "), std::string::npos);
}

TEST(IssueBase, CreateAndReadRefusesWhatIsNoIssueWithTheSameTextsEveryTime) {
    struct NotAnIssue : PK::Object {
        static PK::Object* Make() { return new NotAnIssue(); }
    };
    const PK::ClassInfo notAnIssueInfo("IssueTest::NotAnIssue", PK::Guid("5e0a9d3c-1b2f-4c7e-8a6d-9f0e1d2c3b4a"),
                                       PK::ClassVersion(1, 0), nullptr, &NotAnIssue::Make);
    const PK::Guid unknownClass("aaaaaaaa-bbbb-4ccc-8ddd-eeeeeeeeeeee");

    struct Case {
        PK::Guid classId;
        std::string message;
        std::string logLine;
    };
    const std::vector<Case> cases = {
        {unknownClass, "currentClassInfo is null",
         "failed assertion: currentClassInfo != nullptr, classId(\"AAAAAAAA-BBBB-4CCC-8DDD-EEEEEEEEEEEE\")"},
        {Issue::Base::classInfo.GetId(), "currentClassInfo no contr",
         fmt::format("failed assertion: currentClassInfo->HasConstructor(), *currentClassInfo({})",
                     Issue::Base::classInfo)},
        {notAnIssueInfo.GetId(), "Class is not an Model::Issue::Base",
         fmt::format("failed assertion: dynamic_cast<Base*>(pkObj.get()) != nullptr, *currentClassInfo({}), "
                     "*pkObj->GetClassInfo()({})",
                     notAnIssueInfo, PK::Object::classInfo)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        TestSupport::LogCapture log;
        IO::MemoryOChannel32 oc;
        oc.Write(c.classId);
        IO::MemoryIChannel32 ic(oc.GetDestination(), oc.GetDataSize());
        try {
            Issue::Base::CreateAndRead(ic);
            ADD_FAILURE() << "no exception";
        } catch (const AddonRuntimeError& e) {
            const std::string what = e.what();
            EXPECT_EQ(what.rfind("../../Src/Model/Issue/Base.cpp:", 0), 0u) << what;
            EXPECT_EQ(what.substr(what.size() - c.message.size() - 7), "error: " + c.message);
        }
        EXPECT_TRUE(log.Has(spdlog::level::critical, c.logLine)) << testing::PrintToString(log.Messages());
    }

    // Not even a class GUID: the channel's code as a host error.
    TestSupport::LogCapture log;
    IO::MemoryIChannel32 empty(nullptr, 0);
    try {
        Issue::Base::CreateAndRead(empty);
        ADD_FAILURE() << "no exception";
    } catch (const Api::GeneralError& e) {
        EXPECT_EQ(e.GetCode(), PK::EndOfInput);
    }
    EXPECT_TRUE(log.Has(spdlog::level::trace,
                        fmt::format("GeneralError exception will be thrown: APIERR_?({})", PK::EndOfInput)));
}

// Each kind's record is its own frame holding its fields and then the base
// frame; a newer main version of either frame is refused, a newer minor one read.
TEST(IssueBase, EveryKindWritesItsFramesAndRefusesANewerVersionAtEveryLevel) {
    PK::Clock::Set(100);
    using FieldWriter = std::function<void(PK::OChannel&)>;
    auto record = [](const Issue::Base& issue, PK::ClassVersion kindVersion, PK::UInt8 baseVersion,
                     const FieldWriter& fields) {
        return TestSupport::IssueRecord(issue.GetClassInfo()->GetId(), kindVersion, [&](PK::OChannel& oc) {
            fields(oc);
            PK::OutputFrame base(oc, Issue::Base::classInfo.GetId(), PK::ClassVersion(baseVersion, 0));
            oc.Write(issue.Guid());
            oc.Write(issue.CreationTime());
            oc.Write(static_cast<PK::Int32>(issue.Severity()));
        });
    };
    const auto texts = [](std::vector<PK::UniString> values) {
        return [values](PK::OChannel& oc) {
            for (const auto& value : values) oc.Write(value);
        };
    };
    Issue::CoudntUpdateProjectOrSpecTitle title("Spec \"B\"", "");
    Issue::MissingClassificationItem item(Clause("clause-1", "B10", "Walls"));
    Issue::UnknownError unknown("Issue::Collection read error: unknown"), noHint;
    const std::vector<std::pair<const Issue::Base*, FieldWriter>> kinds = {
        {&title, texts({"Spec \"B\"", ""})},
        {&item,
         [&](PK::OChannel& oc) {
             oc.Write(
                 static_cast<const PK::HashTable<PK::UniString, PK::UniString>&>(item.GetTessaryClauseProperties()));
         }},
        {&unknown, texts({"Issue::Collection read error: unknown"})},
        {&noHint, texts({""})},
    };
    for (const auto& [issue, fields] : kinds) {
        SCOPED_TRACE(Printed(*issue));
        const Bytes current = record(*issue, {1, 0}, 1, fields);
        EXPECT_EQ(Stored(*issue), current);
        EXPECT_EQ(Printed(*ReadBack(current)), Printed(*issue));  // the printed form shows every field
        EXPECT_THROW(ReadBack(record(*issue, {2, 0}, 1, fields)), Error::VersionIncompatibility);
        EXPECT_THROW(ReadBack(record(*issue, {1, 0}, 2, fields)), Error::VersionIncompatibility);
        EXPECT_EQ(Printed(*ReadBack(record(*issue, {1, 7}, 1, fields))), Printed(*issue));
    }
}

TEST(IssueBase, AFailingWriteStopsAtTheFieldAndReportsItsCode) {
    Issue::CoudntUpdateProjectOrSpecTitle title("S", "P");
    IO::MemoryOChannel32 oc;
    oc.FailAtValue(3, PK::BadData);  // class GUID, specification title, then the project title fails
    EXPECT_EQ(title.WriteWithType(oc), PK::BadData);
    EXPECT_EQ(oc.GetValueCount(), 3u);
}
