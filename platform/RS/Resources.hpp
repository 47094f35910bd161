#pragma once
// The resource manager of the class library: what a resource module holds,
// for the host API and the dialog library alike. A module's resources are
// small text files "<type>-<id>.txt" of "<key><TAB><text>" lines (see
// PK/KeyValueFile.hpp): string lists ("StringList"), dialogs ("Dialog") and
// alerts ("Alert"). The host decides where a module's files lie.
#include <functional>
#include <string>

#include "PK/UniString.hpp"

using PKResModule = int;

// Reads string index of list resID into str; false when the list or the index
// does not exist (str is then left unchanged). String lists are
// "StringList-<id>.txt", each line "<index><TAB><text>" (index from 1).
bool RSGetIndString(PK::UniString* str, int resID, int index, PKResModule module, int stringType = 0);

// Calls entry(key, text) for each line of the resource, in file order; false
// when the module has no such resource.
bool RSReadResource(PKResModule module, const char* type, int resID,
                    const std::function<void(const std::string& key, const std::string& text)>& entry);
