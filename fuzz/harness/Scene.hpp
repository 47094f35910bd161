#pragma once
// What the harnesses share: a reader that takes an input apart, the checks,
// and the simulated project each input starts from, with the add-on's way of
// reading a stored connection through it.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "DG/JSBase.hpp"
#include "Harness.hpp"
#include "support/AddOn.hpp"

namespace Fuzz {

using namespace TessaryConnect;
using TestSupport::ConnectionPtr;

// Throws Broken with the text when the condition does not hold.
void Require(bool condition, const std::string& what);
// The add-on's log lines are formatted as its logger would, so printing what was read is tried too, and go nowhere.
void QuietLogs();
// Runs the body as the host would run an add-on entry: any exception that leaves it is a broken rule.
void AsHostEntry(const char* entry, const std::function<void()>& body);

// Takes the input apart from the front; past its end a number reads as zero and a piece as empty.
class Reader {
public:
    explicit Reader(Input input) : _rest(input) {}
    std::uint8_t Byte();
    std::uint16_t UInt16();  // little-endian
    // A piece with its little-endian UInt16 length in front (Piece() writes one).
    Input Piece();
    Input Rest() { return std::exchange(_rest, {}); }

private:
    Input _rest;
};

Bytes Piece(const Bytes& bytes);
Bytes Concat(std::initializer_list<Bytes> parts);
Bytes BytesOf(const std::vector<char>& chars);
std::vector<char> CharsOf(Input bytes);
// The input as UTF-8 text (malformed sequences become U+FFFD), as UTF-16 little-endian code units (an odd last byte
// is dropped), and a text as UTF-16 little-endian bytes.
PK::UniString Utf8Text(Input bytes);
PK::UniString Utf16Text(Input bytes);
Bytes Utf16Bytes(const PK::UniString& text);

// The page call's argument: an array of these strings.
DG::JSRef StringsArgument(const std::vector<PK::UniString>& strings);

// The project every input starts from: the simulated host reset and its GUIDs seeded, so an input always does the
// same, an open project with the standard classification systems, and the add-on's log lines formatted but
// written nowhere.
class Scene {
public:
    Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Throws Broken when, since the scene began, an exception escaped into the host or its browser control, or a
    // host memory block leaked or was freed twice. Call it once the add-on is gone.
    void VerifyHost() const;

    TVSim::Project& sim;
    std::vector<API_Guid> systems;

private:
    PK::USize _liveHandles;
    PK::USize _invalidFrees;
};

// Every module-data entry of the project, to compare before and after.
struct StoredEntry {
    PK::Int32 dataVersion;
    PK::UInt16 platformSign;
    TVSim::Bytes bytes;
    friend bool operator==(const StoredEntry&, const StoredEntry&) = default;
};
using StoredEntries = std::map<std::string, StoredEntry>;
StoredEntries EntriesOf(const TVSim::Project& sim);

// A connection newly read from these stored bytes as the add-on reads a module-data entry, or nullptr when it
// cannot be read (any failure).
ConnectionPtr ReadConnection(const TVSim::ModulData& entry);
// Throws Broken unless the connection's record, read back, writes the very same bytes again.
void RequireStableRecord(const Model::ConnectionWithSpecification& connection);

// Stores the record as spec-1's connection beside a sound one of spec-2, starts the add-on over the project and
// uses what it read as a session would: lists the connections and their issues with texts and tells the page the
// states. Reading must leave every stored byte as it was and hide no other connection. Then `use` acts on spec-1's
// connection (nullptr when it could not be read) and the page opens spec-1 with new titles: a record the add-on
// could not read stays as it was, one it read is stored again readable and stable.
void UseStoredConnection(const TVSim::ModulData& record,
                         const std::function<void(TestSupport::AddOn&, const ConnectionPtr&)>& use = {});

// Connects spec-1 through the first system, then associates, as the page asks, clause-1 (A10) with two walls and a
// locked wall, which files an issue, and clause-2 (B21) with a slab; answers those elements.
PK::Array<API_Guid> ConnectAndAssociate(Scene& scene, TestSupport::AddOn& addOn);

// Records of connections the add-on wrote, for seeds: just connected; with two clauses associated with elements;
// with an issue of every kind; disconnected.
std::vector<std::vector<char>> WrittenConnections();

}  // namespace Fuzz
