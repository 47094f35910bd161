#include "support/IssueTestKinds.hpp"

#include <ostream>

#include "IO/MemoryChannel.hpp"
#include "Model/ClassificationSystem.hpp"
#include "Model/Issue/Collection.hpp"
#include "Model/PlanData.hpp"
#include "Model/PropertyGroup.hpp"
#include "Model/TessaryPtr.hpp"
#include "Torvel/Implementation/Torvel.hpp"

namespace IssueTest {

namespace {
PK::Object* MakeElementsIssue() { return new ElementsIssue(); }
}  // namespace

const PK::ClassInfo ElementsIssue::classInfo("IssueTest::ElementsIssue",
                                             PK::Guid("0b7d1c2e-5f4a-4e39-8c61-2a9d3e4f5a6b"), PK::ClassVersion(1, 0),
                                             &Model::Issue::Base::classInfo, &MakeElementsIssue);

namespace {
std::shared_ptr<Api::Torvel> MakeTorvel() { return std::make_shared<Implementation::Torvel>(); }
}  // namespace

FakeConnection::FakeConnection(const PK::Array<std::shared_ptr<Model::Issue::Base>>& issues)
    : ConnectionWithSpecification(MakeTorvel(), std::make_shared<Model::TessaryPtr>(),
                                  std::make_shared<Model::PlanData>(MakeTorvel())) {
    // The stored record of a connection whose specification is "Spec A".
    IO::MemoryOChannel32 oc;
    {
        PK::OutputFrame frame(oc, classInfo);
        oc.Write(false);
        {
            PK::OutputFrame system(oc, Model::ClassificationSystem::classInfo);
            oc.Write(PK::Guid());
        }
        {
            PK::OutputFrame group(oc, Model::PropertyGroup::classInfo);
            oc.Write(PK::Guid());
            oc.Write(PK::HashTable<PK::UniString, PK::Guid>());
        }
        for (const char* text : {"spec-a", "Spec A", "project-a", "Project A"}) oc.Write(PK::UniString(text));
        oc.Write(PK::UInt32(0));
        Model::Issue::Collection collection(*this);
        for (const auto& issue : issues) collection.AddIssue(std::shared_ptr<Model::Issue::Base>(issue->Clone()));
        collection.Write(oc);
    }
    IO::MemoryIChannel32 ic(oc.GetDestination(), oc.GetDataSize());
    if (Read(ic) != PK::NoError) throw std::runtime_error("FakeConnection: unreadable record");
}

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

Model::Issue::Outcome ElementsIssue::Refresh(const Model::ConnectionWithSpecification&,
                                             const PK::HashSet<PK::Guid>& handled) {
    const auto removed = elements.DeleteIf([&](const PK::Guid& g) { return handled.Contains(g); });
    return {elements.IsEmpty(), removed > 0};
}

Model::Issue::Outcome ElementsIssue::MergeFrom(const std::shared_ptr<Base>& older) {
    auto* olderElements = dynamic_cast<ElementsIssue*>(older.get());
    if (olderElements == nullptr) return {};
    const auto removed = olderElements->elements.DeleteIf([&](const PK::Guid& g) { return elements.Contains(g); });
    return {olderElements->elements.IsEmpty(), removed > 0};
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
    return g;
}

}  // namespace IssueTest
