#include "UI/PaletteManager.hpp"

#include "TVAPI/APIErrors.hpp"
#include "UI/IssuesTabPage.hpp"
#include "UI/TessaryPalette.hpp"
#include "UI/VirtualTypeTabPage.hpp"

namespace TessaryConnect::UI {

namespace {
// What the host's palette protocol asks for when it shows the palette.
constexpr short ShowRefCon = -32768;
}  // namespace

PaletteManager& PaletteManager::GetInstance() {
    static PaletteManager instance;
    return instance;
}

PaletteManager::~PaletteManager() { Close(); }

void PaletteManager::Open(const std::shared_ptr<Model::Manager>& manager) {
    if (_palette != nullptr) return;
    _palette = std::make_unique<Palette>(manager);
    _palette->Show(ShowRefCon);
}

void PaletteManager::Close() {
    if (_palette == nullptr) return;
    if (!_palette->IsClosing()) {
        _palette->SetClosing();
        _palette->Hide();
        _palette->EndEventProcessing();
    }
    // Released first, so that nothing the destructor sets off finds a half-deleted palette here.
    const std::unique_ptr<Palette> closed = std::move(_palette);
}

void PaletteManager::SelectVirtualType(const PK::UniString& virtualTypeId) {
    if (_palette != nullptr) _palette->GetVirtualTypePage().SelectVirtualType(virtualTypeId);
}

void PaletteManager::ExpandIssueRiveduv() {
    if (_palette != nullptr) _palette->GetIssuesRollPanel().Expand(true);
}

PKErrCode PaletteManager::HandleControlCallBack(API_PaletteMessageID messageId, PK::Int64 param) {
    if (_palette == nullptr) return NoError;
    switch (messageId) {
        case APIPalMsg_ClosePalette:
            _palette->SendCloseRequest();
            break;
        case APIPalMsg_HidePalette_Begin:
            _palette->Hide();
            break;
        case APIPalMsg_HidePalette_End:
        case APIPalMsg_OpenPalette:
            _palette->Show(ShowRefCon);
            break;
        case APIPalMsg_DisableItems_Begin:
            _palette->DisableItems();
            break;
        case APIPalMsg_DisableItems_End:
            _palette->EnableItems();
            break;
        case APIPalMsg_IsPaletteVisible:
            // The host hands the address of its answer; without one there is nowhere to answer.
            if (auto* visible = reinterpret_cast<bool*>(param); visible != nullptr) *visible = _palette->IsVisible();
            break;
        default:
            break;
    }
    return NoError;
}

}  // namespace TessaryConnect::UI
