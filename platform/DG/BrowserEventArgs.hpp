#pragma once
// What a browser control's events carry.
#include "PK/UniString.hpp"

namespace DG {

class BrowserBase;

struct BrowserURLChangeArg {
    BrowserBase* source = nullptr;
    PK::UniString url;  // the address now shown
};

struct BrowserLoadingStateChangeArg {
    BrowserBase* source = nullptr;
    bool isLoading = false;  // true when a load starts, false when it has finished
};

}  // namespace DG
