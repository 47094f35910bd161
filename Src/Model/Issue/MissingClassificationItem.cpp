#include "Model/Issue/MissingClassificationItem.hpp"

#include <ostream>

namespace TessaryConnect::Model::Issue {

namespace {

// The clause code, or nothing: a table without one is damaged data, not a
// reason to throw while merging.
const PK::UniString* CodeOf(const Api::Properties& properties) {
    return properties.GetPtr(Api::Properties::Name::Code);
}

}  // namespace

MissingClassificationItem::MissingClassificationItem(Api::Properties tessaryClauseProperties)
    : Kind(Issue::Severity::Error), _tessaryClauseProperties(std::move(tessaryClauseProperties)) {}

PK::UniString MissingClassificationItem::GetString(const ConnectionWithSpecification& connection) const {
    return GetTextTemplate(connection, Util::Resource::IssueText::MissingClassificationItem,
                           _tessaryClauseProperties.Placeholders());
}

Outcome MissingClassificationItem::Absorb(const MissingClassificationItem& older) const {
    const PK::UniString* code = CodeOf(_tessaryClauseProperties);
    const PK::UniString* olderCode = CodeOf(older._tessaryClauseProperties);
    const bool sameClause = code != nullptr && olderCode != nullptr && *code == *olderCode;
    return {sameClause, false};
}

void MissingClassificationItem::GetMergeKeys(PK::Array<MergeKey>& keys) const {
    if (const PK::UniString* code = CodeOf(_tessaryClauseProperties))
        keys.Push(MakeMergeKey(classInfo.GetId(), std::hash<PK::UniString>{}(*code)));
}

void MissingClassificationItem::DumpInner(std::ostream& os) const {
    Base::DumpInner(os);
    os << ", tessaryClauseProperties: " << _tessaryClauseProperties;
}

}  // namespace TessaryConnect::Model::Issue
