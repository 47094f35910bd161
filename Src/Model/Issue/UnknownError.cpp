#include "Model/Issue/UnknownError.hpp"

#include <ostream>

#include "Util/Log.hpp"

namespace TessaryConnect::Model::Issue {

namespace {
PK::Object* ContructNew() { return new UnknownError(); }
}  // namespace

const PK::ClassInfo UnknownError::classInfo("Model::Issue::UnknownError",
                                            PK::Guid("904ab58b-9244-4c39-b0ab-86bca079385a"), PK::ClassVersion(1, 0),
                                            &Base::classInfo, &ContructNew);

UnknownError::UnknownError() : Base(Issue::Severity::Error) {}

UnknownError::UnknownError(PK::UniString hint) : Base(Issue::Severity::Error), _hint(std::move(hint)) {}

UnknownError::~UnknownError() = default;

UnknownError* UnknownError::Clone() const { return new UnknownError(*this); }

PKErrCode UnknownError::Write(PK::OChannel& oc) const {
    PK::OutputFrame frame(oc, classInfo);
    if (PKErrCode err = oc.Write(_hint); err != PK::NoError) return err;
    if (PKErrCode err = Base::Write(oc); err != PK::NoError) return err;
    frame.Close();
    return oc.GetOutputStatus();
}

PKErrCode UnknownError::Read(PK::IChannel& ic) {
    PK::InputFrame frame(ic, classInfo);
    ThrowIfNewer(frame, classInfo);
    if (PKErrCode err = frame.GetStatus(); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_hint); err != PK::NoError) return err;
    if (PKErrCode err = Base::Read(ic); err != PK::NoError) return err;
    frame.Close();
    return ic.GetInputStatus();
}

PK::UniString UnknownError::GetString(const ConnectionWithSpecification& connection) const {
    return FillPlaceholders(GetTextTemplate(connection, Util::Resource::IssueText::UnknownError));
}

PK::UniString UnknownError::FillPlaceholders(PK::UniString text) const {
    text.ReplaceAll("{Hint}", _hint);
    return text;
}

Outcome UnknownError::MergeFrom(const std::shared_ptr<Base>& older) {
    if (older == nullptr) return {};
    if (older->IsEmpty()) {
        TC_ASSERT_FAILED(err, "!older->IsEmpty()");
        return {};
    }
    auto* olderError = dynamic_cast<const UnknownError*>(older.get());
    if (olderError == nullptr) return {};
    return {olderError->_hint == _hint, false};
}

void UnknownError::GetMergeKeys(PK::Array<MergeKey>& keys) const {
    keys.Push(MakeMergeKey(classInfo.GetId(), std::hash<PK::UniString>{}(_hint)));
}

void UnknownError::DumpInner(std::ostream& os) const {
    Base::DumpInner(os);
    os << ", hint: " << _hint;
}

}  // namespace TessaryConnect::Model::Issue
