#include "Torvel/Api/ProcessWindow.hpp"

#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Api {

ProcessWindow::ProcessWindow(std::shared_ptr<Torvel> torvel, const PK::UniString& title, PK::Int16 phaseCount)
    : _torvel(std::move(torvel)), _phaseCount(phaseCount) {
    _torvel->Interface(APIIo_OpenProgressWindowID, const_cast<PK::UniString*>(&title), &_phaseCount, nullptr, nullptr,
                       nullptr);
}

ProcessWindow::~ProcessWindow() {
    // A progress window that cannot be closed is the host's problem; it must
    // not take the operation that used it down with it.
    try {
        _torvel->Interface(APIIo_CloseProgressWindowID, nullptr, nullptr, nullptr, nullptr, nullptr);
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
}

void ProcessWindow::NextPhase(const PK::UniString& phaseName, PK::Int32 maxValue) {
    _torvel->Interface(APIIo_NextProgressPhaseID, const_cast<PK::UniString*>(&phaseName), &maxValue, nullptr, nullptr,
                       nullptr);
}

void ProcessWindow::IncrementPhaseValue(PK::Int32 increment) {
    _torvel->Interface(APIIo_IncProgressValueID, &increment, nullptr, nullptr, nullptr, nullptr);
}

void ProcessWindow::SetPhaseValue(PK::Int32 value) {
    _torvel->Interface(APIIo_SetProgressValueID, &value, nullptr, nullptr, nullptr, nullptr);
}

bool ProcessWindow::IsCancelled() const {
    try {
        _torvel->Interface(APIIo_IsProgressCancelledID, nullptr, nullptr, nullptr, nullptr, nullptr);
        return false;
    } catch (const Error<APIERR_CANCEL>&) {
        return true;
    } catch (...) {
        TC_LOG_CAUGHT(err);
        return true;
    }
}

}  // namespace TessaryConnect::Api
