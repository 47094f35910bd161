#pragma once
// The connection could not write a changed specification or project title
// into the project (the name of its property group). It remembers the titles
// it tried, so the update can be retried; a newer one supersedes it.
#include "Model/Issue/Base.hpp"

namespace TessaryConnect::Model::Issue {

// The class name is stored with every record: its spelling stays.
class CoudntUpdateProjectOrSpecTitle : public Base {
public:
    static const PK::ClassInfo classInfo;

    // An object to be read: empty titles.
    CoudntUpdateProjectOrSpecTitle();
    CoudntUpdateProjectOrSpecTitle(const PK::UniString& newSpecTitle, const PK::UniString& newProjectTitle);
    CoudntUpdateProjectOrSpecTitle(const CoudntUpdateProjectOrSpecTitle& other) = default;
    ~CoudntUpdateProjectOrSpecTitle() override;

    const PK::UniString& GetNewSpecTitle() const { return _newSpecTitle; }
    const PK::UniString& GetNewProjectTitle() const { return _newProjectTitle; }

    CoudntUpdateProjectOrSpecTitle* Clone() const override;
    const PK::ClassInfo* GetClassInfo() const override { return &classInfo; }
    PKErrCode Read(PK::IChannel& ic) override;
    PKErrCode Write(PK::OChannel& oc) const override;
    PK::UniString GetString(const ConnectionWithSpecification& connection) const override;
    bool IsFixable() const override { return true; }
    // Writes the titles again (a title left empty stands for the connection's
    // own). The issue goes only once the connection holds the titles it was
    // to write; otherwise it stays as it was, to be tried again. The caller
    // holds the issue: the connection may drop it from its list meanwhile.
    void Fix(ConnectionWithSpecification& connection) override;
    // Empty once both titles are: after a fix, or when made with nothing to write.
    bool IsEmpty() const override { return _newSpecTitle.IsEmpty() && _newProjectTitle.IsEmpty(); }
    // Supersedes every older title issue.
    Outcome MergeFrom(const std::shared_ptr<Base>& older) override;
    // A copy emptied by a fix on the other side empties this one too.
    bool MergeCopy(const Base& copy) override;
    void DumpInner(std::ostream& os) const override;

private:
    // The issue text template with the new titles filled.
    PK::UniString FillPlaceholders(PK::UniString text) const;

    PK::UniString _newSpecTitle;
    PK::UniString _newProjectTitle;
};

}  // namespace TessaryConnect::Model::Issue
