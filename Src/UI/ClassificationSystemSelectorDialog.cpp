#include "UI/ClassificationSystemSelectorDialog.hpp"

#include "TVAPI/Resources.hpp"
#include "UI/Guarded.hpp"

namespace TessaryConnect::UI {

ClassificationSystemSelectorDialog::ClassificationSystemSelectorDialog(
    const PK::Array<PK::UniString>& texts, const std::function<PK::UniString(const PK::UniString&)>& resolver)
    : DG::ModalDialog(TVAPI_GetOwnResModule(), ResId, TVAPI_GetOwnResModule()),
      _explanation(*this, 1),
      _systems(*this, 2),
      _okButton(*this, 3),
      _cancelButton(*this, 4) {
    if (TC_ASSERT(err, static_cast<bool>(resolver))) _explanation.SetText(resolver(_explanation.GetText()));
    if (texts.IsEmpty()) _okButton.Disable();
    for (const PK::UniString& text : texts) {
        _systems.AppendItem();
        _systems.SetItemText(DG::PopUp::BottomItem, text);
    }
    DG::Panel::Attach(static_cast<DG::PanelObserver&>(*this));
    AttachToAllItems(*this);
}

ClassificationSystemSelectorDialog::~ClassificationSystemSelectorDialog() {
    DetachFromAllItems(*this);
    DG::Panel::Detach(static_cast<DG::PanelObserver&>(*this));
}

PK::Int32 ClassificationSystemSelectorDialog::GetSelectedItemIndex() const { return _systems.GetSelectedItem() - 1; }

void ClassificationSystemSelectorDialog::ButtonClicked(const DG::ButtonClickEvent& ev) {
    TC_GUARDED([&] {
        if (ev.GetSource() == &_okButton)
            PostCloseRequest(Accept);
        else if (ev.GetSource() == &_cancelButton)
            PostCloseRequest(Cancel);
    });
}

void ClassificationSystemSelectorDialog::PopUpChanged(const DG::PopUpChangeEvent& ev) {
    TC_GUARDED([&] {
        if (ev.GetSource() == &_systems) _okButton.Enable();
    });
}

}  // namespace TessaryConnect::UI
