#pragma once
// Any failure the add-on has no better issue for, with an optional hint
// (empty for a failed command; naming the problem when stored issues could
// not be read). It cannot be fixed from the issue.
#include <tuple>

#include "Model/Issue/Kind.hpp"

namespace TessaryConnect::Model::Issue {

class UnknownError : public Kind<UnknownError> {
public:
    // A new issue with an empty hint.
    UnknownError();
    // An object to be read: null GUID, creation time 0.
    explicit UnknownError(ToBeRead) {}
    explicit UnknownError(PK::UniString hint);

    const PK::UniString& GetHint() const { return _hint; }

    PK::UniString GetString(const ConnectionWithSpecification& connection) const override;
    bool IsFixable() const override { return false; }
    bool IsEmpty() const override { return false; }
    // One key for the hint: only equal hints merge.
    void GetMergeKeys(PK::Array<MergeKey>& keys) const override;
    void DumpInner(std::ostream& os) const override;

private:
    friend Kind;
    static constexpr KindTraits traits{"Model::Issue::UnknownError", "904ab58b-9244-4c39-b0ab-86bca079385a", {}};
    static constexpr auto Fields() { return std::tuple{&UnknownError::_hint}; }
    // Drops an older unknown error with the same hint.
    Outcome Absorb(const UnknownError& older) const { return {older._hint == _hint, false}; }

    PK::UniString _hint;
};

}  // namespace TessaryConnect::Model::Issue
