#pragma once
// The base of the issues about a set of elements of one clause: which virtual
// type (by clause id), which elements, and the view that was current when the
// run failed, so the issues panel can name and reopen it.
//
// Such an issue only shrinks: a refresh drops the elements a later run
// handled and those the host no longer knows, a newer issue of the same sort
// takes the elements it lists, and another version's copy of the same issue
// leaves only the elements both still list. Once empty it is dropped.
#include "Model/Issue/Base.hpp"
#include "Torvel/Api/WindowId.hpp"

namespace TessaryConnect::Model::Issue {

class ElementsAssociationBase : public Base {
public:
    static const PK::ClassInfo classInfo;

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
    void DumpInner(std::ostream& os) const override = 0;

protected:
    // Null GUID, no elements, an invalid view: an object to be read.
    ElementsAssociationBase();
    ElementsAssociationBase(Issue::Severity severity, const PK::UniString& targetVirtualType,
                            PK::Array<PK::Guid> elements, const Api::WindowId& windowId);
    ElementsAssociationBase(const ElementsAssociationBase& other);
    ~ElementsAssociationBase() override;

    // Fills the clause's and the connection's placeholders through the
    // virtual type (left as they are when the connection lacks it), then
    // "{ElemCount}" and "{ViewName}".
    PK::UniString ResolveStringVariables(const ConnectionWithSpecification& connection, PK::UniString text) const;
    // A kind's own frame holding its failure type, with this level's record nested inside.
    PKErrCode WriteKind(PK::OChannel& oc, const PK::ClassInfo& kindInfo, PK::Int32 type) const;
    PKErrCode ReadKind(PK::IChannel& ic, const PK::ClassInfo& kindInfo, PK::Int32& type);
    // The user text of a failure type: text item 0 stands for a type without
    // a text (read from a damaged or newer record). Shared by the kinds.
    PK::UniString GetTypeText(const ConnectionWithSpecification& connection, PK::Int32 textItem,
                              PK::Int32 typeNumber) const;
    // Takes the elements this issue lists out of the older issue; drop it once it has none left.
    Outcome TakeElementsOutOf(ElementsAssociationBase& older) const;

private:
    PK::UniString _targetVirtualType;
    PK::Array<PK::Guid> _erroredElements;
    Api::WindowId _windowId;
};

}  // namespace TessaryConnect::Model::Issue
