#pragma once
// An issue kind bearing elements, merging as element issues do: a newer issue takes its elements out of an older one; a
// refresh drops those just handled and those the host no longer knows; copies of one issue keep what both list.

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Issue/Kind.hpp"
#include "TVSim/Sim.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Torvel/Api/WindowId.hpp"

namespace TestSupport {

using namespace TessaryConnect;

class ElementsIssue : public Model::Issue::Kind<ElementsIssue> {
public:
    using Outcome = Model::Issue::Outcome;
    ElementsIssue() = default;
    explicit ElementsIssue(PK::Array<PK::Guid> elements)
        : Kind(Model::Issue::Severity::Warning), elements(std::move(elements)) {}

    PK::UniString GetString(const Model::ConnectionWithSpecification&) const override { return "elements"; }
    bool IsFixable() const override { return true; }
    bool IsEmpty() const override { return elements.IsEmpty(); }
    Outcome Refresh(const Model::ConnectionWithSpecification& connection,
                    const PK::HashSet<PK::Guid>& handled) override {
        const auto removed = elements.DeleteIf(
            [&](const PK::Guid& g) { return handled.Contains(g) || !connection.TV().Element_Filter(g, 0); });
        return {elements.IsEmpty(), removed > 0};
    }
    // One key per element: issues without an element in common never merge.
    void GetMergeKeys(PK::Array<MergeKey>& keys) const override {
        for (const PK::Guid& g : elements) keys.Push(MakeMergeKey(classInfo.GetId(), std::hash<PK::Guid>{}(g)));
    }
    bool MergeCopy(const Base& copy) override {
        const auto& theirs = dynamic_cast<const ElementsIssue&>(copy).elements;
        return elements.DeleteIf([&](const PK::Guid& g) { return !theirs.Contains(g); }) > 0;
    }
    void DumpInner(std::ostream& os) const override { Base::DumpInner(os), os << ", elements: " << elements.GetSize(); }

    PK::Array<PK::Guid> elements;

private:
    friend Kind;
    static constexpr Model::Issue::KindTraits traits{
        "TestSupport::ElementsIssue", "0b7d1c2e-5f4a-4e39-8c61-2a9d3e4f5a6b", {true, false}};
    static constexpr auto Fields() { return std::tuple{&ElementsIssue::elements}; }
    Outcome Absorb(ElementsIssue& older) const {
        const auto removed = older.elements.DeleteIf([&](const PK::Guid& g) { return elements.Contains(g); });
        return {older.elements.IsEmpty(), removed > 0};
    }
};

// Element GUIDs that read well in failure messages: E(1) is 00000001-.... A number's first use adds a wall with that
// GUID to the simulated project (opened when none is), so the host knows it until a test deletes it.
inline PK::Guid E(PK::UInt32 n) {
    PK::Guid g;
    g.time_low = n;
    static TVSim::Project* project = nullptr;
    static PK::HashSet<PK::UInt32> made;
    if (TVSim::GetProject() == nullptr) TVSim::OpenProject();
    if (TVSim::GetProject() != project) project = TVSim::GetProject(), made.Clear();
    if (made.Add(n)) project->AddElement(API_WallID, {.guid = g});
    return g;
}
inline PK::Array<PK::Guid> Es(std::initializer_list<PK::UInt32> numbers) {
    PK::Array<PK::Guid> guids;
    for (PK::UInt32 n : numbers) guids.Push(E(n));
    return guids;
}

// The floor-plan view the element issues of the tests were met in.
inline const TessaryConnect::Api::WindowId groundFloor(Api::DatabaseId(APIWind_FloorPlanID, 1, PK::Guid()), 0, false);

}  // namespace TestSupport
