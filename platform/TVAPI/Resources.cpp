#include "TVAPI/Resources.hpp"

#include <fstream>
#include <map>
#include <optional>
#include <string>

#ifndef TC_RESOURCES_DIR
#define TC_RESOURCES_DIR "Resources"
#endif

namespace {

using StringList = std::map<int, PK::UniString>;

struct State {
    std::filesystem::path folder = TC_RESOURCES_DIR;
    std::map<int, std::optional<StringList>> lists;
};

State& TheState() {
    static State state;
    return state;
}

std::string Unescape(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            char n = s[++i];
            out += n == 'n' ? '\n' : n == 't' ? '\t' : n;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::optional<StringList> Load(int resID) {
    std::ifstream in(TheState().folder / ("StringList-" + std::to_string(resID) + ".txt"));
    if (!in) return std::nullopt;
    StringList list;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        try {
            list[std::stoi(line.substr(0, tab))] = PK::UniString(Unescape(line.substr(tab + 1)));
        } catch (const std::exception&) {
            // A malformed line is skipped; its index simply does not exist.
        }
    }
    return list;
}

}  // namespace

PKResModule TVAPI_GetOwnResModule() { return TVAPI_OwnResModule; }

bool RSGetIndString(PK::UniString* str, int resID, int index, PKResModule module, int /*stringType*/) {
    if (str == nullptr || module != TVAPI_OwnResModule) return false;
    auto& cached = TheState().lists;
    auto it = cached.find(resID);
    if (it == cached.end()) it = cached.emplace(resID, Load(resID)).first;
    if (!it->second) return false;
    auto item = it->second->find(index);
    if (item == it->second->end()) return false;
    *str = item->second;
    return true;
}

namespace TVSim::Resources {
void SetFolder(const std::filesystem::path& folder) {
    TheState().folder = folder;
    TheState().lists.clear();
}
std::filesystem::path GetFolder() { return TheState().folder; }
}  // namespace TVSim::Resources
