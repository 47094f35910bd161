#pragma once
// The add-on's one window: a dockable roll-down palette with four roll panels,
// one page each, in this order: the web application (BrowserTabPage), the
// selected connection's virtual types (VirtualTypeTabPage), the element types
// still without a clause (UnassociatedElementsTabPage) and the selected
// connection's issues (IssuesTabPage). The palette shows no data itself: it
// owns the pages, marks the add-on's menu item while it exists, answers the
// frame's close request, runs the request to connect a specification and
// turns the model's failures into alerts.
//
// Only PaletteManager makes and deletes it. Nothing it posts to the main loop
// holds the palette: a posted step that needs it looks it up through
// PaletteManager when it runs, and goes on without it when it is gone.
#include <memory>
#include <utility>

#include "DG/Items.hpp"
#include "DG/Panel.hpp"
#include "Model/ConnectionWithSpecificationObserver.hpp"
#include "Model/ManagerObserver.hpp"
#include "PK/Guid.hpp"
#include "PK/UniString.hpp"
#include "UD/RollDownPalette.hpp"

namespace TessaryConnect::Model {
class Manager;
}

namespace TessaryConnect::UI {

class BrowserTabPage;
class IssuesTabPage;
class UnassociatedElementsTabPage;
class VirtualTypeTabPage;

class Palette : public UD::RollDownPalette,
                public DG::PanelObserver,
                public DG::CompoundItemObserver,
                public UD::RollPanelObserver,
                public Model::ManagerObserver,
                public Model::ConnectionWithSpecificationObserver {
public:
    static const PK::Guid Guid;
    static constexpr int ResId = 32401;
    // The menu entry that opens the palette, marked while it exists.
    static constexpr short MenuResId = 32520;
    static constexpr int MenuItemIndex = 1;

    // The palette's alerts, each in the add-on's resource module.
    enum Alert : short {
        PropertyManagerNoAccessRight = 32550,
        ClassificationManagerNoAccessRight = 32551,
        ErrorWhileLoadingConnection = 32554,
        ConnectFailed = 32555,
        IssueWereThrown = 32556,
        ConnectionAlreadyExists = 32558,
        ClassificationSystemAlreadyUsed = 32559,
        NotTeamworkProject = 32560,
        AnotherUserIsInitingThePlanId = 32561,
        AssociationRequestedButConnectionDoesNotExist = 32562,
        ReconnectDisconnected = 32563,
    };

    explicit Palette(const std::shared_ptr<Model::Manager>& manager);
    ~Palette() override;

    void PanelCloseRequested(const DG::PanelCloseRequestEvent& ev, bool* accepted) override;
    void ConnEvent_ErrorPropertyManagerNoAccessRight(const ConnectionPtr& connection) override;
    void ConnEvent_ErrorClassificationManagerNoAccessRight(const ConnectionPtr& connection) override;
    void ConnEvent_IssueWereThrown(const ConnectionPtr& connection,
                                   const std::shared_ptr<Model::Issue::Base>& issue) override;
    void ManagerEvent_AssociationWithSpecificationRequested(const std::shared_ptr<Model::Manager>& manager,
                                                            const PK::UniString& projectId,
                                                            const PK::UniString& projectTitle,
                                                            const PK::UniString& specId,
                                                            const PK::UniString& specTitle,
                                                            const PK::UniString& specType) override;
    void ManagerEvent_ConnectionLoadedToBeDisconnected(const ConnectionPtr& connection) override;
    void ManagerEvent_SelectedConnectionChanged(const ConnectionPtr& connection) override;
    void ManagerEvent_ErrorWhileLoadingConnection() override;
    void ManagerEvent_ErrorTessaryAssociationRequestedButConnectionDoesNotExist() override;

    // Posts the connect step of a request; it runs on the main loop.
    static void AssociationWithSpecificationRequestWithErrorHandling(std::shared_ptr<Model::Manager> manager,
                                                                     PK::UniString projectId,
                                                                     PK::UniString projectTitle, PK::UniString specId,
                                                                     PK::UniString specTitle,
                                                                     PK::Guid classificationSystem);

    // Shows the add-on's alert from the main loop, once the current handler has returned; the answer is not used.
    static void PostAlert(short alertId);

    bool IsClosing() const { return _closing; }
    void SetClosing() { _closing = true; }

    VirtualTypeTabPage& GetVirtualTypePage() const { return *_virtualTypePanel.second; }
    IssuesTabPage& GetIssuesPage() const { return *_issuesPanel.second; }
    UD::IRollPanel& GetIssuesRollPanel() const { return *_issuesPanel.first; }

private:
    template <typename Page>
    using RollPanelOf = std::pair<UD::IRollPanel*, std::shared_ptr<Page>>;

    template <typename Page>
    RollPanelOf<Page> MakeRollPanel(bool stretchable);

    bool _closing = false;
    std::shared_ptr<Model::Manager> _manager;
    ConnectionPtr _selectedConnection;
    RollPanelOf<BrowserTabPage> _browserPanel;
    RollPanelOf<IssuesTabPage> _issuesPanel;
    RollPanelOf<VirtualTypeTabPage> _virtualTypePanel;
    RollPanelOf<UnassociatedElementsTabPage> _unassociatedPanel;
};

}  // namespace TessaryConnect::UI
