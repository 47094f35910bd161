#include "Tessary/Api/TessaryCallbackApi.hpp"

namespace TessaryConnect::Api {

TessaryCallbackApi::~TessaryCallbackApi() = default;

}  // namespace TessaryConnect::Api
