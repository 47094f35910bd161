// The stored record readers, each read through the simulated host as the add-on reads a project: the whole
// connection record, its issue list, and the view records its element issues keep.
#include "Model/Issue/BaseWithText.hpp"
#include "Model/Issue/ElementsAssociation.hpp"
#include "harness/Scene.hpp"
#include "harness/Targets.hpp"

namespace Fuzz {

namespace {

using namespace Model::Issue;

const Bytes littleEndianSign = {0x6D, 0x6D};

// spec-1's connection, sound but for its issue list, as given; it has the clause the issues name.
std::vector<char> ConnectionWithIssueList(const std::vector<char>& list) {
    TestSupport::StoredConnection record;
    record.virtualTypes.push_back({"A10", {}, "clause-1", TestSupport::Clause("clause-1", "A10"), {"Title"}});
    record.issueList = list;
    return record.Bytes();
}

// An element issue of the clause, as this version writes it, keeping the view record given.
std::vector<char> ElementIssueWithView(const std::vector<char>& view) {
    return TestSupport::IssueRecord(ElementsAssociation::classInfo.GetId(), {1, 0}, [&](PK::OChannel& oc) {
        oc.Write(static_cast<PK::Int32>(ElementsAssociation::Type::AssocLockedElement));
        PK::OutputFrame parent(oc, ElementsAssociationBase::classInfo);
        oc.Write(PK::UniString("clause-1"));
        oc.Write(PK::Array<PK::Guid>{PK::Guid("0b7c2a63-1d84-4e5f-9a60-3f1e2d4c5b6a")});
        oc.WriteBin(view.data(), view.size());
        PK::OutputFrame base(oc, Base::classInfo);
        oc.Write(PK::Guid("5e1f0c7d-2b3a-4c59-8d6e-7f8091a2b3c4"));
        oc.Write(PK::Int32(1700000000));
        oc.Write(static_cast<PK::Int32>(Severity::Warning));
    });
}

// The issue list record inside a connection record the add-on wrote.
std::vector<char> IssueListOf(const std::vector<char>& connectionRecord) {
    const ConnectionPtr connection = ReadConnection({1, IO::PlatformSignLittleEndian, connectionRecord});
    if (connection == nullptr) throw std::logic_error("a seed connection cannot be read");
    return TestSupport::Written([&](PK::OChannel& oc) { connection->IssueCollection().Write(oc); });
}

}  // namespace

void RunConnection(Input input) {
    Reader reader(input);
    const PK::UInt16 sign = reader.UInt16();
    UseStoredConnection({1, sign, CharsOf(reader.Rest())});
}

std::vector<Bytes> ConnectionSeeds() {
    std::vector<Bytes> seeds;
    const std::vector<std::vector<char>> records = WrittenConnections();
    for (const auto& record : records) seeds.push_back(Concat({littleEndianSign, BytesOf(record)}));
    // Another member's machine may write the other byte order, or say so differently.
    const ConnectionPtr associated = ReadConnection({1, IO::PlatformSignLittleEndian, records.at(1)});
    seeds.push_back(Concat({{0x4D, 0x4D}, BytesOf(TestSupport::RecordOf(*associated, IO::PlatformSignBigEndian))}));
    seeds.push_back(Concat({{0x57, 0x57}, BytesOf(records.at(1))}));
    return seeds;
}

void RunIssueCollection(Input input) {
    UseStoredConnection(
        {1, IO::PlatformSignLittleEndian, ConnectionWithIssueList(CharsOf(input))},
        [](TestSupport::AddOn&, const ConnectionPtr& connection) {
            if (connection == nullptr) return;
            PK::Array<BaseWithText> issues = connection->GetIssuesWithText();
            if (issues.IsEmpty()) return;
            // The user removes the first issue: the others stay, stored and readable.
            issues[0].Remove();
            const ConnectionPtr stored =
                ReadConnection(*TVSim::GetProject()->GetModulData(TestSupport::ModulDataName("spec-1")));
            Require(stored != nullptr, "removing an issue stored an unreadable record");
            Require(stored->IssueCollection().Get().GetSize() == issues.GetSize() - 1, "removing an issue lost others");
        });
}

std::vector<Bytes> IssueCollectionSeeds() {
    std::vector<Bytes> seeds;
    const std::vector<std::vector<char>> records = WrittenConnections();
    for (const auto& record : records) seeds.push_back(BytesOf(IssueListOf(record)));
    seeds.push_back(BytesOf(TestSupport::IssueListRecord({ElementIssueWithView({})})));
    return seeds;
}

void RunStoredIdentifiers(Input input) {
    const std::vector<char> list = TestSupport::IssueListRecord({ElementIssueWithView(CharsOf(input))});
    UseStoredConnection({1, IO::PlatformSignLittleEndian, ConnectionWithIssueList(list)},
                        [](TestSupport::AddOn& addOn, const ConnectionPtr& connection) {
                            if (connection == nullptr) return;
                            for (BaseWithText& issue : connection->GetIssuesWithText()) {
                                const auto* elements = dynamic_cast<const ElementsAssociationBase*>(&issue.GetIssue());
                                if (elements == nullptr) continue;
                                // As the issues panel takes the user to the view: the host may refuse it.
                                try {
                                    (void)elements->GetWindowId().GetTitle(addOn.manager->TV());
                                    elements->GetWindowId().OpenWindow(addOn.manager->TV());
                                } catch (const std::exception&) {
                                }
                                issue.Fix();
                            }
                        });
}

std::vector<Bytes> StoredIdentifiersSeeds() {
    const PK::Guid elementSet("9d3c1b2a-4e5f-4a6b-8c7d-0e1f2a3b4c5d");
    const Api::WindowId views[] = {
        {},
        {Api::DatabaseId(APIWind_FloorPlanID, 1, {}), 0, false},
        {Api::DatabaseId(APIWind_FloorPlanID, 1, {}), -1, false},
        {Api::DatabaseId(APIWind_3DModelID, 1, {}), 0, true},
        {Api::DatabaseId(APIWind_SectionID, 1, elementSet), 0, false},
        {Api::DatabaseId(APIWind_WorksheetID, 2, {}), 0, false},
        {Api::DatabaseId(APIWind_DetailID, 7, elementSet), 3, true},
    };
    std::vector<Bytes> seeds;
    for (const Api::WindowId& view : views)
        seeds.push_back(BytesOf(TestSupport::Written([&](PK::OChannel& oc) { view.Write(oc); })));
    return seeds;
}

}  // namespace Fuzz
