#pragma once
// The add-on's settings: the running version with the thresholds the start-up
// check compares it with, and the tracking user id, a GUID text kept in the
// host's preferences (domain 1, group "OrvoTessaryConnect", key "userId") that
// identifies the user across runs. One global instance, built from the global
// version when the add-on is loaded (Main.hpp).
//
// Nothing in the add-on sets the thresholds after construction, so they
// equal the running version and neither version notice ever shows. The
// online settings document that could set them is not built: nothing would
// call it, and it needs the network.
//
// It observes host notifications and ignores every one of them.
#include "Model/AddonVersion.hpp"
#include "PK/UniString.hpp"
#include "Torvel/Api/TorvelEventSource.hpp"

namespace TessaryConnect {

class Settings : private Api::TorvelEventObserver {
public:
    explicit Settings(const Model::AddonVersion& version);
    ~Settings() override;
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    // The tracking user id, read from the preferences once per run (the store
    // keeps a fresh GUID text the first time), or "<errored>" when the store
    // could not be read: then nothing is kept and the next call reads again.
    PK::UniString GetTrackingUserId();
    // Whether this run created the tracking user id; false until it was read.
    bool IsNewUser() const { return _isNewUser; }

    // Does nothing: the thresholds are fixed.
    void UpdateIfNeeded();
    // Where an online settings document would put the thresholds. Nothing in
    // the add-on calls it; tests do, to see the version notices.
    void SetThresholds(const Model::AddonVersion& minVersion, const Model::AddonVersion& latestVersion,
                       const Model::AddonVersion& latestTestVersion);

    const Model::AddonVersion& GetMinVersion() const { return _minVersion; }
    const Model::AddonVersion& GetLatestVersion() const { return _latestVersion; }
    const Model::AddonVersion& GetLatestTestVersion() const { return _latestTestVersion; }

    // The running version is older than the latest version.
    bool HasNewVersion() const;
    // The running version is older than the minimum version.
    bool IsTooOldToRun() const;

private:
    void TVEvent_Project_Save() override {}

    Model::AddonVersion _addonVersion;
    Model::AddonVersion _minVersion;
    Model::AddonVersion _latestVersion;
    Model::AddonVersion _latestTestVersion;
    PK::UniString _trackingUserId;  // empty: not read yet
    bool _isNewUser = false;
};

}  // namespace TessaryConnect
