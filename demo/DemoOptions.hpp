#pragma once
// The demo's command line: "--elements N" sets the size of the sample
// project, "--help" asks for the usage. Anything else is refused with a
// message that says what was wrong, before the demo touches anything.
#include <cstddef>
#include <optional>
#include <string>

namespace Demo {

struct Options {
    // Below the smallest size some kind of element would be missing on a story, and the steps that show it would
    // show nothing. The largest is the size the demo's memory and time are measured at.
    static constexpr std::size_t MinElements = 24;
    static constexpr std::size_t MaxElements = 100000;
    static constexpr std::size_t DefaultElements = 300;

    std::size_t elements = DefaultElements;
    bool help = false;
};

// "usage: ..." on one line, then what N may be.
std::string Usage();

// The options, or nullopt with the reason in error.
std::optional<Options> ParseOptions(int argc, const char* const* argv, std::string& error);

}  // namespace Demo
