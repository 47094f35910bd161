// Writes every harness's seeds into <folder>/<harness>/seed-<n>, made of records and texts the add-on writes itself:
//     tc_fuzz_seeds fuzz/corpus
// Run it again when a record's form changes, and check the seeds in.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "Harness.hpp"
#include "TVSim/Resources.hpp"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    TVSim::Resources::SetFolder(TC_RESOURCES_DIR);
    for (const Fuzz::Target& target : Fuzz::Targets()) {
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / target.name;
        std::filesystem::create_directories(folder);
        const std::vector<Fuzz::Bytes> seeds = target.seeds();
        for (std::size_t i = 0; i < seeds.size(); ++i) {
            std::ofstream out(folder / ("seed-" + std::to_string(i + 1)), std::ios::binary);
            out.write(reinterpret_cast<const char*>(seeds[i].data()), static_cast<std::streamsize>(seeds[i].size()));
        }
        std::printf("%s: %zu seeds\n", target.name, seeds.size());
    }
    return 0;
}
