#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"

#include <ostream>

#include "Model/ConnectionWithSpecification.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model::Issue {

CoudntUpdateProjectOrSpecTitle::CoudntUpdateProjectOrSpecTitle() : Kind(Issue::Severity::Error) {}

CoudntUpdateProjectOrSpecTitle::CoudntUpdateProjectOrSpecTitle(const PK::UniString& newSpecTitle,
                                                               const PK::UniString& newProjectTitle)
    : Kind(Issue::Severity::Warning), _newSpecTitle(newSpecTitle), _newProjectTitle(newProjectTitle) {}

PK::UniString CoudntUpdateProjectOrSpecTitle::GetString(const ConnectionWithSpecification& connection) const {
    return GetTextTemplate(connection, Util::Resource::IssueText::TitlesNotWritten,
                           {{"{OrvoTessarySpecificationTitleNew}", _newSpecTitle},
                            {"{OrvoTessaryProjectTitleNew}", _newProjectTitle}});
}

void CoudntUpdateProjectOrSpecTitle::Fix(ConnectionWithSpecification& connection) {
    RunFix([&] {
        const PK::UniString specTitle =
            _newSpecTitle.IsEmpty() ? connection.TessarySpecificationTitle() : _newSpecTitle;
        const PK::UniString projectTitle =
            _newProjectTitle.IsEmpty() ? connection.TessaryProjectTitle() : _newProjectTitle;
        connection.Cmd_UpdateTitleIfChanged(specTitle, projectTitle);
        // A refusal left a newer issue with the same titles, another failure
        // an issue of its own: either way this one still says what to retry.
        if (connection.TessarySpecificationTitle() == specTitle && connection.TessaryProjectTitle() == projectTitle)
            connection.RemoveIssue(*this);
    });
}

bool CoudntUpdateProjectOrSpecTitle::MergeCopy(const Base& copy) {
    if (IsEmpty() || !copy.IsEmpty()) return false;
    _newSpecTitle.Clear();
    _newProjectTitle.Clear();
    return true;
}

void CoudntUpdateProjectOrSpecTitle::DumpInner(std::ostream& os) const {
    Base::DumpInner(os);
    os << ", \"_newSpecTitle\": " << _newSpecTitle << ", \"_newProjectTitle\": " << _newProjectTitle;
}

}  // namespace TessaryConnect::Model::Issue
