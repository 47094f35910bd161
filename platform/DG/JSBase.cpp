#include "DG/JSBase.hpp"

namespace DG {

// Out of line, so the class has one home for its type information.
JSBase::~JSBase() = default;

}  // namespace DG
