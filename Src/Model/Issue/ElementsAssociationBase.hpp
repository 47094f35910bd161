#pragma once
// The base of the issues about a set of elements of one clause: which virtual
// type (by clause id), which elements, and the view that was current when the
// run failed, so the issues panel can name and reopen it.
//
// Such an issue only shrinks: a refresh drops the elements a later run
// handled and those the host no longer knows, a newer issue of the same sort
// takes the elements it lists, and another version's copy of the same issue
// leaves only the elements both still list. Once empty it is dropped.
#include <cstddef>

#include "Model/Issue/Base.hpp"
#include "Torvel/Api/WindowId.hpp"

namespace TessaryConnect::Model::Issue {

class ElementsAssociationBase : public Base {
public:
    static const PK::ClassInfo classInfo;

    // What a failure type of a kind stands for: its name in log lines, its
    // item of the issue texts and its severity. A kind keeps one row per type
    // value, counted from 1.
    struct FailureType {
        const char* name;
        Util::Resource::IssueText textItem;
        Issue::Severity severity;
    };
    // The row of a type value, or nullptr for a value outside the rows (a
    // damaged record, or one a newer version wrote).
    template <std::size_t N, typename Type>
    static const FailureType* FailureTypeOf(const FailureType (&rows)[N], Type type) {
        const auto value = static_cast<PK::Int32>(type);
        return value >= 1 && value <= static_cast<PK::Int32>(N) ? &rows[value - 1] : nullptr;
    }
    // A type without a row is an error.
    static Issue::Severity SeverityOf(const FailureType* type) {
        return type != nullptr ? type->severity : Issue::Severity::Error;
    }

    const PK::UniString& GetTargetVirtualType() const { return _targetVirtualType; }
    const PK::Array<PK::Guid>& GetErroredElements() const { return _erroredElements; }
    const Api::WindowId& GetWindowId() const { return _windowId; }
    // One more element of the run that failed the same way; a GUID listed already is listed again.
    void AddElement(const PK::Guid& element) { _erroredElements.Push(element); }

    const PK::ClassInfo* GetClassInfo() const override { return &classInfo; }
    PKErrCode Read(PK::IChannel& ic) override = 0;
    PKErrCode Write(PK::OChannel& oc) const override = 0;
    bool IsEmpty() const override { return _erroredElements.IsEmpty(); }
    Outcome Refresh(const ConnectionWithSpecification& connection,
                    const PK::HashSet<PK::Guid>& handledElements) override;
    bool MergeCopy(const Base& copy) override;
    // One key for both sorts of element issue: a newer association issue
    // takes its elements out of an older property update issue, so the two
    // must meet in the collection.
    void GetMergeKeys(PK::Array<MergeKey>& keys) const override;
    void DumpInner(std::ostream& os) const override = 0;

protected:
    // Null GUID, no elements, an invalid view: an object to be read.
    ElementsAssociationBase();
    ElementsAssociationBase(Issue::Severity severity, const PK::UniString& targetVirtualType,
                            PK::Array<PK::Guid> elements, const Api::WindowId& windowId);
    ElementsAssociationBase(const ElementsAssociationBase& other);
    ~ElementsAssociationBase() override;

    // The placeholders the issue fills beside the connection's: the clause's
    // (through the virtual type), "{ElemCount}" and "{ViewName}"; none when
    // the connection lacks the virtual type, so they stay as they are.
    Util::Fills OwnFills(const ConnectionWithSpecification& connection) const;
    // The user text of the issue's failure type; a type without a row has no text of its own.
    PK::UniString GetTypeText(const ConnectionWithSpecification& connection, const FailureType* type,
                              PK::Int32 typeNumber) const;
    // What MergeFrom of a kind answers for an older element issue it merges
    // with: takes the elements this issue lists out of the older issue, which
    // is dropped once it has none left. Neither type nor target is compared.
    Outcome Absorb(ElementsAssociationBase& older) const;

private:
    PK::UniString _targetVirtualType;
    PK::Array<PK::Guid> _erroredElements;
    Api::WindowId _windowId;
};

}  // namespace TessaryConnect::Model::Issue
