#include "Model/Issue/CoudntUpdateProjectOrSpecTitle.hpp"

#include <ostream>

#include "Model/ConnectionWithSpecification.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model::Issue {

namespace {
PK::Object* ContructNew() { return new CoudntUpdateProjectOrSpecTitle(); }
}  // namespace

const PK::ClassInfo CoudntUpdateProjectOrSpecTitle::classInfo("Model::Issue::CoudntUpdateProjectOrSpecTitle",
                                                              PK::Guid("47e9e8c1-85dc-4a49-965e-39c920e59ba7"),
                                                              PK::ClassVersion(1, 0), &Base::classInfo, &ContructNew);

CoudntUpdateProjectOrSpecTitle::CoudntUpdateProjectOrSpecTitle() : Base(Issue::Severity::Error) {}

CoudntUpdateProjectOrSpecTitle::CoudntUpdateProjectOrSpecTitle(const PK::UniString& newSpecTitle,
                                                               const PK::UniString& newProjectTitle)
    : Base(Issue::Severity::Warning), _newSpecTitle(newSpecTitle), _newProjectTitle(newProjectTitle) {}

CoudntUpdateProjectOrSpecTitle::~CoudntUpdateProjectOrSpecTitle() = default;

CoudntUpdateProjectOrSpecTitle* CoudntUpdateProjectOrSpecTitle::Clone() const {
    return new CoudntUpdateProjectOrSpecTitle(*this);
}

PKErrCode CoudntUpdateProjectOrSpecTitle::Write(PK::OChannel& oc) const {
    PK::OutputFrame frame(oc, classInfo);
    if (PKErrCode err = oc.Write(_newSpecTitle); err != PK::NoError) return err;
    if (PKErrCode err = oc.Write(_newProjectTitle); err != PK::NoError) return err;
    if (PKErrCode err = Base::Write(oc); err != PK::NoError) return err;
    frame.Close();
    return oc.GetOutputStatus();
}

PKErrCode CoudntUpdateProjectOrSpecTitle::Read(PK::IChannel& ic) {
    PK::InputFrame frame(ic, classInfo);
    ThrowIfNewer(frame, classInfo);
    if (PKErrCode err = frame.GetStatus(); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_newSpecTitle); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_newProjectTitle); err != PK::NoError) return err;
    if (PKErrCode err = Base::Read(ic); err != PK::NoError) return err;
    frame.Close();
    return ic.GetInputStatus();
}

PK::UniString CoudntUpdateProjectOrSpecTitle::GetString(const ConnectionWithSpecification& connection) const {
    return FillPlaceholders(GetTextTemplate(connection, Util::Resource::IssueText::TitlesNotWritten));
}

PK::UniString CoudntUpdateProjectOrSpecTitle::FillPlaceholders(PK::UniString text) const {
    text.ReplaceAll("{OrvoTessarySpecificationTitleNew}", _newSpecTitle);
    text.ReplaceAll("{OrvoTessaryProjectTitleNew}", _newProjectTitle);
    return text;
}

void CoudntUpdateProjectOrSpecTitle::Fix(ConnectionWithSpecification& connection) {
    RunFix([&] {
        LOG_INFO("{}", static_cast<const Base&>(*this));
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

Outcome CoudntUpdateProjectOrSpecTitle::MergeFrom(const std::shared_ptr<Base>& older) {
    if (older == nullptr) return {};
    if (older->IsEmpty()) {
        TC_ASSERT_FAILED(err, "!older->IsEmpty()");
        return {true, false};
    }
    if (dynamic_cast<const CoudntUpdateProjectOrSpecTitle*>(older.get()) == nullptr) return {};
    return {true, false};
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
