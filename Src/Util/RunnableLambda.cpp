#include "Util/RunnableLambda.hpp"

#include "Util/LogCaught.hpp"

namespace TessaryConnect {

void RunnableLambda::Run() {
    try {
        _callable();
    } catch (...) {
        TC_LOG_CAUGHT(critical);
    }
}

}  // namespace TessaryConnect
