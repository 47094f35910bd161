#include "Model/Errors.hpp"

#include "Model/Issue/MissingClassificationItem.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model::Error {

namespace {

std::string MessageFor(const Issue::Base* issue) {
    if (!TC_ASSERT(err, issue != nullptr)) return "Issue error without an issue";
    return fmt::format("Issue error: {}", *issue);
}

std::unique_ptr<const Issue::Base> CloneOf(const std::unique_ptr<const Issue::Base>& issue) {
    return issue ? std::unique_ptr<const Issue::Base>(issue->Clone()) : nullptr;
}

}  // namespace

IssueErrorBase::IssueErrorBase(std::unique_ptr<const Issue::Base> issue)
    : _message(MessageFor(issue.get())), _issue(std::move(issue)) {}

IssueErrorBase::IssueErrorBase(const IssueErrorBase& other)
    : std::exception(other), _message(MessageFor(other._issue.get())), _issue(CloneOf(other._issue)) {}

IssueErrorBase& IssueErrorBase::operator=(const IssueErrorBase& other) {
    if (this != &other) {
        _issue = CloneOf(other._issue);
        _message = MessageFor(_issue.get());
    }
    return *this;
}

IssueErrorBase::~IssueErrorBase() = default;

MissingClassificationItem::MissingClassificationItem(Api::Properties tessaryClauseProperties)
    : IssueErrorBase(std::make_unique<const Issue::MissingClassificationItem>(std::move(tessaryClauseProperties))) {}

void ThrowIfNewer(const PK::InputFrame& frame, const PK::ClassInfo& classInfo) {
    if (frame.GetMainVersion() > classInfo.GetVersion().GetMainVersion()) throw VersionIncompatibility();
}

}  // namespace TessaryConnect::Model::Error
