// What team members share: the project identity's add-on object, and a connection's entry whose two versions the
// host has the add-on merge.
#include <optional>

#include "harness/Scene.hpp"
#include "harness/Targets.hpp"

namespace Fuzz {

namespace {

const PK::UInt16 platformSigns[] = {IO::PlatformSignLittleEndian, IO::PlatformSignBigEndian, IO::PlatformSignWindows,
                                    0};

// The id the add-on object's content holds: empty for no content or an empty id, nullopt when it cannot be read.
std::optional<PK::UniString> StoredIdIn(const TVSim::Bytes& content) {
    if (!content) return PK::UniString();
    Model::PlanData stored(std::make_shared<Implementation::Torvel>());
    IO::MemoryIChannel32 channel(content->data(), content->size());
    try {
        if (stored.Read(channel) != PK::NoError) return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
    return stored.Id();
}

PK::HashSet<PK::UniString> ClauseIdsOf(Model::ConnectionWithSpecification& connection) {
    PK::HashSet<PK::UniString> clauses;
    connection.EnumerateVirtualTypes([&](const Model::VirtualType& type) { clauses.Add(type.ClauseId()); });
    return clauses;
}

// The merged entry is one of the versions as it was, or a record the add-on reads, writes stably and that has every
// clause of both versions.
void RequireSoundMerge(const TVSim::ModulData& stored, const TVSim::ModulData& incoming, const StoredEntry& merged) {
    const auto entryOf = [](const TVSim::ModulData& data) {
        return StoredEntry{data.dataVersion, data.platformSign, data.bytes};
    };
    const ConnectionPtr readMerged = ReadConnection({merged.dataVersion, merged.platformSign, merged.bytes});
    Require(merged == entryOf(stored) || merged == entryOf(incoming) || readMerged != nullptr,
            "the merge stored a record that cannot be read");
    if (readMerged == nullptr) return;
    RequireStableRecord(*readMerged);
    const ConnectionPtr ours = ReadConnection(stored), theirs = ReadConnection(incoming);
    if (ours == nullptr || theirs == nullptr || ours->TessarySpecificationId() != theirs->TessarySpecificationId())
        return;
    const PK::HashSet<PK::UniString> mergedClauses = ClauseIdsOf(*readMerged);
    for (const ConnectionPtr& version : {ours, theirs})
        ClauseIdsOf(*version).Enumerate([&](const PK::UniString& clause) {
            Require(mergedClauses.Contains(clause), "the merge lost a clause: " + clause.ToCStr());
        });
}

}  // namespace

void RunProjectIdentity(Input input) {
    Reader reader(input);
    const std::uint8_t options = reader.Byte();
    const TVSim::Bytes content = (options & 2) != 0 ? TVSim::Bytes() : TVSim::Bytes(CharsOf(reader.Rest()));
    const std::optional<PK::UniString> storedId = StoredIdIn(content);
    const bool kept = !storedId || !storedId->IsEmpty();  // what the add-on must never write over
    Scene scene;
    if ((options & 1) != 0) {
        scene.sim.SetShared(true);
        scene.sim.ReserveClassificationsAndProperties();
    }
    const API_Guid object = scene.sim.AddAddOnObject(Model::PlanData::AddonObjectName, content);
    const auto contentNow = [&] { return scene.sim.GetAddOnObject(object)->content; };
    {
        std::unique_ptr<TestSupport::AddOn> addOn;
        AsHostEntry("the add-on's start", [&] { addOn = std::make_unique<TestSupport::AddOn>(); });
        Model::Manager& manager = *addOn->manager;
        const auto requireStoredIdTaken = [&] {
            if (storedId && !storedId->IsEmpty())
                Require(manager.PlanId() == *storedId, "the stored project identity was not taken");
        };
        requireStoredIdTaken();
        Require(contentNow() == content, "reading the project identity changed it");
        TVSim::Events::ProjectEvent(APINotify_Open);
        requireStoredIdTaken();
        Require(contentNow() == content, "opening the project changed its identity");

        // Connecting shares the identity through the add-on object; the host or the add-on may refuse.
        bool connected = false;
        try {
            manager.ConnectWithSpecification(scene.systems[0], "spec-1", "Spec One", "project-1", "Project One");
            connected = true;
        } catch (const std::exception&) {
        }
        if (kept) {
            Require(contentNow() == content, "a stored project identity was written over");
            if (connected) requireStoredIdTaken();
        } else if (connected) {
            Require(StoredIdIn(contentNow()) == manager.PlanId(), "the stored project identity is not the add-on's");
        }
    }
    scene.VerifyHost();
}

std::vector<Bytes> ProjectIdentitySeeds() {
    std::vector<Bytes> written;
    {
        // The identity as the add-on stores it when it connects a specification.
        Scene scene;
        TestSupport::AddOn addOn;
        addOn.manager->ConnectWithSpecification(scene.systems[0], "spec-1", "Spec One", "project-1", "Project One");
        written.push_back(BytesOf(*scene.sim.FindAddOnObject(Model::PlanData::AddonObjectName)->content));
    }
    // A record in the same form without an id, and one with an id of another form.
    for (const char* id : {"", "plan \"quoted\" \u00e9"})
        written.push_back(BytesOf(TestSupport::Written([&](PK::OChannel& oc) {
            PK::OutputFrame frame(oc, Model::PlanData::classInfo);
            oc.Write(PK::UniString(id));
        })));
    std::vector<Bytes> seeds;
    for (const Bytes& record : written)
        for (std::uint8_t shared : {0, 1}) seeds.push_back(Concat({{shared}, record}));
    seeds.push_back({2});  // an object without content
    return seeds;
}

void RunTeamworkMerge(Input input) {
    Reader reader(input);
    const std::uint8_t options = reader.Byte();
    const TVSim::ModulData stored{1, platformSigns[options & 3], CharsOf(reader.Piece())};
    const TVSim::ModulData incoming{1, platformSigns[(options >> 2) & 3], CharsOf(reader.Rest())};
    Scene scene;
    const PK::UniString name = TestSupport::ModulDataName("spec-1");
    scene.sim.StoreModulData(name, stored);
    {
        std::unique_ptr<TestSupport::AddOn> addOn;
        ConnectionPtr held;
        AsHostEntry("the add-on's start", [&] { addOn = std::make_unique<TestSupport::AddOn>(); });
        // The add-on may hold the connection the stored version was read into.
        if ((options & 0x10) != 0)
            AsHostEntry("reading the connection", [&] { held = addOn->manager->GetConnection("spec-1"); });

        Require(TVSim::Events::MergeModulData(name, incoming) == PK::NoError, "the merge was refused");
        RequireSoundMerge(stored, incoming, EntriesOf(scene.sim).at(name.ToCStr()));
    }
    scene.VerifyHost();
}

std::vector<Bytes> TeamworkMergeSeeds() {
    // Versions of one connection as its members wrote them, one after the other: each merged into each.
    const std::vector<std::vector<char>> versions = WrittenConnections();
    std::vector<Bytes> seeds;
    for (std::size_t a = 0; a < versions.size(); ++a)
        for (std::size_t b = 0; b < versions.size(); ++b)
            if (a != b)
                seeds.push_back(Concat({{a < b ? std::uint8_t(0) : std::uint8_t(0x10)},
                                        Piece(BytesOf(versions[a])),
                                        BytesOf(versions[b])}));
    return seeds;
}

}  // namespace Fuzz
