// The three states the page shows: which application and add-on it talks
// to, which document is open, and what is selected in terms of clauses.
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Manager.hpp"
#include "Model/PlanData.hpp"
#include "PK/Convert.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model {

namespace {

using Util::Resource::ModelText;

Api::AssociableType SummaryType(Api::Torvel& tv, const PK::UniString& id, ModelText titleText, ModelText subtitleText,
                                const PK::UniString& unassociatedCount = {}) {
    PK::UniString title = tv.GetResource(Util::Resource::Of(titleText));
    PK::UniString subtitle = tv.GetResource(Util::Resource::Of(subtitleText));
    title.ReplaceAll("{unassociated_count}", unassociatedCount);
    subtitle.ReplaceAll("{unassociated_count}", unassociatedCount);
    return Api::AssociableType(id, title, subtitle, {}, {}, nullptr);
}

}  // namespace

Api::AppState Manager::GetAppState() const {
    const API_ServerApplicationInfo info = _tvApi->GetApplicationInfo();
    Api::AppState state;
    state.app = "Pendrake Torvel";
    state.appVersion = fmt::format("{}.{}.{}", info.mainVersion, info.releaseVersion, info.buildNum);
    state.pluginVersion = _addonVersion.FullStr();
    state.supportedFeatures = {"association", "selection", "objects", "verification"};
    return state;
}

Api::DocumentState Manager::GetDocumentState() const {
    Api::DocumentState state;
    state.documentRef = _planData->Id();
    state.documentName = _planData->Title();
    return state;
}

Api::SelectionState Manager::GetSelectionState() {
    const PK::Array<PK::Guid>& elements = _selectionCache.GetElements();
    if (elements.IsEmpty() || _selectedConnection == nullptr) return {};
    // Held for the call: an observer may select another connection meanwhile.
    const ConnectionPtr connection = _selectedConnection;
    return SelectionStateOf(connection->FindVirtualTypeIdsForElements(elements));
}

Api::SelectionState Manager::SelectionStateOf(const VirtualTypesOfElements& found) const {
    // A mixed selection counts as one with unassociated elements.
    if (!found.unassociatedElements.IsEmpty())
        return Api::SelectionState(
            SummaryType(*_tvApi, selectionContainsUnassociatedElements, ModelText::UnassociatedSelectionTitle,
                        ModelText::UnassociatedSelectionSubtitle,
                        PK::ValueToUniString(static_cast<PK::Int32>(found.unassociatedElements.GetSize()))));
    if (found.virtualTypes.GetSize() == 1) {
        Api::AssociableType type = found.virtualTypes[0]->GetAsAssociableType(true);
        type.title = _tvApi->GetResource(Util::Resource::Of(ModelText::OneClauseSelectionTitle));
        type.subtitle = _tvApi->GetResource(Util::Resource::Of(ModelText::OneClauseSelectionSubtitle));
        return Api::SelectionState(std::move(type));
    }
    return Api::SelectionState(SummaryType(*_tvApi, selectionMultipleVirtualTypes,
                                           ModelText::SeveralClausesSelectionTitle,
                                           ModelText::SeveralClausesSelectionSubtitle));
}

void Manager::SelectSpecificationAndUpdateTitle(const PK::UniString& tessarySpecificationId,
                                                const PK::UniString& tessarySpecificationTitle,
                                                const PK::UniString& tessaryProjectId,
                                                const PK::UniString& tessaryProjectTitle) {
    const ConnectionPtr conn = GetConnection(tessarySpecificationId);
    if (conn == nullptr) {
        LOG_INFO("Tessary opened a specification which is not associated spec({}, {}).", tessarySpecificationId,
                 tessarySpecificationTitle);
        return;
    }
    const PK::UniString& projectId = tessaryProjectId;
    if (!TC_ASSERT(err, conn->TessaryProjectId() == projectId)) return;
    ResetSelectedConnection(conn);
    if (conn->Cmd_UpdateTitleIfChanged(tessarySpecificationTitle, tessaryProjectTitle))
        Notify(&ManagerObserver::ManagerEvent_ConnectionsChanged);
}

}  // namespace TessaryConnect::Model
