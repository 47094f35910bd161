#include "UI/TessaryPalette.hpp"

#include "DG/Alerts.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Issue/BaseWithText.hpp"
#include "Model/Manager.hpp"
#include "TVAPI/Resources.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "UI/BrowserTabPage.hpp"
#include "UI/Guarded.hpp"
#include "UI/IssuesTabPage.hpp"
#include "UI/MainMessageLoop.hpp"
#include "UI/PaletteManager.hpp"
#include "UI/UnassociatedElementsTabPage.hpp"
#include "UI/VirtualTypeTabPage.hpp"
#include "Util/Resource.hpp"

namespace TessaryConnect::UI {

using Util::Resource::Of;
using Util::Resource::PaletteText;

const PK::Guid Palette::Guid("{7a4bcdda-da8d-459c-b356-a815f02c5df4}");

namespace {

// The host's roll-down palette protocol: close box, no caption, standard frame.
constexpr short CloseType = 4;
constexpr short CaptionType = 0;
constexpr short FrameType = 0;
// Panels and palette grow in both directions.
constexpr short GrowType = 3;

// Marks or unmarks the menu entry that opens the palette. A host that refuses
// costs only the mark: the palette works all the same.
void MarkMenuItem(Api::Torvel& tv, bool marked) {
    TC_GUARDED([&] {
        API_MenuItemRef item;
        item.menuResID = Palette::MenuResId;
        item.itemIndex = Palette::MenuItemIndex;
        PK::Int32 flags = 0;
        tv.Interface(APIIo_GetMenuItemFlagsID, &item, &flags, nullptr, nullptr, nullptr);
        flags = marked ? (flags | API_MenuItemChecked) : (flags & ~API_MenuItemChecked);
        tv.Interface(APIIo_SetMenuItemFlagsID, &item, &flags, nullptr, nullptr, nullptr);
    });
}

}  // namespace

Palette::Palette(const std::shared_ptr<Model::Manager>& manager)
    : UD::RollDownPalette(Guid, CloseType, CaptionType, FrameType), _manager(manager) {
    LOG_TRACE("Palette contruct");
    SetMinClientSize(550, 50);
    SetGrowType(GrowType);
    SetTitle(_manager->TV().GetResource(Of(PaletteText::PaletteTitle)) + " " +
             _manager->GetAddonVersion().TilMinorStr());
    if (GetRollDownSurface() == nullptr || !IsValid() || GetRollDownSurface()->GetPanelContainer() == nullptr)
        TC_THROW_RUNTIME("assert");
    _browserPanel = MakeRollPanel<BrowserTabPage>(false);
    _virtualTypePanel = MakeRollPanel<VirtualTypeTabPage>(true);
    _unassociatedPanel = MakeRollPanel<UnassociatedElementsTabPage>(true);
    _issuesPanel = MakeRollPanel<IssuesTabPage>(false);
    ManagerEvent_SelectedConnectionChanged(_manager->GetSelectedConnection());
    _manager->Attach(static_cast<Model::ManagerObserver&>(*this));
    AttachToAllItems(*this);
    DG::Panel::Attach(static_cast<DG::PanelObserver&>(*this));
    BeginEventProcessing();
    // Marked last: a palette whose construction failed leaves no mark behind.
    MarkMenuItem(_manager->TV(), true);
}

Palette::~Palette() {
    LOG_TRACE("Palette destruct");
    _manager->Detach(static_cast<Model::ManagerObserver&>(*this));
    // A close request has ended it already.
    if (IsEventProcessing()) EndEventProcessing();
    DG::Panel::Detach(static_cast<DG::PanelObserver&>(*this));
    DetachFromAllItems(*this);
    MarkMenuItem(_manager->TV(), false);
}

void Palette::PostAlert(short alertId) {
    MainMessageLoop::Execute([alertId] { DGResAlert(TVAPI_GetOwnResModule(), alertId); });
}

template <typename Page>
Palette::RollPanelOf<Page> Palette::MakeRollPanel(bool stretchable) {
    UD::IRollPanel* rollPanel = GetRollDownSurface()->GetPanelContainer()->CreateRollPanel(0);
    if (rollPanel == nullptr) TC_THROW_RUNTIME("assert");
    if (stretchable) rollPanel->SetStretchable(true);
    rollPanel->SetGrowType(GrowType);
    rollPanel->Attach(static_cast<UD::RollPanelObserver&>(*this));
    return {rollPanel, std::make_shared<Page>(rollPanel, _manager)};
}

// The palette never deletes itself inside its own handler: the deletion is
// posted, and finds the palette through the manager when it runs.
void Palette::PanelCloseRequested(const DG::PanelCloseRequestEvent& /*ev*/, bool* accepted) {
    if (_closing) return;
    _closing = true;
    Hide();
    EndEventProcessing();
    MainMessageLoop::Execute([] { PaletteManager::GetInstance().Close(); });
    if (accepted != nullptr) *accepted = true;
}

void Palette::ConnEvent_ErrorPropertyManagerNoAccessRight(const ConnectionPtr& /*connection*/) {
    TC_GUARDED([&] { PostAlert(PropertyManagerNoAccessRight); });
}

void Palette::ConnEvent_ErrorClassificationManagerNoAccessRight(const ConnectionPtr& /*connection*/) {
    TC_GUARDED([&] { PostAlert(ClassificationManagerNoAccessRight); });
}

void Palette::ConnEvent_IssueWereThrown(const ConnectionPtr& connection,
                                        const std::shared_ptr<Model::Issue::Base>& issue) {
    TC_GUARDED([&] {
        MainMessageLoop::Execute([connection, issue] {
            const PK::UniString text = Model::Issue::BaseWithText(connection, issue).GetText();
            if (DGResAlertParam(TVAPI_GetOwnResModule(), IssueWereThrown, text) == 3)
                PaletteManager::GetInstance().ExpandIssueRiveduv();
        });
    });
}

void Palette::ManagerEvent_ConnectionLoadedToBeDisconnected(const ConnectionPtr& connection) {
    TC_GUARDED([&] {
        if (connection != nullptr) connection->Attach(static_cast<Model::ConnectionWithSpecificationObserver&>(*this));
    });
}

void Palette::ManagerEvent_SelectedConnectionChanged(const ConnectionPtr& connection) {
    TC_GUARDED([&] {
        if (connection == _selectedConnection) return;
        if (_selectedConnection != nullptr)
            _selectedConnection->Detach(static_cast<Model::ConnectionWithSpecificationObserver&>(*this));
        _selectedConnection = connection;
        if (_selectedConnection != nullptr)
            _selectedConnection->Attach(static_cast<Model::ConnectionWithSpecificationObserver&>(*this));
    });
}

void Palette::ManagerEvent_ErrorWhileLoadingConnection() {
    TC_GUARDED([&] { PostAlert(ErrorWhileLoadingConnection); });
}

void Palette::ManagerEvent_ErrorTessaryAssociationRequestedButConnectionDoesNotExist() {
    TC_GUARDED([&] { PostAlert(AssociationRequestedButConnectionDoesNotExist); });
}

}  // namespace TessaryConnect::UI
