#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>
#include <string>

#include "Torvel/Api/Error.hpp"
#include "Util/Json.hpp"
#include "Util/Log.hpp"

using namespace TessaryConnect;

namespace {
template <typename T>
concept StreamPrintable = requires(std::ostream& os, const T& value) { os << value; };
}  // namespace

TEST(Formatters, ExceptionsPrintTheirTextWithoutAStreamOperatorAddedToNamespaceStd) {
    EXPECT_FALSE(StreamPrintable<std::runtime_error>);
    EXPECT_EQ(fmt::format("exception: {}", std::runtime_error("disk full")), "exception: disk full");
    const std::exception& caught = Api::Error<APIERR_BADID>();
    EXPECT_EQ(fmt::format("{}", caught), caught.what());
}

// A page or a stored text nested deeper than any stack holds: the reader keeps
// its nesting on the heap, so the worst is a parse error, never a crash.
TEST(Json, DeeplyNestedTextIsReadWithoutRecursion) {
    constexpr std::size_t depth = 1'000'000;
    const std::string open(depth, '[');
    EXPECT_THROW(rapidjson::Document().Parse(open.c_str()), Json::ParseException);

    rapidjson::Document nested;
    nested.Parse((open + std::string(depth, ']')).c_str());
    ASSERT_TRUE(nested.IsArray());
    EXPECT_EQ(nested.Size(), 1u);
}
