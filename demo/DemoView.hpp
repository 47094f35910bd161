#pragma once
// What the demo shows on the terminal: headings, checked lines (every check
// counts; a failed one makes the run exit non-zero), the palette's panels as
// text tables and the host's progress window as one progress line.
#include <string>
#include <vector>

#include "PK/UniString.hpp"

namespace TessaryConnect::UI {
class Palette;
}

namespace Demo {

std::string Str(const PK::UniString& text);
std::string Shorten(std::string text, std::size_t length = 110);

void Heading(const std::string& text);
void Say(const std::string& text);
// Prints the check with its outcome and counts it.
bool Check(bool ok, const std::string& what);
int Failures();
int Checks();

// Each roll panel of the palette: its title, then what its page shows (list
// rows with their icons, pop-ups, texts), as a text table.
std::vector<std::string> PanelTables(TessaryConnect::UI::Palette& palette, std::size_t maxRows = 8);
void PrintPanels(TessaryConnect::UI::Palette& palette);

// From now on the host's progress windows show as one line each: updated in
// place on a terminal, printed once when done otherwise.
void ShowProgressOnTerminal();

}  // namespace Demo
