#pragma once
// The add-on's own resource module. Its resources are read through the class
// library's resource manager (RS/Resources.hpp); the texts live under the
// add-on's Resources folder.
#include "RS/Resources.hpp"

constexpr PKResModule TVAPI_OwnResModule = 1;

PKResModule TVAPI_GetOwnResModule();
