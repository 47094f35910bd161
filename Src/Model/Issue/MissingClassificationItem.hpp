#pragma once
// The classification item of a clause's virtual type is missing from the
// project. The issue keeps the clause's property values, so its text can name
// the clause; it cannot be fixed from the issue. It travels to the connection
// inside Model::Error::MissingClassificationItem.
#include "Model/Issue/Base.hpp"
#include "Tessary/Api/Properties.hpp"

namespace TessaryConnect::Model::Issue {

class MissingClassificationItem : public Base {
public:
    static const PK::ClassInfo classInfo;

    // An object to be read: null GUID, creation time 0, no properties.
    MissingClassificationItem();
    explicit MissingClassificationItem(Api::Properties tessaryClauseProperties);
    MissingClassificationItem(const MissingClassificationItem& other) = default;
    ~MissingClassificationItem() override;

    const Api::Properties& GetTessaryClauseProperties() const { return _tessaryClauseProperties; }

    MissingClassificationItem* Clone() const override;
    const PK::ClassInfo* GetClassInfo() const override { return &classInfo; }
    PKErrCode Read(PK::IChannel& ic) override;
    PKErrCode Write(PK::OChannel& oc) const override;
    PK::UniString GetString(const ConnectionWithSpecification& connection) const override;
    bool IsFixable() const override { return false; }
    bool IsEmpty() const override { return false; }
    // Drops an older issue about the same clause code.
    Outcome MergeFrom(const std::shared_ptr<Base>& older) override;
    // One key for the clause code, none without one: only equal codes merge.
    void GetMergeKeys(PK::Array<MergeKey>& keys) const override;
    void DumpInner(std::ostream& os) const override;

private:
    // The issue text template with the clause's property placeholders filled.
    PK::UniString FillPlaceholders(const PK::UniString& text) const;

    Api::Properties _tessaryClauseProperties;
};

}  // namespace TessaryConnect::Model::Issue
