#include "Model/Issue/MissingClassificationItem.hpp"

#include <ostream>

#include "Util/Log.hpp"

namespace TessaryConnect::Model::Issue {

namespace {

PK::Object* ContructNew() { return new MissingClassificationItem(); }

// The clause code, or nothing: a table without one is damaged data, not a
// reason to throw while merging.
const PK::UniString* CodeOf(const Api::Properties& properties) {
    return properties.GetPtr(Api::Properties::Name::Code);
}

}  // namespace

const PK::ClassInfo MissingClassificationItem::classInfo("Model::Issue::MissingClassificationItem",
                                                         PK::Guid("d6a03b0d-f6c4-416a-baa0-96dbb08130fa"),
                                                         PK::ClassVersion(1, 0), &Base::classInfo, &ContructNew);

MissingClassificationItem::MissingClassificationItem() = default;

MissingClassificationItem::MissingClassificationItem(Api::Properties tessaryClauseProperties)
    : Base(Issue::Severity::Error), _tessaryClauseProperties(std::move(tessaryClauseProperties)) {}

MissingClassificationItem::~MissingClassificationItem() = default;

MissingClassificationItem* MissingClassificationItem::Clone() const { return new MissingClassificationItem(*this); }

PKErrCode MissingClassificationItem::Write(PK::OChannel& oc) const {
    PK::OutputFrame frame(oc, classInfo);
    if (PKErrCode err = oc.Write(_tessaryClauseProperties); err != PK::NoError) return err;
    if (PKErrCode err = Base::Write(oc); err != PK::NoError) return err;
    frame.Close();
    return oc.GetOutputStatus();
}

PKErrCode MissingClassificationItem::Read(PK::IChannel& ic) {
    PK::InputFrame frame(ic, classInfo);
    // A newer record is refused like every other kind's, not misread.
    ThrowIfNewer(frame, classInfo);
    if (PKErrCode err = frame.GetStatus(); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_tessaryClauseProperties); err != PK::NoError) return err;
    if (PKErrCode err = Base::Read(ic); err != PK::NoError) return err;
    frame.Close();
    return ic.GetInputStatus();
}

PK::UniString MissingClassificationItem::GetString(const ConnectionWithSpecification& connection) const {
    return FillPlaceholders(GetTextTemplate(connection, Util::Resource::IssueText::MissingClassificationItem));
}

PK::UniString MissingClassificationItem::FillPlaceholders(const PK::UniString& text) const {
    return _tessaryClauseProperties.ResolveVariables(text);
}

Outcome MissingClassificationItem::MergeFrom(const std::shared_ptr<Base>& older) {
    if (older == nullptr) return {};
    if (older->IsEmpty()) {
        TC_ASSERT_FAILED(err, "!older->IsEmpty()");
        return {};
    }
    auto* olderItem = dynamic_cast<const MissingClassificationItem*>(older.get());
    if (olderItem == nullptr) return {};
    const PK::UniString* code = CodeOf(_tessaryClauseProperties);
    const PK::UniString* olderCode = CodeOf(olderItem->_tessaryClauseProperties);
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
