#include "Model/AddonVersion.hpp"

#include <tuple>

#include "PK/Array.hpp"
#include "PK/Convert.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model {

namespace {

PK::UniString PartStr(int value) {
    char buffer[256];
    if (!PK::valuetostr(value, buffer, sizeof buffer)) return {};
    return PK::UniString(buffer);
}

}  // namespace

AddonVersion AddonVersion::FromString(PK::UniString versionStr) {
    PK::Array<PK::UniString> vers;
    if (!TC_ASSERT(err, versionStr.Split(".", &vers) == 4)) TC_THROW_RUNTIME("wrong version format");
    AddonVersion version;
    // A part that is not a number leaves its field at 0, as the conversion leaves it.
    PK::strtovalue(vers[0], version._major, 1, 0);
    PK::strtovalue(vers[1], version._minor, 1, 0);
    PK::strtovalue(vers[2], version._patch, 1, 0);
    PK::strtovalue(vers[3], version._build, 1, 0);
    return version;
}

PK::UniString AddonVersion::MajorStr() const { return PartStr(_major); }

PK::UniString AddonVersion::TilMinorStr() const { return MajorStr() + PK::UniString(u'.') + PartStr(_minor); }

PK::UniString AddonVersion::TilPatchStr() const { return TilMinorStr() + PK::UniString(u'.') + PartStr(_patch); }

PK::UniString AddonVersion::FullStr() const { return TilPatchStr() + PK::UniString(u'.') + PartStr(_build); }

bool AddonVersion::operator<(const AddonVersion& other) const {
    return std::tie(_major, _minor, _patch, _build) < std::tie(other._major, other._minor, other._patch, other._build);
}

std::ostream& operator<<(std::ostream& os, const AddonVersion& version) { return os << version.FullStr().ToCStr(); }

}  // namespace TessaryConnect::Model
