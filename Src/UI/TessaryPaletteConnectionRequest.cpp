// The palette's answer to the page's request to connect a specification: the
// selection step (reconnect a disconnected connection, or choose a
// classification system), the connect step with its failure alerts, and the
// alert steps that carry out the user's answer. Each step runs from the main
// loop, owns copies of what it needs and holds nothing of the palette: one
// that must reach the palette finds it through PaletteManager, and does without
// it when it has been closed meanwhile.
#include <exception>
#include <functional>

#include "DG/Alerts.hpp"
#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Errors.hpp"
#include "Model/Manager.hpp"
#include "TVAPI/Resources.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "UI/ClassificationSystemSelectorDialog.hpp"
#include "UI/Guarded.hpp"
#include "UI/MainMessageLoop.hpp"
#include "UI/PaletteManager.hpp"
#include "UI/TessaryPalette.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::UI {

namespace {

using enum Palette::Alert;

struct Request {
    std::shared_ptr<Model::Manager> manager;
    PK::UniString projectId;
    PK::UniString projectTitle;
    PK::UniString specId;
    PK::UniString specTitle;
};

// The palette hears the failures of the commands the user's answer runs on a
// connection it does not otherwise watch. Without a palette there is no one to hear them.
void AttachPalette(const std::shared_ptr<Model::ConnectionWithSpecification>& connection) {
    Palette* palette = PaletteManager::GetInstance().GetPalette();
    if (palette != nullptr && connection != nullptr)
        connection->Attach(static_cast<Model::ConnectionWithSpecificationObserver&>(*palette));
}

void AlertConnectionAlreadyExists(const std::shared_ptr<Model::ConnectionWithSpecification>& connection) {
    const short answer = DGResAlert(TVAPI_GetOwnResModule(), ConnectionAlreadyExists);
    if (answer == 1) return;
    if (answer == 2)
        connection->ReconnectWithTessarySpecification();
    else
        connection->Cmd_Disconnect(false);
}

void AlertClassificationSystemAlreadyUsed(const std::shared_ptr<Model::ConnectionWithSpecification>& connection,
                                          const Request& request, const PK::Guid& classificationSystem) {
    const short answer = DGResAlertParam(TVAPI_GetOwnResModule(), ClassificationSystemAlreadyUsed,
                                         connection->TessaryProjectTitle(), connection->TessarySpecificationTitle(),
                                         PK::UniString(), PK::UniString());
    if (answer == 1) return;
    const bool disconnected = connection->Cmd_Disconnect(true);
    if (answer == 2 || !disconnected) return;
    Palette::AssociationWithSpecificationRequestWithErrorHandling(request.manager, request.projectId,
                                                                  request.projectTitle, request.specId,
                                                                  request.specTitle, classificationSystem);
}

// Logs the failure of a request and posts at most one alert for it; must be
// called from inside a catch clause. A cancel in the host is only logged.
void ReportFailure(const Request& request, const PK::Guid& classificationSystem) {
    const PK::UniString& specId = request.specId;
    const PK::UniString& specTitle = request.specTitle;
    const PK::UniString& projectId = request.projectId;
    const PK::UniString& projectTitle = request.projectTitle;
    try {
        throw;
    } catch (const Api::ErrorClassificationManagerNoAccessRight& e) {
        LOG_INFO("ConnectWithSpecification: {}: specId({}), specTitle({}), projectId({}), projectTitle({})", e, specId,
                 specTitle, projectId, projectTitle);
        Palette::PostAlert(ClassificationManagerNoAccessRight);
    } catch (const Api::ErrorPropertyManagerNoAccessRight& e) {
        LOG_INFO("ConnectWithSpecification {}: specId({}), specTitle({}), projectId({}), projectTitle({})", e, specId,
                 specTitle, projectId, projectTitle);
        Palette::PostAlert(PropertyManagerNoAccessRight);
    } catch (const Model::ConnectionAlreadyExistsForSpecificationInPlanError& e) {
        LOG_INFO("{}: ,{}", e, *e.GetConnection());
        AttachPalette(e.GetConnection());
        MainMessageLoop::Execute([connection = e.GetConnection()] { AlertConnectionAlreadyExists(connection); });
    } catch (const Model::ClassificationSystemAlreadyUsedError& e) {
        LOG_INFO("{}: ,{}", e, *e.GetConnection());
        AttachPalette(e.GetConnection());
        MainMessageLoop::Execute([connection = e.GetConnection(), request, classificationSystem] {
            AlertClassificationSystemAlreadyUsed(connection, request, classificationSystem);
        });
    } catch (const Model::AnotherUserIsInitingThePlanId& e) {
        LOG_INFO("{}", e);
        Palette::PostAlert(AnotherUserIsInitingThePlanId);
    } catch (const Api::GeneralError& e) {
        if (e.GetCode() != APIERR_NOTEAMWORKPROJECT && e.GetCode() != APIERR_CANCEL) throw;
        LOG_INFO("ConnectWithSpecification: {}, specId({}), specTitle({}), projectId({}), projectTitle({})", e, specId,
                 specTitle, projectId, projectTitle);
        if (e.GetCode() == APIERR_NOTEAMWORKPROJECT) Palette::PostAlert(NotTeamworkProject);
    }
}

// As ReportFailure, with every other failure logged at error level and answered by the general alert.
void ReportAnyFailure(const Request& request, const PK::Guid& classificationSystem) {
    try {
        ReportFailure(request, classificationSystem);
    } catch (...) {
        TC_LOG_CAUGHT(err, "; specId: {}; specTitle: {}; projectId: {}; projectTitle: {}", request.specId,
                      request.specTitle, request.projectId, request.projectTitle);
        Palette::PostAlert(ConnectFailed);
    }
}

void Connect(const Request& request, const PK::Guid& classificationSystem) {
    try {
        request.manager->ConnectWithSpecification(classificationSystem, request.specId, request.specTitle,
                                                  request.projectId, request.projectTitle);
    } catch (...) {
        ReportAnyFailure(request, classificationSystem);
    }
}

PK::UniString SystemEntry(const API_ClassificationSystem& system) {
    PK::UniString entry = system.name;
    if (!system.editionVersion.IsEmpty()) entry += PK::UniString(" (") + system.editionVersion + ")";
    return entry;
}

void SelectClassificationSystem(const std::shared_ptr<Model::Manager>& ownManager, const Request& request,
                                const PK::UniString& specType) {
    if (const auto connection = ownManager->GetConnection(request.specId); connection != nullptr) {
        if (connection->IsDisconnected()) {
            if (DGResAlert(TVAPI_GetOwnResModule(), ReconnectDisconnected) == 2)
                connection->ReconnectWithTessarySpecification();
            return;
        }
        TC_ASSERT_AS(warn, connection->IsDisconnected(), "conn->IsDisconnected()");
    }
    PK::Array<API_ClassificationSystem> systems;
    try {
        systems = request.manager->TV().Classification_GetClassificationSystems();
    } catch (...) {
        // The user asked and must hear why nothing follows, as when connecting fails the same way.
        ReportAnyFailure(request, PK::Guid());
        return;
    }
    PK::Array<PK::UniString> entries;
    for (const API_ClassificationSystem& system : systems) entries.Push(SystemEntry(system));
    const auto resolve = [&](const PK::UniString& text) {
        PK::UniString resolved = text;
        resolved.ReplaceAll("{OrvoTessarySpecificationTitle}", request.specTitle);
        resolved.ReplaceAll("{OrvoTessarySpecificationId}", request.specId);
        resolved.ReplaceAll("{OrvoTessaryProjectTitle}", request.projectTitle);
        resolved.ReplaceAll("{OrvoTessaryProjectId}", request.projectId);
        resolved.ReplaceAll("{OrvoTessarySpecificationType}", specType);
        return resolved;
    };
    ClassificationSystemSelectorDialog dialog(entries, resolve);
    if (!dialog.Invoke()) return;
    const PK::Int32 chosen = dialog.GetSelectedItemIndex();
    if (!TC_ASSERT_MSG(err, chosen >= 0 && static_cast<PK::USize>(chosen) < systems.GetSize(), "chosen({})", chosen))
        return;
    Palette::AssociationWithSpecificationRequestWithErrorHandling(request.manager, request.projectId,
                                                                  request.projectTitle, request.specId,
                                                                  request.specTitle, systems[chosen].guid);
}

}  // namespace

void Palette::ManagerEvent_AssociationWithSpecificationRequested(const std::shared_ptr<Model::Manager>& manager,
                                                                 const PK::UniString& projectId,
                                                                 const PK::UniString& projectTitle,
                                                                 const PK::UniString& specId,
                                                                 const PK::UniString& specTitle,
                                                                 const PK::UniString& specType) {
    TC_GUARDED([&] {
        MainMessageLoop::Execute([ownManager = _manager, request = Request{manager, projectId, projectTitle, specId,
                                                                           specTitle},
                                  specType] { SelectClassificationSystem(ownManager, request, specType); });
    });
}

void Palette::AssociationWithSpecificationRequestWithErrorHandling(std::shared_ptr<Model::Manager> manager,
                                                                   PK::UniString projectId, PK::UniString projectTitle,
                                                                   PK::UniString specId, PK::UniString specTitle,
                                                                   PK::Guid classificationSystem) {
    MainMessageLoop::Execute([request = Request{std::move(manager), std::move(projectId), std::move(projectTitle),
                                                std::move(specId), std::move(specTitle)},
                              classificationSystem] { Connect(request, classificationSystem); });
}

}  // namespace TessaryConnect::UI
