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
    struct Case {
        std::vector<std::pair<std::string, std::string>> entries;
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
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
    for (const Case& c : cases)
        EXPECT_EQ(Make(c.entries).ResolveVariables(PK::UniString(c.text)).ToCStr(), c.expected) << c.text;
}

TEST(Properties, JsonIsACompactObjectInStorageOrder) {
    EXPECT_EQ(Make({}).ToJSON(), PK::UniString("{}"));
    EXPECT_EQ(Make({{"a", "b"}}).ToJSON(), PK::UniString("{\"a\":\"b\"}"));
    EXPECT_EQ(Make({{"z", "1"}, {"a", "say \"hi\"\\"}}).ToJSON(),
              PK::UniString("{\"z\":\"1\",\"a\":\"say \\\"hi\\\"\\\\\"}"));
    EXPECT_EQ(Make({{"k", "Süd \xF0\x9F\x98\x80"}}).ToJSON(), PK::UniString("{\"k\":\"Süd \xF0\x9F\x98\x80\"}"));
    EXPECT_EQ(fmt::format("{}", Make({{"a", "b"}})), "{\"a\":\"b\"}");
}

TEST(Properties, EqualityFollowsTheJsonTextSoOrderMatters) {
    EXPECT_TRUE(Make({{"a", "1"}, {"b", "2"}}) == Make({{"a", "1"}, {"b", "2"}}));
    EXPECT_FALSE(Make({{"a", "1"}, {"b", "2"}}) == Make({{"b", "2"}, {"a", "1"}}));
    EXPECT_FALSE(Make({{"a", "1"}}) == Make({{"a", "2"}}));
}

TEST(Properties, GettersAnswerTheFixedKeys) {
    Properties p = Make({{"OrvoTessaryProjectId", "p"},
                         {"OrvoTessarySpecificationId", "s"},
                         {"OrvoTessaryClauseId", "c"},
                         {"OrvoTessaryCode", "A10"},
                         {"OrvoTessaryTitle", "t"},
                         {"OrvoTessaryPrefix", "pre"},
                         {"OrvoTessarySuffix", "suf"}});
    EXPECT_EQ(p.ProjectId(), PK::UniString("p"));
    EXPECT_EQ(p.SpecificationId(), PK::UniString("s"));
    EXPECT_EQ(p.ClauseId(), PK::UniString("c"));
    EXPECT_EQ(p.Code(), PK::UniString("A10"));
    EXPECT_EQ(p.Title(), PK::UniString("t"));
    EXPECT_EQ(p.Prefix(), PK::UniString("pre"));
    EXPECT_EQ(p.Suffix(), PK::UniString("suf"));

    std::vector<std::string> visible;
    for (const auto& key : Properties::Name::AllVisible) visible.push_back(key.ToCStr());
    EXPECT_EQ(visible, (std::vector<std::string>{"OrvoTessaryClauseId", "OrvoTessaryCode", "OrvoTessaryTitle",
                                                 "OrvoTessaryPrefix", "OrvoTessarySuffix"}));
}

TEST(Properties, AMissingKeyIsLoggedOnceAndAnswersTheEmptyText) {
    TestSupport::LogCapture log;
    Properties p = Make({{"OrvoTessaryCode", "A10"}});
    EXPECT_TRUE(p.Title().IsEmpty());
    EXPECT_TRUE(p.Suffix().IsEmpty());
    EXPECT_EQ(log.Messages(), (std::vector<std::string>{"failed assertion: this->ContainsKey(Name::Title)",
                                                        "failed assertion: this->ContainsKey(Name::Suffix)"}));
    EXPECT_EQ(log.Records()[0].level, spdlog::level::err);
}

}  // namespace
