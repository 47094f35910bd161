// Every fuzz harness's seeds, and every input a fuzzing run found, replayed in the ordinary build: an input that once
// broke a rule or crashed keeps being tried by every compiler and sanitizer the tests run with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Harness.hpp"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(const std::string& harness) {
    const char* source = std::getenv("TC_SOURCE_DIR");
    const fs::path root = fs::path(source != nullptr ? source : ".") / "fuzz";
    std::vector<fs::path> inputs;
    for (const char* kind : {"corpus", "regressions"})
        if (fs::is_directory(root / kind / harness))
            for (const fs::directory_entry& entry : fs::directory_iterator(root / kind / harness))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

std::vector<std::string> HarnessNames() {
    std::vector<std::string> names;
    for (const Fuzz::Target& target : Fuzz::Targets()) names.push_back(target.name);
    return names;
}

class FuzzInputs : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzInputs, EveryKeptInputKeepsTheRules) {
    const Fuzz::Target* target = Fuzz::FindTarget(GetParam());
    ASSERT_NE(target, nullptr);
    const std::vector<fs::path> inputs = InputsOf(GetParam());
    EXPECT_FALSE(inputs.empty()) << "no seeds checked in for " << GetParam();
    for (const fs::path& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        const Fuzz::Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        try {
            target->run(bytes);
        } catch (const std::exception& e) {
            ADD_FAILURE() << path.filename() << ": " << e.what();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Harnesses, FuzzInputs, ::testing::ValuesIn(HarnessNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
