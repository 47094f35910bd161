#pragma once
// Each harness's run and seeds; Targets.cpp lists them.
#include "Harness.hpp"

namespace Fuzz {

// A whole stored connection record: the platform sign of its module-data entry (UInt16), then the bytes.
void RunConnection(Input input);
std::vector<Bytes> ConnectionSeeds();

// The issue list of a stored connection, whose other parts are sound.
void RunIssueCollection(Input input);
std::vector<Bytes> IssueCollectionSeeds();

// The view record (window and database id) that an element issue of a stored connection keeps.
void RunStoredIdentifiers(Input input);
std::vector<Bytes> StoredIdentifiersSeeds();

// The project identity's add-on object: a byte of options, then its content.
void RunProjectIdentity(Input input);
std::vector<Bytes> ProjectIdentitySeeds();

// Two stored versions of one connection merged in team work.
void RunTeamworkMerge(Input input);
std::vector<Bytes> TeamworkMergeSeeds();

// The page functions that take JSON, called through the page call frame.
void RunPageJson(Input input);
std::vector<Bytes> PageJsonSeeds();

// Texts put into the page's calls, evaluated by the page and handed back.
void RunPageText(Input input);
std::vector<Bytes> PageTextSeeds();

}  // namespace Fuzz
