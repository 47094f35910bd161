#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PK/EventSource.hpp"

namespace {

struct Recorder : PK::EventObserver {
    Recorder(std::string n, std::vector<std::string>& log) : name(std::move(n)), calls(log) {}
    void Hit() {
        calls.push_back(name);
        if (onHit) onHit();
    }
    std::string name;
    std::vector<std::string>& calls;
    std::function<void()> onHit;
};

void Notify(PK::EventSource& source) {
    source.EnumerateObservers([](PK::EventObserver& o) { static_cast<Recorder&>(o).Hit(); });
}

}  // namespace

TEST(EventSource, WalksNewestFirstAndSurvivesChangesDuringTheWalk) {
    PK::EventSource source;
    std::vector<std::string> calls;
    Recorder a("a", calls), b("b", calls);
    auto c = std::make_unique<Recorder>("c", calls);
    auto d = std::make_unique<Recorder>("d", calls);
    for (PK::EventObserver* o : {static_cast<PK::EventObserver*>(&a), static_cast<PK::EventObserver*>(&b),
                                 static_cast<PK::EventObserver*>(c.get()), static_cast<PK::EventObserver*>(d.get())})
        source.Attach(*o);

    Recorder late("late", calls);
    // d detaches itself, c destroys b (not yet called) and attaches a newcomer.
    d->onHit = [&] { source.Detach(*d); };
    c->onHit = [&] {
        source.Detach(b);
        source.Attach(late);
    };
    Notify(source);
    EXPECT_EQ(calls, (std::vector<std::string>{"d", "c", "a"}));

    calls.clear();
    c->onHit = nullptr;
    c.reset();  // destroyed without detaching: must not be called afterwards
    Notify(source);
    EXPECT_EQ(calls, (std::vector<std::string>{"late", "a"}));
}
