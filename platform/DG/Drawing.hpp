#pragma once
// What the dialog library draws with: rectangles, icons, fonts and colours, the
// drawing context of an owner-drawn list cell and the text layout that wraps a
// text to a width.
//
// Headless, the drawing context draws nothing: it records each call as a line
// of text, "icon <id> at <x>,<y>" and "text <x>,<y> w<width> <font size>/<style>
// rgba(<r>,<g>,<b>,<a>): <text>" (numbers as a stream prints a double: 2, 2.5),
// which tests read (TVSim/Dialogs.hpp). Icons have no image: an icon
// is empty or has the size the host gives its id (16 by 16 unless a test says
// otherwise). Text layout is deterministic: every character is
// TextLayout::CharWidth wide, whatever the font, and lines break after blanks.
#include <string>
#include <vector>

#include "PK/Types.hpp"
#include "PK/UniString.hpp"
#include "RS/Resources.hpp"

namespace DG {

struct Rect {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;

    double GetWidth() const { return right - left; }
    double GetHeight() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

class Icon {
public:
    Icon() = default;  // the empty icon
    Icon(PKResModule module, short resID) : _module(module), _resID(resID) {}

    bool IsEmpty() const { return _resID == 0; }
    short GetResourceId() const { return _resID; }
    PKResModule GetResourceModule() const { return _module; }
    double GetWidth() const;
    double GetHeight() const;

    friend bool operator==(const Icon&, const Icon&) = default;

private:
    PKResModule _module = 0;
    short _resID = 0;
};

struct Font {
    short size = 0;
    short style = 0;
    friend bool operator==(const Font&, const Font&) = default;
};

// The host's standard dialog font of that size and style (0 and 0: the standard one).
Font GetFont(short size = 0, short style = 0);

struct Color {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
    unsigned char alpha = 255;
};

class DrawContext {
public:
    double GetResolutionFactor() const { return 1.0; }
    void DrawIcon(const Icon& icon, double x, double y);
    void DrawText(const PK::UniString& text, const Font& font, const Color& color, double x, double y, double width);

    const std::vector<std::string>& GetCalls() const { return _calls; }

private:
    std::vector<std::string> _calls;
};

// A text wrapped to a width. A line takes whole words while they fit (the
// blanks after a word stay on its line); a word wider than the width is cut
// where the width ends; a line feed ends a line.
class TextLayout {
public:
    static constexpr double CharWidth = 7;

    TextLayout(const PK::UniString& text, const Font& font, double width);

    PK::USize GetLineCount() const { return _lineEnds.size(); }
    // The index just after the last character of the line (from 0).
    PK::USize GetLineEnd(PK::USize line) const { return _lineEnds.at(line); }
    double GetHeight() const;

private:
    std::vector<PK::USize> _lineEnds;
};

}  // namespace DG
