#pragma once
// The model's own exceptions: host objects a connection relies on that have
// gone, stored data it cannot read, and refusals of a new connection. Host
// error codes have their own types (Torvel/Api/Error.hpp).
#include <exception>
#include <memory>
#include <string>

#include "PK/Channel.hpp"
#include "Tessary/Api/Properties.hpp"

namespace TessaryConnect::Model {

class ConnectionWithSpecification;

namespace Issue {
class Base;
}

namespace Error {

// An error that carries a ready-made issue, which the connection records
// when it catches the error. Copies own copies of the issue, so a copy
// outlives the error it was made from.
class IssueErrorBase : public std::exception {
public:
    explicit IssueErrorBase(std::unique_ptr<const Issue::Base> issue);
    IssueErrorBase(const IssueErrorBase& other);
    IssueErrorBase& operator=(const IssueErrorBase& other);
    ~IssueErrorBase() override;

    const char* what() const noexcept override { return _message.c_str(); }
    const Issue::Base& GetIssue() const { return *_issue; }

private:
    std::string _message;
    std::unique_ptr<const Issue::Base> _issue;
};

// The classification item of a clause's virtual type is gone (or was never
// found); carries a Model::Issue::MissingClassificationItem for the clause.
class MissingClassificationItem : public IssueErrorBase {
public:
    explicit MissingClassificationItem(Api::Properties tessaryClauseProperties);
};

class MissingProperty : public std::exception {
public:
    explicit MissingProperty(const std::string& propertyName) : _message("MissingProperty: " + propertyName) {}
    const char* what() const noexcept override { return _message.c_str(); }

private:
    std::string _message;
};

class MissingPropertyGroup : public std::exception {
public:
    const char* what() const noexcept override { return "MissingPropertyGroup"; }
};

class MissingClassificationSystem : public std::exception {
public:
    const char* what() const noexcept override { return "MissingClassificationSystem"; }
};

// A stored record written by a newer version of the add-on.
class VersionIncompatibility : public std::exception {
public:
    const char* what() const noexcept override { return "Error::VersionIncompatibility"; }
};

// Throws VersionIncompatibility for a record frame of a newer main version than the class's.
void ThrowIfNewer(const PK::InputFrame& frame, const PK::ClassInfo& classInfo);

}  // namespace Error

// Another team member is giving the project its identity right now.
class AnotherUserIsInitingThePlanId : public std::exception {
public:
    const char* what() const noexcept override { return "AnotherUserIsInitingThePlanId"; }
};

class ClassificationSystemAlreadyUsedError : public std::exception {
public:
    explicit ClassificationSystemAlreadyUsedError(std::shared_ptr<ConnectionWithSpecification> connection)
        : _connection(std::move(connection)) {}
    const char* what() const noexcept override { return "ClassificationSystemAlreadyUsedError"; }
    // The connection that uses the classification system already.
    const std::shared_ptr<ConnectionWithSpecification>& GetConnection() const { return _connection; }

private:
    std::shared_ptr<ConnectionWithSpecification> _connection;
};

class ConnectionAlreadyExistsForSpecificationInPlanError : public std::exception {
public:
    explicit ConnectionAlreadyExistsForSpecificationInPlanError(std::shared_ptr<ConnectionWithSpecification> connection)
        : _connection(std::move(connection)) {}
    const char* what() const noexcept override { return "ConnectionAlreadyExistsForSpecificationInPlanError"; }
    // The connection the specification has already.
    const std::shared_ptr<ConnectionWithSpecification>& GetConnection() const { return _connection; }

private:
    std::shared_ptr<ConnectionWithSpecification> _connection;
};

}  // namespace TessaryConnect::Model
