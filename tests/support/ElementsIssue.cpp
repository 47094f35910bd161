#include "support/ElementsIssue.hpp"

#include <ostream>

#include "TVSim/Sim.hpp"
#include "Torvel/Api/Torvel.hpp"

namespace TestSupport {

namespace {
PK::Object* MakeElementsIssue() { return new ElementsIssue(); }
}  // namespace

const PK::ClassInfo ElementsIssue::classInfo("TestSupport::ElementsIssue",
                                             PK::Guid("0b7d1c2e-5f4a-4e39-8c61-2a9d3e4f5a6b"), PK::ClassVersion(1, 0),
                                             &Model::Issue::Base::classInfo, &MakeElementsIssue);

PKErrCode ElementsIssue::Write(PK::OChannel& oc) const {
    PK::OutputFrame frame(oc, classInfo);
    if (PKErrCode err = oc.Write(elements); err != PK::NoError) return err;
    return Base::Write(oc);
}

PKErrCode ElementsIssue::Read(PK::IChannel& ic) {
    PK::InputFrame frame(ic, classInfo);
    ThrowIfNewer(frame, classInfo);
    if (PKErrCode err = ic.Read(elements); err != PK::NoError) return err;
    return Base::Read(ic);
}

Model::Issue::Outcome ElementsIssue::Refresh(const Model::ConnectionWithSpecification& connection,
                                             const PK::HashSet<PK::Guid>& handled) {
    const auto removed = elements.DeleteIf(
        [&](const PK::Guid& g) { return handled.Contains(g) || !connection.TV().Element_Filter(g, 0); });
    return {elements.IsEmpty(), removed > 0};
}

Model::Issue::Outcome ElementsIssue::MergeFrom(const std::shared_ptr<Base>& older) {
    auto* olderElements = dynamic_cast<ElementsIssue*>(older.get());
    if (olderElements == nullptr) return {};
    const auto removed = olderElements->elements.DeleteIf([&](const PK::Guid& g) { return elements.Contains(g); });
    return {olderElements->elements.IsEmpty(), removed > 0};
}

void ElementsIssue::GetMergeKeys(PK::Array<MergeKey>& keys) const {
    for (const PK::Guid& element : elements) keys.Push(MakeMergeKey(classInfo.GetId(), std::hash<PK::Guid>{}(element)));
}

bool ElementsIssue::MergeCopy(const Base& copy) {
    const auto& theirs = dynamic_cast<const ElementsIssue&>(copy).elements;
    return elements.DeleteIf([&](const PK::Guid& g) { return !theirs.Contains(g); }) > 0;
}

void ElementsIssue::DumpInner(std::ostream& os) const {
    Base::DumpInner(os);
    os << ", elements: " << elements.GetSize();
}

PK::Guid E(PK::UInt32 n) {
    PK::Guid g;
    g.time_low = n;
    static TVSim::Project* project = nullptr;
    static PK::HashSet<PK::UInt32> made;
    if (TVSim::GetProject() == nullptr) TVSim::OpenProject();
    if (TVSim::GetProject() != project) {
        project = TVSim::GetProject();
        made.Clear();
    }
    if (made.Add(n)) project->AddElement(API_WallID, {.guid = g});
    return g;
}

PK::Array<PK::Guid> Es(std::initializer_list<PK::UInt32> numbers) {
    PK::Array<PK::Guid> guids;
    for (PK::UInt32 n : numbers) guids.Push(E(n));
    return guids;
}

}  // namespace TestSupport
