#pragma once
// The modal dialog in which the user picks the classification system that a
// new connection will use. It knows nothing of systems: it shows an
// explanation (its resource text passed once through the caller's resolver),
// a pop-up of the given texts and OK and Cancel, and reports which entry was
// chosen. OK stays disabled while there is nothing to choose.
//
//   UI::ClassificationSystemSelectorDialog dialog(texts, resolver);
//   if (dialog.Invoke()) Use(systems[dialog.GetSelectedItemIndex()]);
#include <functional>

#include "DG/Items.hpp"
#include "DG/Panel.hpp"
#include "PK/Array.hpp"
#include "PK/Types.hpp"
#include "PK/UniString.hpp"

namespace TessaryConnect::UI {

class ClassificationSystemSelectorDialog : public DG::ModalDialog,
                                           public DG::PanelObserver,
                                           public DG::ButtonItemObserver,
                                           public DG::CompoundItemObserver,
                                           public DG::PopUpObserver {
public:
    static constexpr short ResId = 32610;

    ClassificationSystemSelectorDialog(const PK::Array<PK::UniString>& texts,
                                       const std::function<PK::UniString(const PK::UniString&)>& resolver);
    ~ClassificationSystemSelectorDialog() override;

    // The chosen entry, from 0; meaningful only when there were texts.
    PK::Int32 GetSelectedItemIndex() const;

    void ButtonClicked(const DG::ButtonClickEvent& ev) override;
    void PopUpChanged(const DG::PopUpChangeEvent& ev) override;

private:
    DG::LeftText _explanation;
    DG::PopUp _systems;
    DG::Button _okButton;
    DG::Button _cancelButton;
};

}  // namespace TessaryConnect::UI
