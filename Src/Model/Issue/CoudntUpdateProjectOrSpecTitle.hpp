#pragma once
// The connection could not write a changed specification or project title
// into the project (the name of its property group). It remembers the titles
// it tried, so the update can be retried; a newer one supersedes it.
#include <tuple>

#include "Model/Issue/Kind.hpp"

namespace TessaryConnect::Model::Issue {

// The class name is stored with every record: its spelling stays.
class CoudntUpdateProjectOrSpecTitle : public Kind<CoudntUpdateProjectOrSpecTitle> {
public:
    // An object to be read: empty titles.
    CoudntUpdateProjectOrSpecTitle();
    // An object to be read: null GUID, creation time 0.
    explicit CoudntUpdateProjectOrSpecTitle(ToBeRead) {}
    CoudntUpdateProjectOrSpecTitle(const PK::UniString& newSpecTitle, const PK::UniString& newProjectTitle);

    const PK::UniString& GetNewSpecTitle() const { return _newSpecTitle; }
    const PK::UniString& GetNewProjectTitle() const { return _newProjectTitle; }

    PK::UniString GetString(const ConnectionWithSpecification& connection) const override;
    bool IsFixable() const override { return true; }
    // Writes the titles again (a title left empty stands for the connection's
    // own). The issue goes only once the connection holds the titles it was
    // to write; otherwise it stays as it was, to be tried again. The caller
    // holds the issue: the connection may drop it from its list meanwhile.
    void Fix(ConnectionWithSpecification& connection) override;
    // Empty once both titles are: after a fix, or when made with nothing to write.
    bool IsEmpty() const override { return _newSpecTitle.IsEmpty() && _newProjectTitle.IsEmpty(); }
    // A copy emptied by a fix on the other side empties this one too.
    bool MergeCopy(const Base& copy) override;
    void DumpInner(std::ostream& os) const override;

private:
    friend Kind;
    // An empty older title issue is dropped too.
    static constexpr KindTraits traits{
        "Model::Issue::CoudntUpdateProjectOrSpecTitle", "47e9e8c1-85dc-4a49-965e-39c920e59ba7", {true, false}};
    static constexpr auto Fields() {
        return std::tuple{&CoudntUpdateProjectOrSpecTitle::_newSpecTitle,
                          &CoudntUpdateProjectOrSpecTitle::_newProjectTitle};
    }
    // Supersedes every older title issue.
    Outcome Absorb(const CoudntUpdateProjectOrSpecTitle&) const { return {true, false}; }

    PK::UniString _newSpecTitle;
    PK::UniString _newProjectTitle;
};

}  // namespace TessaryConnect::Model::Issue
