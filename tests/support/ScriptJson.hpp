#pragma once
// Reads the add-on's JSON back as the page does, with the substitute browser's script engine (fresh for each call).
#include <duktape.h>

#include <memory>

#include "DG/ScriptText.hpp"

namespace TestSupport {

// Takes the text both as an expression inside a script and through JSON.parse; when both agree, answers the value
// compact, keys in the order read, all but printable ASCII as \uXXXX. Otherwise "error: " and what went wrong.
inline std::string ScriptJsonValue(const PK::UniString& json) {
    std::unique_ptr<duk_context, void (*)(duk_context*)> heap(duk_create_heap_default(), &duk_destroy_heap);
    duk_context* ctx = heap.get();
    static const char checker[] =
        "(function (text) { var parsed, script;\n"
        "try { parsed = Duktape.enc('jc', JSON.parse(text)); } catch (e) { return 'error: JSON.parse: ' + e; }\n"
        "try { script = Duktape.enc('jc', eval('(' + text + ')')); } catch (e) { return 'error: as a script: ' + e; }\n"
        "return parsed === script ? parsed : 'error: JSON.parse gives ' + parsed + ', the script ' + script; })";
    if (duk_peval_string(ctx, checker) != 0) return std::string("error: checker: ") + duk_safe_to_string(ctx, -1);
    const std::string text = DG::ScriptText::ToEngine(json);
    duk_push_lstring(ctx, text.data(), text.size());
    if (duk_pcall(ctx, 1) != 0) return std::string("error: ") + duk_safe_to_string(ctx, -1);
    return duk_safe_to_string(ctx, -1);
}

}  // namespace TestSupport
