// The writer's own rule beyond RapidJSON's escaping: line and paragraph
// separators never reach the page raw, wherever they stand in a text, and
// nothing else is escaped for them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Util/JsonWriter.hpp"
#include "support/ScriptJson.hpp"

namespace {

using TessaryConnect::Json::Writer;

TEST(JsonWriter, SeparatorsAreEscapedAtEveryPositionOfTheText) {
    // Short texts at every position; long ones at the ends and where the writer's search moves from one block of
    // the text to the next.
    for (std::size_t length : {1, 2, 3, 4, 5, 6, 7, 8, 9, 63, 64, 65, 129, 200}) {
        std::vector<std::size_t> positions;
        for (std::size_t at = 0; at < length; ++at)
            if (length < 10 || at % 64 <= 1 || at % 64 >= 62 || at + 1 == length) positions.push_back(at);
        for (std::size_t at : positions) {
            for (char16_t separator : {u'\u2028', u'\u2029'}) {
                std::u16string text(length, u'x');
                text[at] = separator;
                Writer writer;
                writer.String(PK::UniString(text));
                const std::u16string escaped =
                    text.substr(0, at) + (separator == u'\u2028' ? u"\\u2028" : u"\\u2029") + text.substr(at + 1);
                const PK::UniString written = writer.GetText();
                EXPECT_EQ(written.ToUStr(), u"\"" + escaped + u"\"") << "length " << length << ", at " << at;
                EXPECT_EQ(TestSupport::ScriptJsonValue(written).rfind("error", 0), std::string::npos);
            }
        }
    }
    Writer neighbours;
    neighbours.String(PK::UniString(u"\u2027\u202A\u3028\u2128\u2028"));
    EXPECT_EQ(neighbours.GetText().ToUStr(), u"\"\u2027\u202A\u3028\u2128\\u2028\"");
}

}  // namespace
