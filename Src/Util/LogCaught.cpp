#include "Util/LogCaught.hpp"

#include <exception>

namespace TessaryConnect::Util::Detail {

void LogCaught(const spdlog::source_loc& where, spdlog::level::level_enum level, std::string_view unknownText,
               std::string_view context) noexcept {
    try {
        spdlog::logger& logger = *spdlog::default_logger_raw();
        const std::exception_ptr caught = std::current_exception();
        if (!caught) {
            // Called outside a catch block: nothing to rethrow, the line all the same.
            logger.log(where, level, "{}{}", unknownText, context);
            return;
        }
        try {
            std::rethrow_exception(caught);
        } catch (const std::exception& e) {
            logger.log(where, level, "exception: {}{}", e, context);
        } catch (...) {
            logger.log(where, level, "{}{}", unknownText, context);
        }
    } catch (...) {
        // Only the logger itself gets here (spdlog passes on what it cannot
        // report); there is nowhere left to tell.
    }
}

}  // namespace TessaryConnect::Util::Detail
