#include "Model/PlanData.hpp"

#include <exception>
#include <functional>
#include <ostream>

#include "IO/Location.hpp"
#include "Model/Errors.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Model {

const PK::UniString PlanData::AddonObjectName = "PlanData";
const PK::ClassInfo PlanData::classInfo("Model::PlanData", PK::Guid("dee32ada-7169-4dfd-a6fe-1bfba4fc9f73"),
                                        PK::ClassVersion(1, 0));

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

// Add-on objects change only inside a host command. It stays out of the undo
// history: undoing it would take the identity from under the connections.
void InCommand(Api::Torvel& tv, const std::function<void()>& body) {
    tv.Helper_CallCommandAndRethrow(Api::Torvel::CommandKind::Plain, PlanData::AddonObjectName, body);
}

// The reservation of the add-on object while this member fills it; given
// back on every way out, so a failure cannot leave the other members locked
// out of the project's identity.
class Reservation {
public:
    Reservation(Api::Torvel& tv, const PK::Guid& object, bool teamwork) : _tv(tv), _object(object) {
        if (!teamwork) return;
        _tv.AddOnObject_ReserveObject(_object);
        _held = true;
    }
    Reservation(const Reservation&) = delete;
    Reservation& operator=(const Reservation&) = delete;
    ~Reservation() {
        if (!_held) return;
        try {
            _tv.AddOnObject_ReleaseObject(_object);
        } catch (...) {
            TC_LOG_CAUGHT(err);
        }
    }

    void Release() {
        if (!_held) return;
        _held = false;
        _tv.AddOnObject_ReleaseObject(_object);
    }

private:
    Api::Torvel& _tv;
    PK::Guid _object;
    bool _held = false;
};

}  // namespace

PlanData::PlanData(std::shared_ptr<Api::Torvel> tvApi) : _tvApi(std::move(tvApi)) {}

void PlanData::Clear() {
    _addonObjectGuid = PK::Guid();
    _synced = false;
    _id.Clear();
}

PK::UniString PlanData::Title() const {
    try {
        ProjectInfoTexts texts;
        if (!_tvApi->GetProjectInfo(texts.info)) return {};
        if (texts.info.projectName != nullptr) return *texts.info.projectName;
        if (texts.info.projectPath != nullptr) return *texts.info.projectPath;
        return texts.info.isUntitled ? "Untitled" : "unknown";
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return {};
}

void PlanData::GenerateNew() {
    Clear();
    _id = _tvApi->GenerateGuid().ToUniString();
}

bool PlanData::LoadIfHas() {
    _addonObjectGuid = _tvApi->AddOnObject_GetUniqueObjectGuidFromName(AddonObjectName);
    if (_addonObjectGuid.IsNull()) return false;
    if (!Load()) return false;
    _synced = true;
    return true;
}

bool PlanData::Load() {
    const Api::AddOnObjectContent content = _tvApi->AddOnObject_GetObjectContent(_addonObjectGuid);
    if (content.content.IsNull()) {
        LOG_WARN("Probably couldn't save the planid: {}, {}", *this, content.content);
        return false;
    }
    const PK::UniString stored = IdIn(content.content);
    if (stored.IsEmpty()) return false;
    _id = stored;
    LOG_TRACE("PlanData loaded: {}", *this);
    return true;
}

PK::UniString PlanData::ReadStoredId() const {
    return IdIn(_tvApi->AddOnObject_GetObjectContent(_addonObjectGuid).content);
}

PK::UniString PlanData::IdIn(const Api::PKHandleWrapper& content) const {
    // Read aside: a record without an id must not wipe the id this member has.
    PlanData stored(_tvApi);
    if (!Api::PKHandleWrapper::FillObject(content.Get(), stored)) return {};
    if (stored._id.IsEmpty()) TC_ASSERT_FAILED(critical, "!this->_id.IsEmpty(), handle({})", content);
    return stored._id;
}

bool PlanData::InitAddonObjectIfNeeded() const {
    if (!_addonObjectGuid.IsNull()) return false;
    // A member that creates the object at the same moment makes our creation
    // fail and our next look-up find its object; a host that keeps answering
    // neither must not hold us in a loop.
    for (int attempt = 0; attempt < maxCreateOrFindAttempts; ++attempt) {
        _addonObjectGuid = _tvApi->AddOnObject_GetUniqueObjectGuidFromName(AddonObjectName);
        if (_addonObjectGuid.IsNull()) {
            try {
                PK::Guid created;
                InCommand(*_tvApi, [&] { created = _tvApi->AddOnObject_CreateUniqueObject(AddonObjectName); });
                _addonObjectGuid = created;
                LOG_TRACE("PlanData AddOnObject was created or get from TW: {}", _addonObjectGuid);
                return true;
            } catch (const Api::Error<APIERR_NAMEALREADYUSED>&) {
                // another member was quicker: look again
            }
        }
        LOG_TRACE("Found existing PlanData AddOnObject: {}", _addonObjectGuid);
        if (!_addonObjectGuid.IsNull()) return false;
    }
    TC_THROW_RUNTIME("the PlanData add-on object could be neither found nor created");
}

void PlanData::StoreId() {
    const Api::PKHandleWrapper content = Api::PKHandleWrapper::CreateForObject(*this);
    InCommand(*_tvApi, [&] { _tvApi->AddOnObject_ModifyObject(_addonObjectGuid, content.Get()); });
}

bool PlanData::Sync() {
    LOG_TRACE("{}", *this);
    InitAddonObjectIfNeeded();
    try {
        if (PK::UniString stored = ReadStoredId(); !stored.IsEmpty()) {
            _id = std::move(stored);
            LOG_TRACE("Loaded PlanData: {}", *this);
            _synced = true;
            return true;
        }
        LOG_TRACE("Reserving PlanData: {}", _addonObjectGuid);
        Reservation reservation(*_tvApi, _addonObjectGuid, _tvApi->TeamworkControl_HasConnection());
        // Another member may have filled it while we waited for the reservation.
        bool adopted = false;
        if (PK::UniString stored = ReadStoredId(); !stored.IsEmpty()) {
            _id = std::move(stored);
            LOG_TRACE("Loaded PlanData: {}", *this);
            adopted = true;
        } else {
            LOG_TRACE("PlanData is still empty, now we fill it: {}", *this);
            StoreId();
        }
        _synced = true;
        reservation.Release();
        return adopted;
    } catch (const Api::Error<APIERR_NOTMINE>&) {
        LOG_INFO(
            "AnotherUserIsInitingThePlanId: If it coninuosly happening probably the other client 'forget' to release "
            "it. User interaction is required.");
        throw AnotherUserIsInitingThePlanId();
    }
}

PKErrCode PlanData::Write(PK::OChannel& oc) const {
    PK::OutputFrame frame(oc, classInfo);
    if (PKErrCode err = oc.Write(_id); err != PK::NoError) return err;
    frame.Close();
    return oc.GetOutputStatus();
}

PKErrCode PlanData::Read(PK::IChannel& ic) {
    PK::InputFrame frame(ic, classInfo);
    Error::ThrowIfNewer(frame, classInfo);
    if (PKErrCode err = ic.GetInputStatus(); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_id); err != PK::NoError) return err;
    frame.Close();
    return ic.GetInputStatus();
}

std::ostream& operator<<(std::ostream& os, const PlanData& planData) {
    return os << "PlanData{_id: " << planData.Id() << "}";
}

}  // namespace TessaryConnect::Model
