#include <gtest/gtest.h>

#include "Model/AddonVersion.hpp"
#include "Torvel/Api/AddonRuntimeError.hpp"
#include "support/LogCapture.hpp"

using TessaryConnect::AddonRuntimeError;
using TessaryConnect::Model::AddonVersion;

TEST(AddonVersion, OrdersPartByPartAsSignedNumbers) {
    const AddonVersion v1310(1, 3, 1, 0);
    EXPECT_TRUE(v1310 < AddonVersion(1, 3, 2, 0));
    EXPECT_TRUE(v1310 < AddonVersion(1, 4, 0, 0));
    EXPECT_FALSE(v1310 < v1310);
    EXPECT_TRUE(AddonVersion(1, 9, 0, 0) < AddonVersion(1, 10, 0, 0));
    EXPECT_TRUE(AddonVersion(0, 0, 0, -1) < AddonVersion());
    EXPECT_FALSE(AddonVersion(2, 0, 0, 0) < AddonVersion(1, 99, 99, 99));
}

TEST(AddonVersion, TextForms) {
    const AddonVersion v(24, 3, 0, 1);
    EXPECT_EQ(v.MajorStr(), "24");
    EXPECT_EQ(v.TilMinorStr(), "24.3");
    EXPECT_EQ(v.TilPatchStr(), "24.3.0");
    EXPECT_EQ(v.FullStr(), "24.3.0.1");
    EXPECT_EQ(fmt::format("{}", AddonVersion()), "0.0.0.0");
}

// The runtime error names the untrimmed source path, unlike the log line.
TEST(AddonVersion, ParsesFourPartsAndRefusesOtherCounts) {
    EXPECT_EQ(AddonVersion::FromString("2.0.0.0"), AddonVersion(2, 0, 0, 0));
    EXPECT_EQ(AddonVersion::FromString("1.x.3.4"), AddonVersion(1, 0, 3, 4));
    for (const char* bad : {"1.3.1", "1.3.1.0.5", ""}) {
        SCOPED_TRACE(bad);
        TestSupport::LogCapture log;
        try {
            AddonVersion::FromString(bad);
            ADD_FAILURE() << "no throw";
        } catch (const AddonRuntimeError& e) {
            const std::string text = e.what();
            EXPECT_TRUE(text.starts_with("../../Src/Model/AddonVersion.cpp:")) << text;
            EXPECT_TRUE(text.ends_with(": error: wrong version format")) << text;
        }
        EXPECT_EQ(log.Count(spdlog::level::err, "failed assertion: versionStr.Split(\".\", &vers) == 4"), 1u);
    }
}
