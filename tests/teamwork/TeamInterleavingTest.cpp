// Two members working on one shared project in random, seeded orders:
// connecting, adding clauses and issues, removing issues, disconnecting and
// reconnecting, holding the reservation of classifications and properties,
// sending and receiving. After each interleaving both members send and
// receive until settled; then they must see the same connections, clauses
// and issues, the same stored records, and nothing a member added may be
// missing unless a disconnect of that specification could have taken it.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "Model/Issue/UnknownError.hpp"
#include "support/LogCapture.hpp"
#include "support/Team.hpp"

using namespace TestSupport;
namespace TW = TVSim::Teamwork;

namespace {

constexpr int specCount = 2;
constexpr int opsPerInterleaving = 12;
constexpr unsigned interleavings = 200;

struct Disconnect {
    int time = 0;
    Member member = 0;
    std::optional<int> sentAt;  // the disconnecting member's next send
};

struct Addition {
    int spec = 0;
    std::string what;  // a clause id, or an issue text as ConnectionSummary has it
    bool isClause = false;
    int time = 0;
    Member member = 0;
    int receivedUpTo = -1;  // the member's last receive before it
};

// One interleaving: the team, the random choices and what the oracle needs.
class Interleaving {
public:
    explicit Interleaving(unsigned seed) : _seed(seed), _random(seed) {}

    void Run(Team& team) {
        // Both start from spec-1 connected, so that they meet on it.
        _trace << "A connects 1 and sends; B receives\n";
        if (team.Connect(1) != nullptr) _connected[1] = true;
        team.SendAndReceive();
        _lastReceive[0] = 0;
        team.As(1);
        team.Receive();
        _lastReceive[1] = 0;
        for (_time = 1; _time <= opsPerInterleaving; ++_time) Step(team);
        _trace << "sync all\n";
        team.SyncAll();
    }

    void Check(Team& team) {
        const std::string context = "seed " + std::to_string(_seed) + ":\n" + _trace.str();
        team.As(0);
        const ProjectSummary atA = team.Summary();
        team.As(1);
        const ProjectSummary atB = team.Summary();
        ASSERT_EQ(atA, atB) << context;
        for (int n = 1; n <= specCount; ++n) {
            ASSERT_EQ(team.Stored(0, n), team.Stored(1, n)) << n << "\n" << context;
        }

        for (const Addition& addition : _additions) {
            const std::string spec = Text(SpecId(addition.spec));
            const bool present =
                atA.contains(spec) && (addition.isClause ? atA.at(spec).clauses.contains(addition.what)
                                                         : atA.at(spec).issues.contains(addition.what));
            if (Protected(addition) && !Removed(addition)) {
                EXPECT_TRUE(present) << spec << " lost " << addition.what << " (time " << addition.time << ")\n"
                                     << context;
            }
        }
        for (const auto& [spec, summary] : atA) {
            for (const std::string& clause : summary.clauses) EXPECT_TRUE(Added(spec, clause)) << context;
            for (const std::string& issue : summary.issues) EXPECT_TRUE(Added(spec, issue)) << context;
        }
        for (int n = 1; n <= specCount; ++n) {
            if (!_disconnects[n].empty()) continue;
            const std::string spec = Text(SpecId(n));
            if (_connected[n]) {
                EXPECT_TRUE(atA.contains(spec)) << spec << " vanished\n" << context;
            }
            for (const auto& [removedSpec, hint] : _removed) {
                if (removedSpec == n && atA.contains(spec)) {
                    EXPECT_FALSE(atA.at(spec).issues.contains(hint)) << hint << " came back\n" << context;
                }
            }
        }
    }

private:
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(_random); }

    void Step(Team& team) {
        const Member member = Pick(2);
        team.As(member);
        const int n = 1 + Pick(specCount);
        const int roll = Pick(100);
        _trace << "t" << _time << " " << TW::NameOf(member).ToCStr() << ": ";
        if (roll < 12) {
            _trace << "connect " << n;
            if (team.Get(n) == nullptr && team.Connect(n) != nullptr) _connected[n] = true;
        } else if (roll < 40) {
            static const char* const clauses[][2] = {
                {"c1", "A10"}, {"c2", "B20"}, {"c3", "C30"}, {"c4", "A10"}, {"cx", "X99"}};
            const auto& [clause, code] = clauses[Pick(5)];
            _trace << "clause " << clause << " on " << n;
            if (ConnectionPtr connection = team.Get(n)) {
                const bool made = AddClause(*connection, clause, code);
                Add(n, made ? clause : std::string("missing ") + code, made);
            }
        } else if (roll < 56) {
            const std::string hint = "issue t" + std::to_string(_time);
            _trace << hint << " on " << n;
            if (ConnectionPtr connection = team.Get(n)) {
                AddIssue(*connection, hint);
                Add(n, hint, false);
            }
        } else if (roll < 61) {
            _trace << "remove an issue of " << n;
            if (ConnectionPtr connection = team.Get(n)) RemoveAnIssue(*connection, n);
        } else if (roll < 69) {
            _trace << "disconnect " << n;
            if (team.Disconnect(n)) {
                _disconnects[n].push_back({_time, member, std::nullopt});
                _trace << " (done)";
            }
        } else if (roll < 80) {
            _trace << "send and receive";
            team.SendAndReceive();
            _lastReceive[member] = _time;
            for (auto& list : _disconnects)
                for (Disconnect& d : list)
                    if (d.member == member && !d.sentAt) d.sentAt = _time;
        } else if (roll < 89) {
            _trace << "receive";
            team.Receive();
            _lastReceive[member] = _time;
        } else if (roll < 94) {
            const bool hold = Pick(2) == 0;
            _trace << (hold ? "hold" : "let go of") << " the reservation";
            if (hold)
                team.Sim().ReserveClassificationsAndProperties();
            else
                team.Sim().ReleaseClassificationsAndProperties();
        } else {
            _trace << "palette closed";
            team.Current().shown.Clear();
        }
        _trace << "\n";
    }

    void Add(int n, const std::string& what, bool isClause) {
        const Member member = TW::Current();
        _additions.push_back({n, what, isClause, _time, member, _lastReceive[member]});
    }

    void RemoveAnIssue(Model::ConnectionWithSpecification& connection, int n) {
        for (const auto& issue : connection.IssueCollection().Get()) {
            auto* unknown = dynamic_cast<const Model::Issue::UnknownError*>(issue.get());
            if (unknown == nullptr) continue;
            const std::string hint = Text(unknown->GetHint());
            const std::shared_ptr<Model::Issue::Base> removed = issue;
            connection.CallUndoableCmd("Remove an issue", [&] { connection.RemoveIssue(removed); });
            _removed.emplace_back(n, hint);
            _trace << " (" << hint << ")";
            return;
        }
    }

    // Survives unless a disconnect of its specification came after it, or
    // came before without the member having received it.
    bool Protected(const Addition& addition) const {
        for (const Disconnect& d : _disconnects[addition.spec]) {
            if (d.time > addition.time) return false;
            if (d.member != addition.member && !(d.sentAt && *d.sentAt < addition.receivedUpTo)) return false;
        }
        return true;
    }

    bool Removed(const Addition& addition) const {
        return std::ranges::count(_removed, std::pair(addition.spec, addition.what)) > 0;
    }

    bool Added(const std::string& spec, const std::string& what) const {
        return std::ranges::any_of(_additions,
                                   [&](const Addition& a) { return Text(SpecId(a.spec)) == spec && a.what == what; });
    }

    unsigned _seed;
    std::mt19937 _random;
    int _time = 0;
    std::ostringstream _trace;
    std::vector<Addition> _additions;
    std::vector<std::pair<int, std::string>> _removed;
    std::vector<Disconnect> _disconnects[specCount + 1];
    bool _connected[specCount + 1] = {};
    int _lastReceive[2] = {-1, -1};
};

}  // namespace

TEST(TeamInterleavings, TwoHundredSeededInterleavingsConvergeAndLoseNothing) {
    TestSupport::LogCapture log;
    spdlog::default_logger()->set_level(spdlog::level::warn);
    for (unsigned seed = 1; seed <= interleavings; ++seed) {
        TVSim::SeedGuids(seed);
        Team team;
        TVSim::Journal::SetEnabled(false);
        Interleaving interleaving(seed);
        interleaving.Run(team);
        interleaving.Check(team);
        if (HasFatalFailure() || HasNonfatalFailure()) break;
    }
    // A clause whose code no item has is refused with this line, and that is all that may go wrong.
    std::set<std::string> serious;
    for (const auto& record : log.Records())
        if (record.level >= spdlog::level::err &&
            record.message != "failed assertion: !this->_classificationItemGuid.IsNull()")
            serious.insert(record.message);
    EXPECT_TRUE(serious.empty()) << *serious.begin();
}
