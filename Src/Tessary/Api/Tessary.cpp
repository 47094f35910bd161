#include "Tessary/Api/Tessary.hpp"

#include <utility>

#include "Tessary/Api/TessaryCallbackApi.hpp"  // completes the weak pointer's type

namespace TessaryConnect::Api {

Tessary::~Tessary() = default;

void Tessary::SetCallbackApi(std::weak_ptr<TessaryCallbackApi> callbackApi) { _callbackApi = std::move(callbackApi); }

void Tessary::ClearCallbackApi() { _callbackApi.reset(); }

std::shared_ptr<TessaryCallbackApi> Tessary::GetCallbackApi() const { return _callbackApi.lock(); }

}  // namespace TessaryConnect::Api
