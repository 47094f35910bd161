// The issue list's look-ups against the issues themselves, through a long
// run of appends, removals, issues losing elements and compactions: a look-up
// that misses an issue keeps a repeated failure from merging into it, one that
// names a wrong issue merges or drops an unrelated one.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "Model/Issue/IndexedList.hpp"
#include "support/ElementsIssue.hpp"

namespace {

using namespace TessaryConnect::Model;
using TestSupport::ElementsIssue;

}  // namespace

TEST(IssueList, FindsEveryIssueByItsElementsAndItsIdentityWhateverHappenedToTheListBefore) {
    std::mt19937 random(5);
    Issue::IndexedList list;
    std::vector<std::shared_ptr<ElementsIssue>> live;
    const auto element = [&] { return TestSupport::E(1 + static_cast<PK::UInt32>(random() % 12)); };
    for (int step = 0; step < 3000; ++step) {
        const unsigned action = static_cast<unsigned>(random() % 10);
        if (action < 5 || live.empty()) {
            PK::Array<PK::Guid> elements;
            for (unsigned n = 1 + static_cast<unsigned>(random() % 4); n > 0; --n) elements.Push(element());
            auto issue = std::make_shared<ElementsIssue>(elements);
            list.Append(issue, Issue::IndexedList::KeysOf(*issue));
            live.push_back(issue);
        } else {
            const std::size_t which = random() % live.size();
            const std::shared_ptr<ElementsIssue> issue = live[which];
            const PK::USize slot = list.FindObject(issue.get());
            ASSERT_NE(slot, Issue::IndexedList::npos) << "step " << step;
            if (action < 8 && issue->elements.GetSize() > 1) {
                issue->elements.Delete(random() % issue->elements.GetSize());
                list.Rekey(slot);
            } else {
                list.Erase(slot);
                live.erase(live.begin() + static_cast<std::ptrdiff_t>(which));
                list.CompactIfSparse();
            }
        }
        if (step % 7 == 0) list.View();  // closes every hole
        ASSERT_EQ(list.GetSize(), live.size());
        for (PK::UInt32 n = 1; n <= 12; ++n) {
            const PK::Guid e = TestSupport::E(n);
            std::set<const Issue::Base*> holding, found;
            for (const auto& issue : live)
                if (issue->elements.Contains(e)) holding.insert(issue.get());
            for (PK::USize slot : list.SlotsSharing(Issue::IndexedList::KeysOf(ElementsIssue({e}))))
                found.insert(list.At(slot).get());
            ASSERT_EQ(found, holding) << "step " << step << ", element " << n;
        }
        const auto& any = live[random() % live.size()];
        ASSERT_EQ(list.At(list.FindGuid(any->Guid())).get(), any.get()) << "step " << step;
    }
}
