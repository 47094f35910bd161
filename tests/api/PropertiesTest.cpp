#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Tessary/Api/Properties.hpp"
#include "support/LogCapture.hpp"

namespace {

using TessaryConnect::Api::Properties;

Properties Make(const std::vector<std::pair<std::string, std::string>>& entries) {
    Properties properties;
    for (const auto& [key, value] : entries) properties.Add(PK::UniString(key), PK::UniString(value));
    return properties;
}

TEST(Properties, ResolveVariablesFillsEachPlaceholderForm) {
    const struct {
        std::vector<std::pair<std::string, std::string>> entries;
        std::string text, expected;
    } cases[] = {
        {{{"OrvoTessaryCode", "A10"}}, "[{ :OrvoTessaryCode: }]", "[ A10 ]"},
        {{{"OrvoTessaryCode", ""}}, "[{ :OrvoTessaryCode: }]", "[]"},
        {{{"OrvoTessaryCode", "A10"}}, "[{ :OrvoTessaryCode}|{OrvoTessaryCode: }]", "[ A10|A10 ]"},
        {{{"OrvoTessaryCode", ""}}, "[{ :OrvoTessaryCode}|{OrvoTessaryCode: }|{OrvoTessaryCode}]", "[||]"},
        {{{"OrvoTessaryPrefix", "Pre"}, {"OrvoTessaryCode", "A10"}},
         "{OrvoTessaryPrefix: }{OrvoTessaryCode}",
         "Pre A10"},
        {{{"OrvoTessaryCode", "A10"}}, "{OrvoTessaryCode}/{OrvoTessaryCode}", "A10/A10"},
        {{{"OrvoTessaryCode", "A10"}},
         "{Missing} {orvotessarycode} { OrvoTessaryCode}",
         "{Missing} {orvotessarycode} { OrvoTessaryCode}"},
        {{}, "{OrvoTessaryCode}", "{OrvoTessaryCode}"},
        // Plain text replacement in storage order: a value may carry a later key's placeholder.
        {{{"a", "{b}"}, {"b", "x"}}, "{a}", "x"},
        {{{"b", "x"}, {"a", "{b}"}}, "{a}", "{b}"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Make(c.entries).ResolveVariables(PK::UniString(c.text)).ToCStr(), c.expected) << c.text;
}

TEST(Properties, JsonAndEqualityFollowStorageOrderAndTheGettersAnswerTheirKeys) {
    EXPECT_EQ(Make({{"z", "1"}, {"a", "say \"hi\"\\"}}).ToJSON(),
              PK::UniString("{\"z\":\"1\",\"a\":\"say \\\"hi\\\"\\\\\"}"));
    EXPECT_FALSE(Make({{"a", "1"}, {"b", "2"}}) == Make({{"b", "2"}, {"a", "1"}}));
    const char* keys[] = {"OrvoTessaryProjectId", "OrvoTessarySpecificationId", "OrvoTessaryClauseId",
                          "OrvoTessaryCode",      "OrvoTessaryTitle",           "OrvoTessaryPrefix",
                          "OrvoTessarySuffix"};
    Properties p;
    for (const char* key : keys) p.Add(key, PK::UniString(key) + "!");
    const PK::UniString read[] = {p.ProjectId(), p.SpecificationId(), p.ClauseId(), p.Code(),
                                  p.Title(),     p.Prefix(),          p.Suffix()};
    for (std::size_t i = 0; i < std::size(keys); ++i) EXPECT_EQ(read[i], PK::UniString(keys[i]) + "!");

    // A missing key is logged once and answers the empty text.
    TestSupport::LogCapture log;
    const Properties onlyCode = Make({{"OrvoTessaryCode", "A10"}});
    EXPECT_TRUE(onlyCode.Title().IsEmpty() && onlyCode.Suffix().IsEmpty());
    EXPECT_EQ(log.Messages(), (std::vector<std::string>{"failed assertion: this->ContainsKey(Name::Title)",
                                                        "failed assertion: this->ContainsKey(Name::Suffix)"}));
    EXPECT_EQ(log.Records()[0].level, spdlog::level::err);
}

}  // namespace
