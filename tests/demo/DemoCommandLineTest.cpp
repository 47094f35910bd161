// The demo binary as a user starts it: every malformed or out-of-range
// command line ends at once with status 2, the reason and the usage, before
// any sample project is built; --help prints the usage and succeeds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.hpp"

extern char** environ;

namespace {

struct Outcome {
    int status = -1;  // the exit status, or -1 when it did not exit by itself in time
    std::string out, err;
};

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the demo with the arguments; one that took a bad size for a good one
// would start building, so the run is cut short rather than waited out.
Outcome RunDemo(const std::vector<std::string>& arguments) {
    const TestSupport::TempDir folder;
    const std::string out = (folder.Path() / "out").string(), err = (folder.Path() / "err").string();
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> words{TC_DEMO_BINARY};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, TC_DEMO_BINARY, &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    Outcome outcome;
    if (spawned != 0) {
        outcome.err = "could not start " TC_DEMO_BINARY;
        return outcome;
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            status = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (status != -1 && WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
    outcome.out = ReadAll(out);
    outcome.err = ReadAll(err);
    return outcome;
}

const std::string UsageLine = "usage: tessary_demo [--elements N] [--help]\n";
const std::string Range = "a whole number from 24 to 100000 (default 300)";

TEST(DemoCommandLine, EveryBadFormIsRefusedWithItsReasonAndTheUsageBeforeAnythingIsBuilt) {
    const std::string takes = "tessary_demo: --elements takes a whole number from 24 to 100000, not ";
    const struct {
        std::vector<std::string> arguments;
        std::string reason;
    } cases[] = {
        {{"--elements", "-5"}, takes + "\"-5\""},
        {{"--elements", "abc"}, takes + "\"abc\""},
        {{"--elements", "99999999999999999999999"}, takes + "\"99999999999999999999999\""},
        {{"--elements", "18446744073709551611"}, takes + "\"18446744073709551611\""},
        {{"--elements", "1e3"}, takes + "\"1e3\""},
        {{"--elements", "5x"}, takes + "\"5x\""},
        {{"--elements", "300x"}, takes + "\"300x\""},
        {{"--elements", "+300"}, takes + "\"+300\""},
        {{"--elements", " 300"}, takes + "\" 300\""},
        {{"--elements", ""}, takes + "\"\""},
        {{"--elements", "0"}, takes + "\"0\""},
        {{"--elements", "6"}, takes + "\"6\""},
        {{"--elements", "23"}, takes + "\"23\""},
        {{"--elements", "100001"}, takes + "\"100001\""},
        {{"--elements"}, "tessary_demo: --elements needs a number"},
        {{"--elements", "--help"}, takes + "\"--help\""},
        {{"--elements", "300", "--elements", "400"}, "tessary_demo: --elements is given more than once"},
        {{"--elements=300"}, "tessary_demo: unknown argument \"--elements=300\""},
        {{"--verbose"}, "tessary_demo: unknown argument \"--verbose\""},
        {{"300"}, "tessary_demo: unknown argument \"300\""},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const std::string& argument : c.arguments) line += " '" + argument + "'";
        const Outcome outcome = RunDemo(c.arguments);
        EXPECT_EQ(outcome.status, 2) << line;
        EXPECT_EQ(outcome.err.substr(0, outcome.err.find('\n') + 1), c.reason + "\n") << line;
        EXPECT_NE(outcome.err.find("\n" + UsageLine), std::string::npos) << line << ": " << outcome.err;
        EXPECT_NE(outcome.err.find(Range), std::string::npos) << line << ": " << outcome.err;
        EXPECT_EQ(outcome.out, "") << line;
    }
}

// The smallest and the largest size are taken: with --help after them, nothing is built.
TEST(DemoCommandLine, HelpPrintsTheUsageWithTheRangeOfSizesAndSucceeds) {
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--help"},
                                                      {"-h"},
                                                      {"--elements", "24", "--help"},
                                                      {"--elements", "100000", "--help"}}) {
        std::string line;
        for (const std::string& argument : arguments) line += " " + argument;
        const Outcome outcome = RunDemo(arguments);
        EXPECT_EQ(outcome.status, 0) << line << ": " << outcome.err;
        EXPECT_EQ(outcome.out.substr(0, UsageLine.size()), UsageLine) << line;
        EXPECT_NE(outcome.out.find(Range), std::string::npos) << line;
        EXPECT_EQ(outcome.err, "") << line;
    }
}

}  // namespace
