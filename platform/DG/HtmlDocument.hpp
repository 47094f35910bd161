#pragma once
// The little a browser control's substitute reads from a page's HTML: its
// title, its inline <script> blocks in order, and its elements with their id,
// class, value and immediate text. Comments and <style> blocks are skipped;
// entity references in texts and attribute values are decoded.
#include <vector>

#include "PK/UniString.hpp"

namespace DG {

struct HtmlElement {
    PK::UniString tag;  // lower case
    PK::UniString id;
    PK::UniString className;
    PK::UniString value;
    PK::UniString text;  // the text between the start tag and the next tag
};

struct HtmlDocument {
    PK::UniString title;
    std::vector<PK::UniString> scripts;
    std::vector<HtmlElement> elements;

    static HtmlDocument Parse(const PK::UniString& html);
};

}  // namespace DG
