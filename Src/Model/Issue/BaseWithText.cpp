#include "Model/Issue/BaseWithText.hpp"

#include <ostream>

#include "Model/ConnectionWithSpecification.hpp"

namespace TessaryConnect::Model::Issue {

BaseWithText::BaseWithText(std::shared_ptr<ConnectionWithSpecification> connection, const std::shared_ptr<Base>& issue)
    : _connection(std::move(connection)), _issue(issue) {}

PK::UniString BaseWithText::GetText() const { return _issue->GetString(*_connection); }

bool BaseWithText::IsFixable() const { return _issue->IsFixable(); }

void BaseWithText::Fix() const { _issue->Fix(*_connection); }

void BaseWithText::Remove() { _connection->RemoveIssue(_issue); }

void BaseWithText::swap(BaseWithText& other) noexcept {
    _connection.swap(other._connection);
    _issue.swap(other._issue);
}

void swap(BaseWithText& a, BaseWithText& b) noexcept { a.swap(b); }

std::ostream& operator<<(std::ostream& os, const BaseWithText& issue) {
    return os << "Issue::BaseWithText{" << issue.GetText() << "}";
}

}  // namespace TessaryConnect::Model::Issue
