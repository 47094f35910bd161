#include "Util/PKPrinters.hpp"

namespace PK {

std::ostream& operator<<(std::ostream& os, const UniString& text) {
    UniString escaped = text;
    escaped.ReplaceAll("\"", "\\\"");
    return os << '"' << escaped.ToCStr() << '"';
}

std::ostream& operator<<(std::ostream& os, const Guid& guid) { return os << guid.ToUniString(); }

std::ostream& operator<<(std::ostream& os, const ClassVersion& version) {
    return os << "{main: " << static_cast<int>(version.GetMainVersion())
              << ", sub: " << static_cast<int>(version.GetMinorVersion()) << "}";
}

std::ostream& operator<<(std::ostream& os, const ClassInfo& info) {
    return os << "{" << "\"GetName()\": " << info.GetName() << "\"GetId()\": " << info.GetId()
              << "\"HasConstructor()\": " << (info.HasConstructor() ? 1 : 0) << "\"GetVersion()\": "
              << info.GetVersion() << "}";
}

}  // namespace PK
