#include "Model/Issue/UnknownError.hpp"

#include <ostream>

namespace TessaryConnect::Model::Issue {

UnknownError::UnknownError() : Kind(Issue::Severity::Error) {}

UnknownError::UnknownError(PK::UniString hint) : Kind(Issue::Severity::Error), _hint(std::move(hint)) {}

PK::UniString UnknownError::GetString(const ConnectionWithSpecification& connection) const {
    return GetTextTemplate(connection, Util::Resource::IssueText::UnknownError, {{"{Hint}", _hint}});
}

void UnknownError::GetMergeKeys(PK::Array<MergeKey>& keys) const {
    keys.Push(MakeMergeKey(classInfo.GetId(), std::hash<PK::UniString>{}(_hint)));
}

void UnknownError::DumpInner(std::ostream& os) const {
    Base::DumpInner(os);
    os << ", hint: " << _hint;
}

}  // namespace TessaryConnect::Model::Issue
