#include "support/ScriptJson.hpp"

#include <duktape.h>

#include <memory>

namespace TestSupport {

std::string Cesu8(const PK::UniString& text) {
    std::string out;
    for (char16_t unit : text.ToUStr()) {
        const unsigned c = unit;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string ScriptJsonValue(const PK::UniString& json) {
    std::unique_ptr<duk_context, void (*)(duk_context*)> heap(duk_create_heap_default(), &duk_destroy_heap);
    duk_context* ctx = heap.get();
    static const char checker[] =
        "(function (text) {\n"
        "  var parsed, evaluated;\n"
        "  try { parsed = Duktape.enc('jc', JSON.parse(text)); }\n"
        "  catch (e) { return 'error: JSON.parse: ' + e; }\n"
        "  try { evaluated = Duktape.enc('jc', eval('(' + text + ')')); }\n"
        "  catch (e) { return 'error: as a script: ' + e; }\n"
        "  return parsed === evaluated ? parsed : 'error: JSON.parse gives ' + parsed + ', the script ' + evaluated;\n"
        "})";
    if (duk_peval_string(ctx, checker) != 0) return std::string("error: checker: ") + duk_safe_to_string(ctx, -1);
    const std::string text = Cesu8(json);
    duk_push_lstring(ctx, text.data(), text.size());
    if (duk_pcall(ctx, 1) != 0) return std::string("error: ") + duk_safe_to_string(ctx, -1);
    return duk_safe_to_string(ctx, -1);
}

}  // namespace TestSupport
