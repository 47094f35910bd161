#pragma once
// The host API's error codes, records and enumerations in one include.
#include "TVAPI/APIElemTypes.hpp"
#include "TVAPI/APIErrors.hpp"
#include "TVAPI/APIRecords.hpp"

// The version of the host API's development kit these headers come from.
#define TVAPI_DEVKIT_VERSION "27.0.0.3001"
