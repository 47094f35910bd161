#include "Util/RunnableLambda.hpp"

#include "Util/Log.hpp"

namespace TessaryConnect {

void RunnableLambda::Run() {
    try {
        _callable();
    } catch (const std::exception& e) {
        LOG_CRITICAL("exception: {}", e);
    } catch (...) {
        LOG_CRITICAL("unknown exception!");
    }
}

}  // namespace TessaryConnect
