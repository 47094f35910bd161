#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "PK/Runnable.hpp"
#include "Util/Json.hpp"
#include "Util/Log.hpp"
#include "Util/RunnableLambda.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;

TEST(RunnableLambda, FailuresOfTheCallableAreLoggedAndSwallowed) {
    TestSupport::LogCapture log;
    int ran = 0;
    PK::MessageLoopExecutor executor;
    executor.Execute(std::make_shared<RunnableLambda>([&] { ++ran; }));
    executor.Execute(std::make_shared<RunnableLambda>([] { throw std::runtime_error("boom"); }));
    executor.Execute(std::make_shared<RunnableLambda>([] { throw 5; }));
    executor.Execute(std::make_shared<RunnableLambda>(std::function<void()>{}));
    EXPECT_EQ(ran, 0);  // nothing runs before the main loop does

    EXPECT_NO_THROW(EXPECT_EQ(PK::MainMessageLoop::RunPending(), 4u));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(log.Count(spdlog::level::critical, "exception: boom"), 1u);
    EXPECT_EQ(log.Count(spdlog::level::critical, "unknown exception!"), 1u);
    EXPECT_EQ(log.Count(spdlog::level::critical, "exception: bad_function_call"), 1u);
}

TEST(JsonHooks, ParseErrorLogsOnceAndThrowsWithCodeNameAndOffset) {
    TestSupport::LogCapture log;
    rapidjson::Document doc;
    try {
        doc.Parse(R"({"a": "b")");
        FAIL() << "no throw";
    } catch (const Json::ParseException& e) {
        EXPECT_EQ(e.Code(), rapidjson::kParseErrorObjectMissCommaOrCurlyBracket);
        EXPECT_STREQ(e.what(), "kParseErrorObjectMissCommaOrCurlyBracket");
        EXPECT_EQ(e.Offset(), 9u);
        EXPECT_EQ(log.Records().size(), 1u);
        EXPECT_TRUE(log.Has(spdlog::level::warn, "rapidjson parse error: 6:9"));
    }
}

TEST(JsonHooks, ErrorNamesFollowTheLibraryCodesWithoutShifting) {
    // The invalid-encoding code sits between the string and number codes; the
    // names after it must still match their own codes.
    EXPECT_STREQ(Json::ParseErrorName(rapidjson::kParseErrorStringInvalidEncoding), "kParseErrorStringInvalidEncoding");
    EXPECT_STREQ(Json::ParseErrorName(rapidjson::kParseErrorNumberTooBig), "kParseErrorNumberTooBig");
    EXPECT_STREQ(Json::ParseErrorName(rapidjson::kParseErrorUnspecificSyntaxError),
                 "kParseErrorUnspecificSyntaxError");
    EXPECT_STREQ(Json::ParseErrorName(static_cast<rapidjson::ParseErrorCode>(99)), "kParseErrorUnknown");
}

TEST(JsonHooks, MisuseOfAValueLogsTheAssertionAndEndsTheCall) {
    TestSupport::LogCapture log;
    rapidjson::Document doc;
    doc.Parse("[1, 2]");
    EXPECT_THROW(doc.GetObject(), AddonRuntimeError);
    EXPECT_TRUE(log.Has(spdlog::level::err, "rapidjson assertion: IsObject()"));
}

TEST(Printers, TextsAreQuotedWithInnerQuotesEscaped) {
    auto print = [](const auto& v) {
        std::ostringstream os;
        os << v;
        return os.str();
    };
    EXPECT_EQ(print(PK::UniString()), "\"\"");
    EXPECT_EQ(print(PK::UniString("a\\b \"c\" \xC3\xA9")), "\"a\\b \\\"c\\\" \xC3\xA9\"");
    PK::Guid guid("7a4bcdda-da8d-459c-b356-a815f02c5df4");
    EXPECT_EQ(print(guid), "\"7A4BCDDA-DA8D-459C-B356-A815F02C5DF4\"");
    EXPECT_EQ(fmt::format("{}", guid), "\"7A4BCDDA-DA8D-459C-B356-A815F02C5DF4\"");

    static const PK::ClassInfo info("Test::Printed", PK::Guid("4de6d453-ce34-4f18-9ed7-8a50fc49748a"),
                                    PK::ClassVersion(1, 0));
    EXPECT_EQ(print(info),
              "{\"GetName()\": Test::Printed\"GetId()\": \"4DE6D453-CE34-4F18-9ED7-8A50FC49748A\""
              "\"HasConstructor()\": 0\"GetVersion()\": {main: 1, sub: 0}}");
}
