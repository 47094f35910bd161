#pragma once
// The fuzz harnesses. Each takes arbitrary bytes into one of the add-on's ways
// in (a stored record read through the simulated host, a team-work merge of
// two stored versions, a page call) and checks what must hold whatever the
// bytes are: no exception reaches the host, no host memory block leaks or is
// freed twice, and nothing stored is lost or damaged by a read. A broken rule
// throws Fuzz::Broken; a crash is left to the sanitizers.
//
// With TC_FUZZ each harness is a libFuzzer target of its own (fuzz_<name>,
// fuzz/Entry.cpp) that starts from the seeds in fuzz/corpus/<name>. The tests
// (tests/fuzz) replay those seeds and every input a run found, kept in
// fuzz/regressions/<name>, with any compiler.
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace Fuzz {

using Bytes = std::vector<std::uint8_t>;
using Input = std::span<const std::uint8_t>;

struct Broken : std::logic_error {
    using std::logic_error::logic_error;
};

struct Target {
    const char* name;
    void (*run)(Input input);
    // Inputs made of records and texts the add-on writes itself.
    std::vector<Bytes> (*seeds)();
};

const std::vector<Target>& Targets();
// nullptr for a name no harness has.
const Target* FindTarget(std::string_view name);

}  // namespace Fuzz
