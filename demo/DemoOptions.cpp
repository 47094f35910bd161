#include "DemoOptions.hpp"

#include <fmt/format.h>

#include <charconv>
#include <string_view>

namespace Demo {

std::string Usage() {
    return fmt::format(
        "usage: tessary_demo [--elements N] [--help]\n"
        "  --elements N  the sample project holds N elements: a whole number from {} to {} (default {})\n",
        Options::MinElements, Options::MaxElements, Options::DefaultElements);
}

namespace {

// Digits only: no sign, no spaces, no exponent, nothing after the number.
std::optional<std::size_t> ElementCount(std::string_view text) {
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (count < Options::MinElements || count > Options::MaxElements) return std::nullopt;
    return count;
}

}  // namespace

std::optional<Options> ParseOptions(int argc, const char* const* argv, std::string& error) {
    Options options;
    bool elementsGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument == "--elements") {
            if (elementsGiven) {
                error = "--elements is given more than once";
                return std::nullopt;
            }
            if (i + 1 >= argc) {
                error = "--elements needs a number";
                return std::nullopt;
            }
            const std::string_view value = argv[++i];
            const std::optional<std::size_t> count = ElementCount(value);
            if (!count) {
                error = fmt::format("--elements takes a whole number from {} to {}, not \"{}\"", Options::MinElements,
                                    Options::MaxElements, value);
                return std::nullopt;
            }
            options.elements = *count;
            elementsGiven = true;
        } else {
            error = fmt::format("unknown argument \"{}\"", argument);
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace Demo
