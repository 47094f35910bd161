#include "UI/BrowserTabPage.hpp"

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Manager.hpp"
#include "TVAPI/Resources.hpp"
#include "Tessary/Implementation/TessaryBrowser.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "UD/RollDownPalette.hpp"
#include "UI/Guarded.hpp"
#include "Util/Resource.hpp"

namespace TessaryConnect::UI {

using Util::Resource::Of;
using Util::Resource::PaletteText;

BrowserTabPage::BrowserTabPage(UD::IRollPanel* rollPanel, const std::shared_ptr<Model::Manager>& manager)
    : DG::TabPage(*rollPanel->GetTabControl(), 1, TVAPI_GetOwnResModule(), ResId, TVAPI_GetOwnResModule()),
      _rollPanel(rollPanel),
      _homeButton(*this, 2),
      _reloadButton(*this, 3),
      _infoButton(*this, 4),
      _connectionPopUp(*this, 5),
      _browser(new Implementation::TessaryBrowser(*this, 1)),
      _manager(manager) {
    _rollPanel->SetTitle(_manager->TV().GetResource(Of(PaletteText::BrowserPanelTitle)));
    _manager->Attach(*this);
    _manager->ResetTessaryApi(_browser);
    DG::Panel::Attach(static_cast<DG::PanelObserver&>(*this));
    AttachToAllItems(*this);
}

BrowserTabPage::~BrowserTabPage() {
    DetachFromAllItems(*this);
    DG::Panel::Detach(static_cast<DG::PanelObserver&>(*this));
}

std::shared_ptr<DG::Browser> BrowserTabPage::GetBrowser() const { return _browser; }

// A browser that cannot register its script object still shows its page, and
// the pop-up is filled all the same.
void BrowserTabPage::PanelOpened(const DG::PanelOpenEvent& /*ev*/) {
    TC_GUARDED([&] { _browser->Init(); });
    ManagerEvent_ConnectionsChanged();
    ManagerEvent_SelectedConnectionChanged(_manager->GetSelectedConnection());
}

void BrowserTabPage::PanelResized(const DG::PanelResizeEvent& ev) {
    TC_GUARDED([&] {
        const short dx = ev.GetHorizontalChange();
        const short dy = ev.GetVerticalChange();
        if (dx == 0 && dy == 0) return;
        _browser->Resize(dx, dy);
        _reloadButton.Move(dx, 0);
        _infoButton.Move(dx, 0);
        _connectionPopUp.Resize(dx, 0);
    });
}

void BrowserTabPage::ButtonClicked(const DG::ButtonClickEvent& ev) {
    TC_GUARDED([&] {
        if (ev.GetSource() == &_homeButton) {
            _browser->GotoHome();
            _manager->ResetSelectedConnection(nullptr);
        } else if (ev.GetSource() == &_reloadButton) {
            _browser->ReloadAndClearCache();
            _browser->GotoHome();
            _manager->UpdateTessaryStates();
        } else if (ev.GetSource() == &_infoButton) {
            LOG_DEBUG("Info button was clicked on browser page. Dump of Manager: {}", *_manager);
            _browser->GotoInfoPage();
        } else {
            LOG_ERROR("unknown button");
        }
    });
}

// The page moves its observation to the chosen connection itself, before the
// manager selects it: its own selection handler then sees no change and
// leaves the pop-up, which already shows the choice, as it is.
void BrowserTabPage::PopUpChanged(const DG::PopUpChangeEvent& /*ev*/) {
    TC_GUARDED([&] {
        const short sel = _connectionPopUp.GetSelectedItem();
        if (sel == 0) return;
        _browser->GotoHome();
        using PK::USize;
        if (!TC_ASSERT(err, static_cast<USize>(sel) <= this->_connIds.GetSize())) return;
        const auto chosen = _manager->GetConnection(_connIds[static_cast<PK::USize>(sel - 1)]);
        Observe(chosen);
        _manager->ResetSelectedConnection(chosen);
    });
}

void BrowserTabPage::ConnEvent_TitleChanged(const std::shared_ptr<Model::ConnectionWithSpecification>& /*conn*/) {
    TC_GUARDED([&] { ManagerEvent_ConnectionsChanged(); });
}

void BrowserTabPage::ManagerEvent_ConnectionsChanged() {
    TC_GUARDED([&] { RefillPopUp(); });
}

void BrowserTabPage::ManagerEvent_SelectedConnectionChanged(
    const std::shared_ptr<Model::ConnectionWithSpecification>& connection) {
    TC_GUARDED([&] {
        if (connection == _observedConnection) return;
        Observe(connection);
        ManagerEvent_ConnectionsChanged();
    });
}

void BrowserTabPage::ManagerEvent_OnlineStateChanged(bool online) {
    TC_GUARDED([&] {
        LOG_TRACE("BrowserTabPage::ManagerEvent_OnlineStateChanged: {}", online);
        _browser->GotoHome();
    });
}

void BrowserTabPage::Observe(const std::shared_ptr<Model::ConnectionWithSpecification>& connection) {
    if (connection == _observedConnection) return;
    if (_observedConnection != nullptr) _observedConnection->Detach(*this);
    _observedConnection = connection;
    if (_observedConnection != nullptr) _observedConnection->Attach(*this);
}

void BrowserTabPage::RefillPopUp() {
    _connIds.Clear();
    _connectionPopUp.DeleteItem(DG::PopUp::AllItems);
    const PK::UniString entryTemplate = _manager->TV().GetResource(Of(PaletteText::ConnectionEntry));
    const auto connections = _manager->GetConnections();
    const auto selected = _manager->GetSelectedConnection();
    bool selectedListed = false;
    for (const auto& connection : connections) {
        _connIds.Push(connection->Id());
        _connectionPopUp.AppendItem();
        _connectionPopUp.SetItemText(DG::PopUp::BottomItem, connection->ResolveVariables(entryTemplate, {}, {}));
        if (connection == selected) {
            _connectionPopUp.SelectItem(DG::PopUp::BottomItem);
            selectedListed = true;
        }
    }
    if (!selectedListed) {
        _connectionPopUp.AppendItem();
        _connectionPopUp.SetItemText(DG::PopUp::BottomItem,
                                     _manager->TV().GetResource(Of(PaletteText::NoConnectionEntry)));
        _connectionPopUp.SelectItem(DG::PopUp::BottomItem);
    }
}

}  // namespace TessaryConnect::UI
