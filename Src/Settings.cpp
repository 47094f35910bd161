#include "Settings.hpp"

#include <memory>

#include "PK/Guid.hpp"
#include "PK/Pref.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect {

namespace {
constexpr int TrackingUserIdDomain = 1;
constexpr const char* PrefGroup = "OrvoTessaryConnect";
constexpr const char* TrackingUserIdKey = "userId";
constexpr int KeepDefault = 1;
}  // namespace

Settings::Settings(const Model::AddonVersion& version)
    : _addonVersion(version), _minVersion(version), _latestVersion(version), _latestTestVersion(version) {
    LOG_TRACE("Settings::construct");
}

Settings::~Settings() { LOG_TRACE("Settings::destruct"); }

PK::UniString Settings::GetTrackingUserId() {
    if (!_trackingUserId.IsEmpty()) return _trackingUserId;
    try {
        const PK::UniString fresh = PK::Guid::Generate().ToUniString();
        const std::unique_ptr<PKPref::RootKey> key = PKPref::OpenRootKey(TrackingUserIdDomain);
        if (key == nullptr) TC_THROW_RUNTIME("the preferences root key of the tracking user id does not open");
        // Read into a value of its own: a refused read leaves junk in it, which
        // must never become the user's id.
        PK::UniString read;
        const PKErrCode res = key->GetString(PrefGroup, TrackingUserIdKey, &read, fresh, KeepDefault);
        if (res != PK::NoError)
            TC_THROW_RUNTIME(fmt::format("the tracking user id was not read: res({})", res));
        _trackingUserId = read;
        _isNewUser = read == fresh;
        return _trackingUserId;
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return "<errored>";
}

void Settings::UpdateIfNeeded() {}

void Settings::SetThresholds(const Model::AddonVersion& minVersion, const Model::AddonVersion& latestVersion,
                             const Model::AddonVersion& latestTestVersion) {
    _minVersion = minVersion;
    _latestVersion = latestVersion;
    _latestTestVersion = latestTestVersion;
}

bool Settings::HasNewVersion() const { return _addonVersion < _latestVersion; }

bool Settings::IsTooOldToRun() const { return _addonVersion < _minVersion; }

}  // namespace TessaryConnect
