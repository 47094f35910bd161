#pragma once
// Array of the class library that allocates in pages of PageSize items. Here
// it behaves exactly like PK::Array; the page size only documents the host's
// signature.
#include "PK/Array.hpp"

namespace PK {

template <typename T, USize PageSize>
class PagedArray : public Array<T> {
public:
    using Array<T>::Array;
};

}  // namespace PK
