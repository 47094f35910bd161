#pragma once
// The three state records the page asks for at once (getAllState).
#include "Tessary/Api/AppState.hpp"
#include "Tessary/Api/DocumentState.hpp"
#include "Tessary/Api/SelectionState.hpp"

namespace TessaryConnect::Api {

struct AllState {
    AppState appState;
    DocumentState documentState;
    SelectionState selectionState;
};

}  // namespace TessaryConnect::Api
