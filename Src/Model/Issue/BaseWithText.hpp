#pragma once
// An issue paired with its connection, as the issues panel lists it: enough
// to show the issue's text, fix it, or remove it from the connection.
#include <iosfwd>
#include <memory>

#include "Model/Issue/Base.hpp"

namespace TessaryConnect::Model::Issue {

class BaseWithText {
public:
    BaseWithText(std::shared_ptr<ConnectionWithSpecification> connection, const std::shared_ptr<Base>& issue);

    PK::UniString GetText() const;
    bool IsFixable() const;
    void Fix() const;
    // Removes the issue from its connection, with a removal stamp.
    void Remove();

    const Base& GetIssue() const { return *_issue; }
    const std::shared_ptr<Base>& GetIssuePtr() const { return _issue; }

    void swap(BaseWithText& other) noexcept;
    // The same connection and the same issue object, not equal contents.
    friend bool operator==(const BaseWithText& a, const BaseWithText& b) {
        return a._connection == b._connection && a._issue == b._issue;
    }

private:
    std::shared_ptr<ConnectionWithSpecification> _connection;
    std::shared_ptr<Base> _issue;
};

void swap(BaseWithText& a, BaseWithText& b) noexcept;

std::ostream& operator<<(std::ostream& os, const BaseWithText& issue);

}  // namespace TessaryConnect::Model::Issue

TC_OSTREAM_FORMATTER(TessaryConnect::Model::Issue::BaseWithText);
