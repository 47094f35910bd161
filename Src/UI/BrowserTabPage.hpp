#pragma once
// The palette's first roll panel: the web application in the embedded
// browser, which takes the panel's spare width and height, beside home,
// reload and information buttons and a pop-up of the project's connections
// that selects one of them.
//
// The page owns the browser and hands it to the manager as the model's page;
// the manager keeps only a weak reference, so the model loses its page with
// the panel. The pop-up follows the manager's connections and selected
// connection, and the selected connection's title; it is filled when the
// panel opens.
#include <memory>

#include "DG/Items.hpp"
#include "DG/Panel.hpp"
#include "Model/ConnectionWithSpecificationObserver.hpp"
#include "Model/ManagerObserver.hpp"
#include "PK/Array.hpp"
#include "PK/UniString.hpp"

namespace DG {
class Browser;
}
namespace UD {
class IRollPanel;
}

namespace TessaryConnect::Model {
class Manager;
}
namespace TessaryConnect::Implementation {
class TessaryBrowser;
}

namespace TessaryConnect::UI {

class BrowserTabPage : public DG::TabPage,
                       public DG::PanelObserver,
                       public DG::CompoundItemObserver,
                       public DG::ButtonItemObserver,
                       public DG::PopUpObserver,
                       public Model::ManagerObserver,
                       public Model::ConnectionWithSpecificationObserver {
public:
    static constexpr short ResId = 32600;

    BrowserTabPage(UD::IRollPanel* rollPanel, const std::shared_ptr<Model::Manager>& manager);
    ~BrowserTabPage() override;

    std::shared_ptr<DG::Browser> GetBrowser() const;

    void PanelOpened(const DG::PanelOpenEvent& ev) override;
    void PanelResized(const DG::PanelResizeEvent& ev) override;
    void ButtonClicked(const DG::ButtonClickEvent& ev) override;
    void PopUpChanged(const DG::PopUpChangeEvent& ev) override;
    void ConnEvent_TitleChanged(const std::shared_ptr<Model::ConnectionWithSpecification>& connection) override;
    void ManagerEvent_ConnectionsChanged() override;
    void ManagerEvent_SelectedConnectionChanged(
        const std::shared_ptr<Model::ConnectionWithSpecification>& connection) override;
    void ManagerEvent_OnlineStateChanged(bool online) override;

private:
    // Moves the title events to the connection (or to none).
    void Observe(const std::shared_ptr<Model::ConnectionWithSpecification>& connection);
    void RefillPopUp();

    UD::IRollPanel* _rollPanel;
    DG::IconButton _homeButton;
    DG::IconButton _reloadButton;
    DG::IconButton _infoButton;
    DG::PopUp _connectionPopUp;
    // The specification id of each connection entry: entry i is pop-up item i + 1.
    PK::Array<PK::UniString> _connIds;
    std::shared_ptr<Model::ConnectionWithSpecification> _observedConnection;
    std::shared_ptr<Implementation::TessaryBrowser> _browser;
    std::shared_ptr<Model::Manager> _manager;
};

}  // namespace TessaryConnect::UI
