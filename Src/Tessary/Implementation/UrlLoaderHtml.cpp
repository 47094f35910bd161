#include "Tessary/Implementation/UrlLoaderHtml.hpp"

#include <fmt/format.h>

#include "Tessary/Implementation/StringParam.hpp"

namespace TessaryConnect::Implementation {

namespace {

constexpr const char* kTargetPlaceholder = "${TARGET_URL}";

constexpr const char* kLoaderHtml = R"(<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<title>OrvoTessary Connect is offline...</title>
<style>
body {
    background-color: rgb(246, 246, 246);
    cursor: default;
    text-align: center;
    font-family: arial;
}
.content {
    min-width: 320px;
    max-width: 580px;
    width: 50%;
    margin: 0 auto;
}
.title {
    font-size: 28px;
    font-weight: 700;
    line-height: 34px;
    text-align: center;
}
.message {
    font-size: 13px;
    line-height: 18px;
    padding: 0px 24px;
}
.text-container {
    color: rgb(133, 133, 133);
    width: 100%;
    word-wrap: break-word;
}
</style>
</head>
<body>
<div class="content">
<p class="title text-container">You Are Not Connected to the Internet</p>
<p class="message text-container">This page cannot be displayed because your computer is currently offline.</p>
<p class="message text-container">You can continue to work offline with already associated clauses. See the Used clauses History tab.</p>
</div>
<script>
if (window.navigator.onLine) {
    ${FORWARD}
}
</script>
</body>
</html>
)";

}  // namespace

PK::UniString GetUrlLoaderHtml(const PK::UniString& target, std::uint32_t retryDelay) {
    // The target goes in as a script literal: a quote, a line break or
    // "</script>" in a configured address must not end the script.
    const std::string forward =
        retryDelay == 0
            ? fmt::format("window.location.replace({});", kTargetPlaceholder)
            : fmt::format("window.setTimeout(function () {{ window.location.replace({}); }}, {});",
                          kTargetPlaceholder, retryDelay);
    PK::UniString html(kLoaderHtml);
    html.ReplaceAll("${FORWARD}", forward);
    html.ReplaceAll(kTargetPlaceholder, StringParam(target));
    return html;
}

}  // namespace TessaryConnect::Implementation
