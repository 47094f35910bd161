#include "DG/Drawing.hpp"

#include <sstream>

#include "DG/DialogState.hpp"

namespace DG {

namespace {

constexpr double DefaultIconSize = 16;
constexpr double LineHeight = 14;

std::pair<double, double> IconSize(short resID) {
    const auto& sizes = Detail::Dialogs().iconSizes;
    const auto it = sizes.find(resID);
    return it == sizes.end() ? std::pair{DefaultIconSize, DefaultIconSize} : it->second;
}

}  // namespace

double Icon::GetWidth() const { return IsEmpty() ? 0 : IconSize(_resID).first; }
double Icon::GetHeight() const { return IsEmpty() ? 0 : IconSize(_resID).second; }

Font GetFont(short size, short style) { return Font{size, style}; }

void DrawContext::DrawIcon(const Icon& icon, double x, double y) {
    std::ostringstream call;
    call << "icon " << icon.GetResourceId() << " at " << x << "," << y;
    _calls.push_back(call.str());
}

void DrawContext::DrawText(const PK::UniString& text, const Font& font, const Color& color, double x, double y,
                           double width) {
    std::ostringstream call;
    call << "text " << x << "," << y << " w" << width << " " << font.size << "/" << font.style << " rgba("
         << int{color.red} << "," << int{color.green} << "," << int{color.blue} << "," << int{color.alpha}
         << "): " << text.ToCStr();
    _calls.push_back(call.str());
}

TextLayout::TextLayout(const PK::UniString& text, const Font& /*font*/, double width) {
    const std::u16string& s = text.ToUStr();
    const auto perLine = static_cast<PK::USize>(std::max(1.0, width / CharWidth));
    PK::USize start = 0;
    while (start < s.size()) {
        PK::USize end = start;
        PK::USize lastBreak = start;  // just after the last blank run that fits
        while (end < s.size() && s[end] != u'\n' && end - start < perLine) {
            ++end;
            if (s[end - 1] == u' ') {
                while (end < s.size() && s[end] == u' ') ++end;  // blanks stay on the line
                lastBreak = end;
            }
        }
        if (end < s.size() && s[end] == u'\n') {
            ++end;
        } else if (end < s.size() && s[end] == u' ') {
            while (end < s.size() && s[end] == u' ') ++end;  // the word just fits
        } else if (end < s.size() && lastBreak > start) {
            end = lastBreak;
        }
        _lineEnds.push_back(end);
        start = end;
    }
}

double TextLayout::GetHeight() const { return static_cast<double>(_lineEnds.size()) * LineHeight; }

}  // namespace DG
