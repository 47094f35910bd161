#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>

#include "PK/Runnable.hpp"
#include "Torvel/Api/Error.hpp"
#include "Util/Formatters.hpp"
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
    EXPECT_STREQ(Json::ParseErrorName(rapidjson::kParseErrorUnspecificSyntaxError), "kParseErrorUnspecificSyntaxError");
    EXPECT_STREQ(Json::ParseErrorName(static_cast<rapidjson::ParseErrorCode>(99)), "kParseErrorUnknown");
}

TEST(JsonHooks, MisuseOfAValueLogsTheAssertionAndEndsTheCall) {
    TestSupport::LogCapture log;
    rapidjson::Document doc;
    doc.Parse("[1, 2]");
    EXPECT_THROW(doc.GetObject(), AddonRuntimeError);
    EXPECT_TRUE(log.Has(spdlog::level::err, "rapidjson assertion: IsObject()"));
}

// A page or a stored text nested deeper than any stack holds: the reader keeps
// its nesting on the heap, so the worst is a parse error, never a crash.
TEST(JsonHooks, DeeplyNestedTextIsReadWithoutRecursion) {
    constexpr std::size_t depth = 1'000'000;
    const std::string open(depth, '[');
    EXPECT_THROW(rapidjson::Document().Parse(open.c_str()), Json::ParseException);
    rapidjson::Document nested;
    nested.Parse((open + std::string(depth, ']')).c_str());
    ASSERT_TRUE(nested.IsArray());
    EXPECT_EQ(nested.Size(), 1u);
}

template <typename T>
concept StreamPrintable = requires(std::ostream& os, const T& value) {
    os << value;
};

// Exceptions print their text without a stream operator added to namespace std.
TEST(Printers, EachPrinterHasItsLogForm) {
    static_assert(!StreamPrintable<std::runtime_error>);
    static const PK::ClassInfo info("Test::Printed", PK::Guid("4de6d453-ce34-4f18-9ed7-8a50fc49748a"),
                                    PK::ClassVersion(1, 0));
    const PK::Guid guid("7a4bcdda-da8d-459c-b356-a815f02c5df4");
    const std::pair<std::string, std::string> cases[] = {
        {fmt::format("{}", PK::UniString()), "\"\""},
        {fmt::format("{}", PK::UniString("a\\b \"c\" \xC3\xA9")), "\"a\\b \\\"c\\\" \xC3\xA9\""},
        {fmt::format("{}", guid), "\"7A4BCDDA-DA8D-459C-B356-A815F02C5DF4\""},
        {fmt::format("{}", info),
         "{\"GetName()\": Test::Printed\"GetId()\": \"4DE6D453-CE34-4F18-9ED7-8A50FC49748A\""
         "\"HasConstructor()\": 0\"GetVersion()\": {main: 1, sub: 0}}"},
        {fmt::format("exception: {}", std::runtime_error("disk full")), "exception: disk full"},
        {fmt::format("{}", static_cast<const std::exception&>(Api::Error<APIERR_BADID>())),
         "APIERR_BADID(-2130313115)"},
    };
    for (const auto& [printed, expected] : cases) EXPECT_EQ(printed, expected);
}
