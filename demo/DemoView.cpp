#include "DemoView.hpp"

#include <unistd.h>

#include <cstdio>

#include "DG/Items.hpp"
#include "DG/Panel.hpp"
#include "TVSim/Sim.hpp"
#include "UD/RollDownPalette.hpp"
#include "UI/IssuesTabPage.hpp"
#include "UI/TessaryPalette.hpp"

namespace Demo {

namespace {

int failures = 0;
int checks = 0;

std::string IconMark(const DG::Icon& icon) {
    switch (icon.GetResourceId()) {
        case TessaryConnect::UI::IssuesTabPage::ErrorIconId:
            return "[error] ";
        case TessaryConnect::UI::IssuesTabPage::WarningIconId:
            return "[warning] ";
        default:
            return icon.IsEmpty() ? "" : "[icon " + std::to_string(icon.GetResourceId()) + "] ";
    }
}

void PageTable(const DG::Panel& page, std::size_t maxRows, std::vector<std::string>& lines) {
    std::string texts;
    for (short number : page.GetItemNumbers()) {
        const DG::Item* item = page.GetItem(number);
        if (const auto* list = dynamic_cast<const DG::ListBox*>(item)) {
            const auto rows = static_cast<std::size_t>(list->GetItemCount());
            for (short row = 1; row <= list->GetItemCount() && static_cast<std::size_t>(row) <= maxRows; ++row)
                lines.push_back("  | " + std::string(row == list->GetSelectedItem() ? "> " : "  ") +
                                IconMark(list->GetTabItemIcon(row, 1)) + Shorten(Str(list->GetTabItemText(row, 1)), 96));
            if (rows > maxRows) lines.push_back("  |   ... and " + std::to_string(rows - maxRows) + " more rows");
            if (rows == 0) lines.push_back("  |   (no rows)");
        } else if (const auto* popUp = dynamic_cast<const DG::PopUp*>(item)) {
            const short selected = popUp->GetSelectedItem();
            lines.push_back("  | pop-up: " + (selected > 0 ? Str(popUp->GetItemText(selected)) : "(none)"));
        } else if (const auto* text = dynamic_cast<const DG::TextItem*>(item)) {
            texts += (texts.empty() ? "" : " ") + Str(text->GetText());
        }
    }
    if (!texts.empty()) lines.push_back("  | " + texts);
}

}  // namespace

std::string Str(const PK::UniString& text) { return text.ToCStr(); }

std::string Shorten(std::string text, std::size_t length) {
    if (text.size() > length) text = text.substr(0, length - 3) + "...";
    return text;
}

void Heading(const std::string& text) { std::printf("\n== %s\n", text.c_str()); }

void Say(const std::string& text) { std::printf("   %s\n", text.c_str()); }

bool Check(bool ok, const std::string& what) {
    ++checks;
    if (!ok) ++failures;
    std::printf("   [%s] %s\n", ok ? "ok" : "FAILED", what.c_str());
    return ok;
}

int Failures() { return failures; }
int Checks() { return checks; }

std::vector<std::string> PanelTables(TessaryConnect::UI::Palette& palette, std::size_t maxRows) {
    std::vector<std::string> lines;
    UD::IRollPanelContainer& container = *palette.GetRollDownSurface()->GetPanelContainer();
    for (std::size_t i = 0; i < container.GetRollPanelCount(); ++i) {
        UD::IRollPanel& panel = *container.GetRollPanel(i);
        lines.push_back("  +-- " + IconMark(panel.GetIcon()) + Str(panel.GetTitle()) +
                        (panel.IsEnabled() ? "" : " (disabled)"));
        for (DG::Panel* page : panel.GetTabControl()->GetPages()) PageTable(*page, maxRows, lines);
    }
    return lines;
}

void PrintPanels(TessaryConnect::UI::Palette& palette) {
    std::printf("   palette \"%s\"\n", Str(palette.GetTitle()).c_str());
    for (const std::string& line : PanelTables(palette)) std::printf("   %s\n", line.c_str());
}

void ShowProgressOnTerminal() {
    static const bool terminal = isatty(fileno(stdout)) != 0;
    TVSim::Progress::SetObserver([](const TVSim::Progress::Window& window) {
        if (!window.open) {
            std::printf(terminal ? "\r   %-100s\n" : "   %s\n", ("progress: " + Str(window.title) + " - done").c_str());
        } else if (terminal && !window.phases.empty()) {
            const TVSim::Progress::Phase& phase = window.phases.back();
            const std::string line = "progress: " + Str(window.title) + " - " + Str(phase.name) + " " +
                                     std::to_string(phase.value) + "/" + std::to_string(phase.maxValue);
            std::printf("\r   %-100s", line.c_str());
            std::fflush(stdout);
        }
    });
}

}  // namespace Demo
