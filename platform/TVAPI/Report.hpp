#pragma once
// The host's report window.
#include "PK/UniString.hpp"

void TVAPI_WriteReport(const PK::UniString& text, bool withDialog);
