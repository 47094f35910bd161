#pragma once
// The add-on's four-part version number (major.minor.patch.build), compared
// part by part as signed integers.
#include <ostream>

#include "PK/UniString.hpp"
#include "Util/Formatters.hpp"

namespace TessaryConnect::Model {

class AddonVersion {
public:
    AddonVersion() = default;
    AddonVersion(int major, int minor, int patch, int build) : _major(major), _minor(minor), _patch(patch), _build(build) {}

    // Throws AddonRuntimeError unless the text has exactly four dot-separated parts.
    static AddonVersion FromString(PK::UniString versionStr);

    PK::UniString MajorStr() const;
    PK::UniString TilMinorStr() const;
    PK::UniString TilPatchStr() const;
    PK::UniString FullStr() const;

    int GetMajor() const { return _major; }
    int GetMinor() const { return _minor; }
    int GetPatch() const { return _patch; }
    int GetBuild() const { return _build; }

    bool operator<(const AddonVersion& other) const;
    bool operator==(const AddonVersion&) const = default;

private:
    int _major = 0;
    int _minor = 0;
    int _patch = 0;
    int _build = 0;
};

std::ostream& operator<<(std::ostream& os, const AddonVersion& version);

}  // namespace TessaryConnect::Model

TC_OSTREAM_FORMATTER(TessaryConnect::Model::AddonVersion);
