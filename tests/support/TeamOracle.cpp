#include "support/TeamOracle.hpp"

#include <algorithm>
#include <sstream>

namespace TestSupport::TeamOracle {

Member OwnerOf(int element) { return element < 2 * elementsPerMember ? element / elementsPerMember : -1; }

std::string CodeOf(const std::string& clauseId) { return clauseId.substr(clauseId.find('-') + 1); }

const char* KindName(IssueKind kind) {
    switch (kind) {
        case IssueKind::Hint:
            return "unknown error";
        case IssueKind::Associate:
            return "association refused";
        case IssueKind::Disassociate:
            return "disassociation refused";
        case IssueKind::Update:
            return "values refused";
    }
    return "?";
}

bool Absorbs(IssueKind newer, IssueKind older) {
    if (newer == IssueKind::Hint || older == IssueKind::Hint) return false;
    return newer != IssueKind::Update || older == IssueKind::Update;
}

void Record::Resolve(const std::string& id, int now) {
    issues.erase(id);
    resolved.emplace(id, now);  // the first stamp stays
}

void Record::Take(const std::string& clause, const std::string& title, int now) {
    const auto [held, added] = clauses.emplace(clause, title);
    if (!added && held->second == title) return;
    held->second = title;
    retitled[clause] = now;
}

void Record::TakeOut(const std::set<int>& elements, const std::function<bool(IssueKind)>& ofKind, int now) {
    std::vector<std::string> emptied;
    for (auto& [id, issue] : issues) {
        if (issue.view.kind == IssueKind::Hint || !ofKind(issue.view.kind)) continue;
        for (int e : elements) issue.view.elements.erase(e);
        if (issue.view.elements.empty()) emptied.push_back(id);
    }
    for (const std::string& id : emptied) Resolve(id, now);
}

void Record::Run(const std::string& id, IssueKind kind, const std::string& clause, const std::set<int>& refused,
                 const std::set<int>& handled, int now) {
    if (!refused.empty()) {
        TakeOut(
            refused, [&](IssueKind older) { return Absorbs(kind, older); }, now);
        issues[id] = {{kind, clause, refused}, now};
    }
    TakeOut(
        handled, [](IssueKind) { return true; }, now);
}

Record Merge(Record mine, const Record& theirs, const std::set<int>& deletedGroups, int now) {
    if (!deletedGroups.contains(theirs.group) || deletedGroups.contains(mine.group)) mine.group = theirs.group;
    for (const auto& [clause, title] : theirs.clauses) {
        const int changed = theirs.retitled.at(clause);
        if (mine.clauses.emplace(clause, title).second || changed > mine.retitled.at(clause)) {
            mine.clauses[clause] = title;
            mine.retitled[clause] = changed;
        }
    }
    for (const auto& [id, time] : theirs.resolved) {
        mine.issues.erase(id);
        mine.resolved.emplace(id, time);
    }
    std::vector<std::pair<std::string, Issue>> incoming(theirs.issues.begin(), theirs.issues.end());
    std::sort(incoming.begin(), incoming.end(),
              [](const auto& a, const auto& b) { return a.second.created < b.second.created; });
    for (auto [id, issue] : incoming) {
        if (mine.resolved.contains(id)) continue;
        if (auto held = mine.issues.find(id); held != mine.issues.end()) {
            std::set<int> both;
            for (int e : held->second.view.elements)
                if (issue.view.elements.contains(e)) both.insert(e);
            held->second.view.elements = both;
            if (held->second.view.kind != IssueKind::Hint && both.empty()) mine.Resolve(id, now);
            continue;
        }
        if (issue.view.kind != IssueKind::Hint) {
            // The newer ones here cover what they list of it; it covers what it lists of the older ones.
            for (const auto& [otherId, other] : mine.issues)
                if (other.created > issue.created && Absorbs(other.view.kind, issue.view.kind))
                    for (int e : other.view.elements) issue.view.elements.erase(e);
            if (issue.view.elements.empty()) {
                mine.resolved.emplace(id, now);
                continue;
            }
            std::vector<std::string> emptied;
            for (auto& [otherId, other] : mine.issues) {
                if (other.created > issue.created || !Absorbs(issue.view.kind, other.view.kind)) continue;
                for (int e : issue.view.elements) other.view.elements.erase(e);
                if (other.view.elements.empty()) emptied.push_back(otherId);
            }
            for (const std::string& gone : emptied) mine.Resolve(gone, now);
        }
        mine.issues[id] = issue;
    }
    return mine;
}

std::set<int> Copy::Associated(int spec, const std::string& clause) const {
    std::set<int> result;
    const Record& record = records.at(spec);
    for (int e = 0; e < elementCount; ++e) {
        const ElementState& element = elements[static_cast<std::size_t>(e)];
        const auto item = element.item.find(spec);
        const auto values = element.values.find(record.group);
        if (item != element.item.end() && item->second == CodeOf(clause) && values != element.values.end() &&
            values->second.first == clause)
            result.insert(e);
    }
    return result;
}

std::string Print(const std::set<int>& elements) {
    std::string text = "{";
    for (int e : elements) {
        if (text.size() > 1) text += ',';
        text += std::to_string(e);
    }
    return text + "}";
}

std::string Print(const View& view) {
    std::ostringstream os;
    for (const auto& [spec, clauses] : view.clauses) {
        os << "  spec-" << spec << ":";
        const auto titles = view.titles.find(spec);
        for (const auto& [clause, elements] : clauses) {
            os << " " << clause << Print(elements);
            if (titles != view.titles.end() && titles->second.contains(clause))
                os << " \"" << titles->second.at(clause) << "\"";
        }
        os << "\n";
        const auto issues = view.issues.find(spec);
        if (issues == view.issues.end()) continue;
        for (const IssueView& issue : issues->second)
            os << "    " << KindName(issue.kind) << " " << issue.subject << Print(issue.elements) << "\n";
    }
    return os.str();
}

std::string Oracle::TitleOnWeb(const std::string& clause) const {
    const auto it = web.find(clause);
    return it != web.end() ? it->second : "Title";
}

const Record* Oracle::Find(const std::map<int, Record>& records, int spec) {
    const auto it = records.find(spec);
    return it != records.end() ? &it->second : nullptr;
}

bool Oracle::Same(const Record* a, const Record* b) { return a == nullptr ? b == nullptr : b != nullptr && *a == *b; }

namespace {

// The element's values in a deleted group went with the group.
void Forget(ElementState& element, int group) {
    element.values.erase(group);
    element.written.erase(group);
}

}  // namespace

bool Oracle::Broken(Member m, int spec) const {
    const Record* record = Find(local[m].records, spec);
    return record != nullptr && deletedIn[m].contains(record->group);
}

void Oracle::DeleteGroup(Member m, int group) {
    deletedGroups.insert(group);
    for (ElementState& element : server.elements) Forget(element, group);
    TakeInDeletions(m);
}

void Oracle::TakeInDeletions(Member m) {
    deletedIn[m] = deletedGroups;
    for (ElementState& element : local[m].elements)
        for (int group : deletedGroups) Forget(element, group);
}

View Oracle::ViewOf(Member m) const {
    View view;
    for (const auto& [spec, record] : local[m].records) {
        // Its property group goes with the release of the reservation, ahead of
        // the erased or new record, which goes with the send: in between the
        // member sees the connection broken, as it is.
        if (disconnecting.contains(spec) || Broken(m, spec)) continue;
        auto& clauses = view.clauses[spec];
        for (const auto& [clause, title] : record.clauses) clauses[clause] = local[m].Associated(spec, clause);
        view.titles[spec] = record.clauses;
        auto& issues = view.issues[spec];
        for (const auto& [id, issue] : record.issues) issues.insert(issue.view);
    }
    return view;
}

void Oracle::Receive(Member m) { BringUpToDate(m, TakeIn(m)); }

std::set<std::pair<int, std::string>> Oracle::TakeIn(Member m) {
    std::set<std::pair<int, std::string>> changed;
    const std::map<int, Record> before = local[m].records;
    // Property groups come in ahead of module data.
    TakeInDeletions(m);
    std::set<int> specs;
    for (const auto* records : {&server.records, &base[m], &local[m].records})
        for (const auto& [spec, record] : *records) specs.insert(spec);
    for (int spec : specs) {
        const Record* theirs = Find(server.records, spec);
        const Record* known = Find(base[m], spec);
        if (Same(theirs, known)) continue;
        const Record* mine = Find(local[m].records, spec);
        if (theirs != nullptr && mine != nullptr && !Same(mine, known))
            local[m].records[spec] = Merge(*mine, *theirs, deletedGroups, now);
        else if (theirs != nullptr)
            local[m].records[spec] = *theirs;
        else
            local[m].records.erase(spec);
        if (theirs != nullptr)
            base[m][spec] = *theirs;
        else
            base[m].erase(spec);
    }
    for (int e = 0; e < elementCount; ++e)
        if (OwnerOf(e) != m)
            local[m].elements[static_cast<std::size_t>(e)] = server.elements[static_cast<std::size_t>(e)];
    undo[m].clear();
    Settle();
    for (const auto& [spec, record] : local[m].records) {
        const Record* held = Find(before, spec);
        if (held == nullptr) continue;
        for (const auto& [clause, title] : record.clauses)
            if (held->clauses.contains(clause) && held->clauses.at(clause) != title) changed.insert({spec, clause});
    }
    return changed;
}

void Oracle::BringUpToDate(Member m, const std::set<std::pair<int, std::string>>& clauses) {
    for (auto& [spec, record] : local[m].records) {
        // As any writing of values: the elements written leave every element issue, and a locked one of the
        // member's own refuses them, in an issue a clause. Another member's elements lag without one.
        std::set<int> written;
        for (const auto& [clause, title] : record.clauses) {
            if (!clauses.contains({spec, clause})) continue;
            std::set<int> refused;
            for (int e : local[m].Associated(spec, clause)) {
                ElementState& element = local[m].elements[static_cast<std::size_t>(e)];
                if (OwnerOf(e) != m || element.values.at(record.group).second == title) continue;
                if (locked.contains(e)) {
                    refused.insert(e);
                    continue;
                }
                element.values[record.group].second = title;
                element.written[record.group] = record.retitled.at(clause);
                written.insert(e);
            }
            record.Run("receive@" + std::to_string(now) + " " + clause, IssueKind::Update, clause, refused, {}, now);
        }
        record.TakeOut(
            written, [](IssueKind) { return true; }, now);
        if (!written.empty()) mayHaveStored[m].insert(spec);
    }
}

void Oracle::Send(Member m) {
    const std::set<std::pair<int, std::string>> changed = TakeIn(m);
    std::set<int> specs;
    for (const auto* records : {&base[m], &local[m].records})
        for (const auto& [spec, record] : *records) specs.insert(spec);
    for (int spec : specs) {
        const Record* mine = Find(local[m].records, spec);
        if (Same(mine, Find(base[m], spec))) continue;
        if (mine != nullptr) {
            server.records[spec] = base[m][spec] = *mine;
        } else {
            server.records.erase(spec);
            base[m].erase(spec);
        }
    }
    for (int e = 0; e < elementCount; ++e)
        if (OwnerOf(e) == m)
            server.elements[static_cast<std::size_t>(e)] = local[m].elements[static_cast<std::size_t>(e)];
    Settle();
    // The host sends before the add-on hears of the receive: what it stores then goes with the next send.
    mayHaveStored[m].clear();
    BringUpToDate(m, changed);
}

void Oracle::Settle() {
    std::erase_if(disconnecting, [&](int spec) {
        return !server.records.contains(spec) && !local[0].records.contains(spec) && !local[1].records.contains(spec);
    });
}

bool Oracle::Quiet() const {
    for (Member m : {0, 1}) {
        if (local[m].records != server.records || base[m] != server.records) return false;
        if (local[m].elements != server.elements) return false;
    }
    return true;
}

}  // namespace TestSupport::TeamOracle
