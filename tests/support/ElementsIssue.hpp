#pragma once
// An element-bearing issue kind for the issue tests, that merges the way
// element issues do: a newer issue takes its elements out of an older one; a
// refresh drops the elements just handled and those the host no longer knows;
// copies of one issue keep what both still list.
#include <initializer_list>
#include <memory>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Issue/Base.hpp"
#include "PK/Array.hpp"
#include "PK/Guid.hpp"
#include "Torvel/Api/WindowId.hpp"

namespace TestSupport {

using namespace TessaryConnect;

class ElementsIssue : public Model::Issue::Base {
public:
    static const PK::ClassInfo classInfo;

    ElementsIssue() = default;
    explicit ElementsIssue(PK::Array<PK::Guid> elements)
        : Base(Model::Issue::Severity::Warning), elements(std::move(elements)) {}
    ElementsIssue(const ElementsIssue&) = default;

    ElementsIssue* Clone() const override { return new ElementsIssue(*this); }
    const PK::ClassInfo* GetClassInfo() const override { return &classInfo; }
    PKErrCode Read(PK::IChannel& ic) override;
    PKErrCode Write(PK::OChannel& oc) const override;
    PK::UniString GetString(const Model::ConnectionWithSpecification&) const override { return "elements"; }
    bool IsFixable() const override { return true; }
    bool IsEmpty() const override { return elements.IsEmpty(); }
    Model::Issue::Outcome Refresh(const Model::ConnectionWithSpecification&,
                                  const PK::HashSet<PK::Guid>& handled) override;
    Model::Issue::Outcome MergeFrom(const std::shared_ptr<Base>& older) override;
    // One key per element: issues without an element in common never merge.
    void GetMergeKeys(PK::Array<MergeKey>& keys) const override;
    bool MergeCopy(const Base& copy) override;
    void DumpInner(std::ostream& os) const override;

    PK::Array<PK::Guid> elements;
};

// Element GUIDs that read well in failure messages: E(1) is 00000001-....
// The first time a number is asked for, a wall with that GUID is added to the
// simulated project (opened when none is), so the host knows the element
// until a test deletes it.
PK::Guid E(PK::UInt32 n);
// The elements of those numbers, in that order.
PK::Array<PK::Guid> Es(std::initializer_list<PK::UInt32> numbers);

// The floor-plan view the element issues of the tests were met in.
inline const TessaryConnect::Api::WindowId groundFloor(Api::DatabaseId(APIWind_FloorPlanID, 1, PK::Guid()), 0, false);

}  // namespace TestSupport
