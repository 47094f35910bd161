#pragma once
// The add-on's resources. String lists live as text files under the add-on's
// Resources folder, one file per list: "StringList-<id>.txt", each line
// "<index><TAB><text>" (index from 1; "\n", "\t" and "\\" escapes in the
// text; lines starting with '#' are comments). Lists are read on first use.
#include "PK/UniString.hpp"

using PKResModule = int;
constexpr PKResModule TVAPI_OwnResModule = 1;

PKResModule TVAPI_GetOwnResModule();

// Reads string index of list resID into str; false when the list or the index
// does not exist (str is then left unchanged).
bool RSGetIndString(PK::UniString* str, int resID, int index, PKResModule module, int stringType = 0);
