#pragma once
// Any failure the add-on has no better issue for, with an optional hint
// (empty for a failed command; naming the problem when stored issues could
// not be read). It cannot be fixed from the issue.
#include "Model/Issue/Base.hpp"

namespace TessaryConnect::Model::Issue {

class UnknownError : public Base {
public:
    static const PK::ClassInfo classInfo;

    // A new issue with an empty hint.
    UnknownError();
    explicit UnknownError(PK::UniString hint);
    UnknownError(const UnknownError& other) = default;
    ~UnknownError() override;

    const PK::UniString& GetHint() const { return _hint; }

    UnknownError* Clone() const override;
    const PK::ClassInfo* GetClassInfo() const override { return &classInfo; }
    PKErrCode Read(PK::IChannel& ic) override;
    PKErrCode Write(PK::OChannel& oc) const override;
    PK::UniString GetString(const ConnectionWithSpecification& connection) const override;
    bool IsFixable() const override { return false; }
    bool IsEmpty() const override { return false; }
    // Drops an older unknown error with the same hint.
    Outcome MergeFrom(const std::shared_ptr<Base>& older) override;
    // One key for the hint: only equal hints merge.
    void GetMergeKeys(PK::Array<MergeKey>& keys) const override;
    void DumpInner(std::ostream& os) const override;

private:
    // The issue text template with {Hint} filled.
    PK::UniString FillPlaceholders(PK::UniString text) const;

    PK::UniString _hint;
};

}  // namespace TessaryConnect::Model::Issue
