#pragma once
// What the web application holds of the specification: its clauses, each
// with the property values the add-on writes into every element associated
// with it. The clauses outlive each member's page (the page loads afresh on
// every machine), so the demo keeps them here and the page sends a clause as
// it stands here at that moment.
#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TVSim/Sim.hpp"

namespace Demo {

class WebApplication {
public:
    struct Clause {
        std::string id, code, title;
        std::string prefix = "TS-", suffix = "";
    };
    // The property values of a clause, by the names the add-on gives its property definitions.
    using Values = std::vector<std::pair<std::string, std::string>>;

    void Hold(const Clause& clause) { _clauses[clause.id] = clause; }
    void Retitle(const std::string& id, const std::string& title) { _clauses.at(id).title = title; }
    const Clause& Get(const std::string& id) const { return _clauses.at(id); }
    static Values ValuesOf(const Clause& clause);

    // The clause as a script's object literal, as the page sends it on.
    std::string Script(const std::string& id) const;

    struct Comparison {
        std::size_t elements = 0;        // elements classified with a clause's item
        std::size_t mismatches = 0;      // their values that differ from the clause's
        std::vector<std::string> first;  // the first few of those, as text
    };
    // Every element of the project classified with the item of a clause held
    // here (in the classification system given), value by value against the
    // clause. Reads each element once per property.
    Comparison CompareElements(const TVSim::Project& project, const API_Guid& system) const;

private:
    std::map<std::string, Clause> _clauses;
};

}  // namespace Demo
