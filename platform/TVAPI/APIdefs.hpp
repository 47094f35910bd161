#pragma once
// The host API's error codes, records and enumerations in one include.
#include "TVAPI/APIElemTypes.hpp"
#include "TVAPI/APIErrors.hpp"
#include "TVAPI/APIRecords.hpp"
