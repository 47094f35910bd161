// Demo run of the add-on inside the simulated host. The add-on's entry
// functions are not built yet; until they are, this checks the build and says so.
#include <cstdio>

#include "Model/AddonVersion.hpp"

int main() {
    TessaryConnect::Model::AddonVersion version(1, 3, 1, 0);
    std::printf("OrvoTessaryConnect %s: foundation built; the add-on's entry functions are not built yet, so there is "
                "nothing to run in the simulated host.\n",
                version.FullStr().ToCStr().c_str());
    return 0;
}
