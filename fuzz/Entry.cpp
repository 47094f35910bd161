// The libFuzzer entry of one harness, the one TC_FUZZ_TARGET names. A broken rule ends the process as a crash does,
// so libFuzzer keeps the input that broke it.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "Harness.hpp"
#include "TVSim/Resources.hpp"

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    TVSim::Resources::SetFolder(TC_RESOURCES_DIR);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Fuzz::Target* const target = Fuzz::FindTarget(TC_FUZZ_TARGET);
    if (target == nullptr) {
        std::fprintf(stderr, "no harness named %s\n", TC_FUZZ_TARGET);
        std::abort();
    }
    try {
        target->run(Fuzz::Input(data, size));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", target->name, e.what());
        std::abort();
    }
    return 0;
}
