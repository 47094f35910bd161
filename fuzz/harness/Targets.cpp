#include "harness/Targets.hpp"

#include <algorithm>

namespace Fuzz {

const std::vector<Target>& Targets() {
    static const std::vector<Target> targets = {
        {"connection", &RunConnection, &ConnectionSeeds},
        {"issue_collection", &RunIssueCollection, &IssueCollectionSeeds},
        {"stored_identifiers", &RunStoredIdentifiers, &StoredIdentifiersSeeds},
        {"project_identity", &RunProjectIdentity, &ProjectIdentitySeeds},
        {"teamwork_merge", &RunTeamworkMerge, &TeamworkMergeSeeds},
        {"page_json", &RunPageJson, &PageJsonSeeds},
        {"page_text", &RunPageText, &PageTextSeeds},
    };
    return targets;
}

const Target* FindTarget(std::string_view name) {
    const auto& targets = Targets();
    const auto found = std::find_if(targets.begin(), targets.end(), [&](const Target& t) { return t.name == name; });
    return found == targets.end() ? nullptr : &*found;
}

}  // namespace Fuzz
