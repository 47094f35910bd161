#include "PK/ClassInfo.hpp"

#include <cstring>
#include <unordered_map>

namespace PK {

namespace {

struct Registry {
    std::unordered_map<Guid, const ClassInfo*> byId;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

ClassInfo::ClassInfo(const char* name, const Guid& id, ClassVersion version, const ClassInfo* base,
                     Constructor constructor)
    : _name(name), _id(id), _version(version), _base(base), _constructor(constructor) {
    // Two classes claiming one GUID would make stored records ambiguous; the first stays.
    TheRegistry().byId.emplace(_id, this);
}

ClassInfo::~ClassInfo() {
    auto& byId = TheRegistry().byId;
    auto it = byId.find(_id);
    if (it != byId.end() && it->second == this) byId.erase(it);
}

bool ClassInfo::IsDerivedFrom(const ClassInfo& other) const {
    for (const ClassInfo* c = this; c != nullptr; c = c->_base)
        if (c == &other) return true;
    return false;
}

const ClassInfo* ClassManager::FindClassInfo(const Guid& id) const {
    auto& byId = TheRegistry().byId;
    auto it = byId.find(id);
    return it == byId.end() ? nullptr : it->second;
}

const ClassInfo* ClassManager::FindClassInfo(const char* name) const {
    for (const auto& [id, info] : TheRegistry().byId)
        if (std::strcmp(info->GetName(), name) == 0) return info;
    return nullptr;
}

USize ClassManager::GetClassCount() const { return TheRegistry().byId.size(); }

}  // namespace PK
