#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TVSim/Dialogs.hpp"
#include "UI/ClassificationSystemSelectorDialog.hpp"

using namespace TessaryConnect;
using Dialog = UI::ClassificationSystemSelectorDialog;

namespace {

// What the user saw in the dialog and did.
struct Seen {
    std::string explanation;
    std::vector<std::string> entries;
    bool okEnabled = false;
    int resolved = 0;      // resolver calls when the user looked
    bool clicked = false;  // the button took the click
    bool invoked = false;
    int index = -1;
};

// Opens the dialog with the texts; the user looks, chooses the entry (0: keeps
// the pop-up as it is) and clicks the button.
Seen Show(const PK::Array<PK::UniString>& texts, short entry, short button) {
    Seen seen;
    int resolved = 0;
    TVSim::Dialogs::SetModalDriver(Dialog::ResId, [&](DG::ModalDialog& dialog) {
        seen.explanation = dynamic_cast<DG::LeftText*>(dialog.GetItem(1))->GetText().ToCStr();
        const auto* systems = dynamic_cast<DG::PopUp*>(dialog.GetItem(2));
        for (short i = 1; i <= systems->GetItemCount(); ++i) seen.entries.push_back(systems->GetItemText(i).ToCStr());
        seen.okEnabled = dialog.GetItem(3)->IsEnabled();
        seen.resolved = resolved;
        if (entry != 0) TVSim::Dialogs::ChoosePopUpItem(dialog, 2, entry);
        seen.clicked = TVSim::Dialogs::Click(dialog, button);
    });
    Dialog dialog(texts, [&](const PK::UniString& text) {
        ++resolved;
        PK::UniString resolvedText = text;
        resolvedText.ReplaceAll("{OrvoTessarySpecificationTitle}", "Spec One");
        return resolvedText;
    });
    seen.invoked = dialog.Invoke();
    if (seen.invoked) seen.index = dialog.GetSelectedItemIndex();
    return seen;
}

}  // namespace

TEST(ClassificationSystemSelector, TheUserPicksASystemByItsTextAndOkTellsWhichOne) {
    const PK::Array<PK::UniString> systems{"Sys A (2.0)", "Sys B"};
    const Seen picked = Show(systems, 2, 3);
    EXPECT_EQ(picked.entries, (std::vector<std::string>{"Sys A (2.0)", "Sys B"}));
    EXPECT_TRUE(picked.okEnabled);
    EXPECT_NE(picked.explanation.find("\"Spec One\""), std::string::npos) << picked.explanation;
    EXPECT_EQ(picked.resolved, 1) << "the explanation is resolved once, when the dialog is built";
    EXPECT_TRUE(picked.invoked);
    EXPECT_EQ(picked.index, 1);

    EXPECT_EQ(Show(systems, 0, 3).index, 0) << "OK without a choice takes the first system";
    EXPECT_FALSE(Show(systems, 2, 4).invoked) << "Cancel";
}

TEST(ClassificationSystemSelector, WithoutSystemsOkIsDisabledAndTheDialogCanOnlyBeCancelled) {
    const Seen none = Show({}, 0, 3);
    EXPECT_TRUE(none.entries.empty());
    EXPECT_FALSE(none.okEnabled);
    EXPECT_FALSE(none.clicked);
    EXPECT_FALSE(none.invoked);
}
