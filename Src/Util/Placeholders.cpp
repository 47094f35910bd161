#include "Util/Placeholders.hpp"

#include <algorithm>
#include <string>

#include "Util/Log.hpp"

namespace TessaryConnect::Util {

PK::UniString FillPlaceholders(const PK::UniString& text, const Fills& fills, const char* caller) {
    const std::u16string& in = text.ToUStr();
    std::u16string firsts;  // the characters a placeholder can start with
    for (const auto& [placeholder, value] : fills)
        if (!placeholder.IsEmpty() && firsts.find(placeholder[0]) == std::u16string::npos) firsts += placeholder[0];

    std::u16string out;
    out.reserve(in.size());
    for (std::size_t at = 0; at < in.size();) {
        const std::size_t next = in.find_first_of(firsts, at);
        if (next == std::u16string::npos) {
            out.append(in, at);
            break;
        }
        out.append(in, at, next - at);
        at = next;
        const auto fill = std::find_if(fills.begin(), fills.end(), [&](const Fill& f) {
            const std::u16string& placeholder = f.first.ToUStr();
            return !placeholder.empty() && in.compare(at, placeholder.size(), placeholder) == 0;
        });
        if (fill == fills.end()) {
            out += in[at++];
            continue;
        }
        const std::size_t after = at + fill->first.GetLength();
        const std::size_t length = out.size() + fill->second.GetLength() + (in.size() - after);
        if (length > maxFilledLength && length > in.size()) {
            LOG_WARN("{}: filling {} would make the text {} characters long; the placeholders left stay unfilled",
                     caller, fill->first, length);
            out.append(in, at);
            break;
        }
        out += fill->second.ToUStr();
        at = after;
    }
    return PK::UniString(std::move(out));
}

}  // namespace TessaryConnect::Util
