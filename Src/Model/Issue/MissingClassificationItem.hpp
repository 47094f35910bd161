#pragma once
// The classification item of a clause's virtual type is missing from the
// project. The issue keeps the clause's property values, so its text can name
// the clause; it cannot be fixed from the issue. It travels to the connection
// inside Model::Error::MissingClassificationItem.
#include <tuple>

#include "Model/Issue/Kind.hpp"
#include "Tessary/Api/Properties.hpp"

namespace TessaryConnect::Model::Issue {

class MissingClassificationItem : public Kind<MissingClassificationItem> {
public:
    // An object to be read: null GUID, creation time 0, no properties.
    MissingClassificationItem() = default;
    explicit MissingClassificationItem(Api::Properties tessaryClauseProperties);

    const Api::Properties& GetTessaryClauseProperties() const { return _tessaryClauseProperties; }

    PK::UniString GetString(const ConnectionWithSpecification& connection) const override;
    bool IsFixable() const override { return false; }
    bool IsEmpty() const override { return false; }
    // One key for the clause code, none without one: only equal codes merge.
    void GetMergeKeys(PK::Array<MergeKey>& keys) const override;
    void DumpInner(std::ostream& os) const override;

private:
    friend Kind;
    static constexpr KindTraits traits{
        "Model::Issue::MissingClassificationItem", "d6a03b0d-f6c4-416a-baa0-96dbb08130fa", {}};
    static constexpr auto Fields() { return std::tuple{&MissingClassificationItem::_tessaryClauseProperties}; }
    // Drops an older issue about the same clause code.
    Outcome Absorb(const MissingClassificationItem& older) const;

    Api::Properties _tessaryClauseProperties;
};

}  // namespace TessaryConnect::Model::Issue
