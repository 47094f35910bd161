#include "TVSim/Resources.hpp"

#include <map>
#include <optional>
#include <string>

#include "PK/KeyValueFile.hpp"

namespace {

using StringList = std::map<int, PK::UniString>;

struct State {
    std::filesystem::path folder;  // none until whoever starts the host names it
    std::map<int, std::optional<StringList>> lists;
};

State& TheState() {
    static State state;
    return state;
}

// The file of one resource; none when the host was given no folder, so that every
// resource is missing rather than looked for wherever the process happens to run.
std::optional<std::filesystem::path> ResourceFile(const std::string& name) {
    if (TheState().folder.empty()) return std::nullopt;
    return TheState().folder / name;
}

std::optional<StringList> Load(int resID) {
    const auto file = ResourceFile("StringList-" + std::to_string(resID) + ".txt");
    if (!file) return std::nullopt;
    StringList list;
    const bool found = PK::KeyValueFile::Read(*file, [&](std::string key, std::string value) {
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
    const auto file = ResourceFile(std::string(type) + "-" + std::to_string(resID) + ".txt");
    return file &&
           PK::KeyValueFile::Read(*file, [&](const std::string& key, const std::string& text) { entry(key, text); });
}

namespace TVSim::Resources {
void SetFolder(const std::filesystem::path& folder) {
    TheState().folder = folder;
    TheState().lists.clear();
}
std::filesystem::path GetFolder() { return TheState().folder; }
}  // namespace TVSim::Resources
