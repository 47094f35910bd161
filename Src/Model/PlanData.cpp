#include "Model/PlanData.hpp"

#include <ostream>

#include "IO/Location.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model {

namespace {

// The texts the host allocates in a project record, freed on every way out.
class ProjectInfoTexts {
public:
    ~ProjectInfoTexts() {
        delete info.projectName;
        delete info.projectPath;
        delete info.location;
    }
    API_ProjectInfo info;
};

}  // namespace

PlanData::PlanData(std::shared_ptr<Api::Torvel> tvApi) : _tvApi(std::move(tvApi)) {}

void PlanData::Clear() { _id.Clear(); }

PK::UniString PlanData::Title() const {
    try {
        ProjectInfoTexts texts;
        if (!_tvApi->GetProjectInfo(texts.info)) return {};
        if (texts.info.projectName != nullptr) return *texts.info.projectName;
        if (texts.info.projectPath != nullptr) return *texts.info.projectPath;
        return texts.info.isUntitled ? "Untitled" : "unknown";
    } catch (const std::exception& e) {
        LOG_ERROR("exception: {}", e);
    } catch (...) {
        LOG_ERROR("unknown exception!");
    }
    return {};
}

void PlanData::GenerateNew() {
    Clear();
    _id = _tvApi->GenerateGuid().ToUniString();
}

std::ostream& operator<<(std::ostream& os, const PlanData& planData) {
    return os << "PlanData{_id: " << planData.Id() << "}";
}

}  // namespace TessaryConnect::Model
