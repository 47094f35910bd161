#pragma once
// Names one string of the add-on's resources: a string list and the index of
// the string within it (counted from 1).
#include "PK/Types.hpp"

namespace TessaryConnect::Util::Resource {

struct String {
    PK::Int32 resID = 0;
    PK::Int32 index = 0;
};

}  // namespace TessaryConnect::Util::Resource
