#pragma once
// The host's preferences store. Values are strings under a group and a key,
// in one of three root-key domains (-1, 0, 1), each kept in its own file of
// the per-user preferences folder. Tests point the folder at a temporary
// directory with SetStorageFolder before touching any preference.
#include <filesystem>
#include <memory>

#include "PK/Types.hpp"
#include "PK/UniString.hpp"

class PKPref {
public:
    class RootKey {
    public:
        explicit RootKey(int domain) : _domain(domain) {}
        // Reads group/key into value. An absent key yields defaultValue; with
        // keepDefault non-zero the default is then stored, so later reads find it.
        PKErrCode GetString(const PK::UniString& group, const PK::UniString& key, PK::UniString* value,
                            const PK::UniString& defaultValue, int keepDefault) const;
        PKErrCode SetString(const PK::UniString& group, const PK::UniString& key, const PK::UniString& value) const;
        PKErrCode Delete(const PK::UniString& group, const PK::UniString& key) const;
        int GetDomain() const { return _domain; }

    private:
        int _domain;
    };

    // Domains -1, 0 and 1; any other value gives nullptr.
    static std::unique_ptr<RootKey> OpenRootKey(int domain);

    static void SetStorageFolder(const std::filesystem::path& folder);
    static std::filesystem::path GetStorageFolder();

    // How the store fails, for tests: Throw makes every call throw
    // std::runtime_error (opening a root key too), Refuse makes reads, writes
    // and deletions answer PK::Error and store nothing (a refused read leaves
    // junk in its value); None is the default.
    enum class Failure { None, Throw, Refuse };
    static void SetFailure(Failure failure);
};
