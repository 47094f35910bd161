#include "PK/Pref.hpp"

#include "PK/KeyValueFile.hpp"

#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

std::optional<std::filesystem::path>& Folder() {
    static std::optional<std::filesystem::path> folder;
    return folder;
}

PKPref::Failure& Failing() {
    static PKPref::Failure failure = PKPref::Failure::None;
    return failure;
}

void ThrowWhenMadeTo() {
    if (Failing() == PKPref::Failure::Throw) throw std::runtime_error("the preferences store is unavailable");
}

// Throws or answers the refusal when the store is made to fail, else NoError.
PKErrCode Refusal() {
    ThrowWhenMadeTo();
    return Failing() == PKPref::Failure::Refuse ? PK::Error : PK::NoError;
}

using Store = std::map<std::string, std::string>;

std::filesystem::path FileOf(int domain) {
    return PKPref::GetStorageFolder() / ("preferences." + std::to_string(domain) + ".txt");
}

// Keys are "group<TAB>key" once escaped, so neither part can forge the other.
std::string Compose(const PK::UniString& group, const PK::UniString& key) {
    return PK::KeyValueFile::Escape(group.ToCStr()) + '\t' + PK::KeyValueFile::Escape(key.ToCStr());
}

Store Load(int domain) {
    Store store;
    PK::KeyValueFile::Read(FileOf(domain), [&](std::string key, std::string value) { store[key] = std::move(value); });
    return store;
}

PKErrCode Save(int domain, const Store& store) {
    std::error_code ec;
    std::filesystem::create_directories(PKPref::GetStorageFolder(), ec);
    std::ofstream out(FileOf(domain), std::ios::trunc);
    if (!out) return PK::Error;
    for (const auto& [k, v] : store) out << PK::KeyValueFile::Escape(k) << '\t' << PK::KeyValueFile::Escape(v) << '\n';
    return out ? PK::NoError : PK::Error;
}

}  // namespace

PKErrCode PKPref::RootKey::GetString(const PK::UniString& group, const PK::UniString& key, PK::UniString* value,
                                     const PK::UniString& defaultValue, int keepDefault) const {
    if (PKErrCode refusal = Refusal(); refusal != PK::NoError) {
        // What a failed read leaves in the value is undefined; a caller must not use it.
        if (value != nullptr) *value = "\x7F undefined \x7F";
        return refusal;
    }
    if (value == nullptr) return PK::Error;
    Store store = Load(_domain);
    auto it = store.find(Compose(group, key));
    if (it != store.end()) {
        *value = PK::UniString(it->second);
        return PK::NoError;
    }
    *value = defaultValue;
    if (keepDefault != 0) {
        store[Compose(group, key)] = defaultValue.ToCStr();
        return Save(_domain, store);
    }
    return PK::NoError;
}

PKErrCode PKPref::RootKey::SetString(const PK::UniString& group, const PK::UniString& key,
                                     const PK::UniString& value) const {
    if (PKErrCode refusal = Refusal(); refusal != PK::NoError) return refusal;
    Store store = Load(_domain);
    store[Compose(group, key)] = value.ToCStr();
    return Save(_domain, store);
}

PKErrCode PKPref::RootKey::Delete(const PK::UniString& group, const PK::UniString& key) const {
    if (PKErrCode refusal = Refusal(); refusal != PK::NoError) return refusal;
    Store store = Load(_domain);
    if (store.erase(Compose(group, key)) == 0) return PK::NoError;
    return Save(_domain, store);
}

std::unique_ptr<PKPref::RootKey> PKPref::OpenRootKey(int domain) {
    ThrowWhenMadeTo();
    if (domain < -1 || domain > 1) return nullptr;
    return std::make_unique<RootKey>(domain);
}

void PKPref::SetStorageFolder(const std::filesystem::path& folder) { Folder() = folder; }

void PKPref::SetFailure(Failure failure) { Failing() = failure; }

std::filesystem::path PKPref::GetStorageFolder() {
    if (Folder()) return *Folder();
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : ".") / ".pendrake-torvel" / "preferences";
}
