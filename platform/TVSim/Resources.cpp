#include "TVSim/Resources.hpp"

#include "PK/KeyValueFile.hpp"

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

std::optional<StringList> Load(int resID) {
    StringList list;
    const bool found = PK::KeyValueFile::Read(
        TheState().folder / ("StringList-" + std::to_string(resID) + ".txt"), [&](std::string key, std::string value) {
            try {
                list[std::stoi(key)] = PK::UniString(value);
            } catch (const std::exception&) {
                // A malformed line is skipped; its index simply does not exist.
            }
        });
    if (!found) return std::nullopt;
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

bool RSReadResource(PKResModule module, const char* type, int resID,
                    const std::function<void(const std::string& key, const std::string& text)>& entry) {
    if (module != TVAPI_OwnResModule) return false;
    return PK::KeyValueFile::Read(TheState().folder / (std::string(type) + "-" + std::to_string(resID) + ".txt"),
                                  [&](const std::string& key, const std::string& text) { entry(key, text); });
}

namespace TVSim::Resources {
void SetFolder(const std::filesystem::path& folder) {
    TheState().folder = folder;
    TheState().lists.clear();
}
std::filesystem::path GetFolder() { return TheState().folder; }
}  // namespace TVSim::Resources
