#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Model/AddonVersion.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "support/LogCapture.hpp"

using TessaryConnect::Model::AddonVersion;

TEST(AddonVersion, OrdersPartByPartAsSignedNumbersAndHasItsTextForms) {
    using V = AddonVersion;
    EXPECT_TRUE(V(1, 3, 1, 0) < V(1, 3, 2, 0) && V(1, 3, 1, 0) < V(1, 4, 0, 0) && V(1, 9, 0, 0) < V(1, 10, 0, 0));
    EXPECT_TRUE(V(0, 0, 0, -1) < V());
    EXPECT_FALSE(V(1, 3, 1, 0) < V(1, 3, 1, 0) || V(2, 0, 0, 0) < V(1, 99, 99, 99));
    const V v(24, 3, 0, 1);
    EXPECT_EQ(fmt::format("{} {} {} {} {}", v.MajorStr(), v.TilMinorStr(), v.TilPatchStr(), v.FullStr(), V()),
              "\"24\" \"24.3\" \"24.3.0\" \"24.3.0.1\" 0.0.0.0");
}

// The runtime error names the untrimmed source path, unlike the log line.
TEST(AddonVersion, ParsesFourPartsAndRefusesOtherCounts) {
    EXPECT_EQ(AddonVersion::FromString("2.0.0.0"), AddonVersion(2, 0, 0, 0));
    EXPECT_EQ(AddonVersion::FromString("1.x.3.4"), AddonVersion(1, 0, 3, 4));
    for (const char* bad : {"1.3.1", "1.3.1.0.5", ""}) {
        TestSupport::LogCapture log;
        EXPECT_THAT([&] { AddonVersion::FromString(bad); },
                    testing::ThrowsMessage<TessaryConnect::AddonRuntimeError>(testing::MatchesRegex(
                        R"(\.\./\.\./Src/Model/AddonVersion\.cpp:[0-9]+: error: wrong version format)")));
        EXPECT_EQ(log.Count(spdlog::level::err, "failed assertion: versionStr.Split(\".\", &vers) == 4"), 1u) << bad;
    }
}
