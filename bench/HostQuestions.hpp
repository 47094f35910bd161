#pragma once
// What a rebuild of the unassociated-elements cache asks the simulated host,
// asked straight through the host API in the plainest way: the floor of the
// benchmarks whose work is mostly the host's answers to a rebuild.
#include "PK/UniString.hpp"
#include "TVAPI/APIdefs.hpp"

namespace Bench {

// Lists the elements of every kind the add-on classifies through the filter
// and asks each what the cache asks (header, usability filters, the
// clause-id value); files by type each that carries no clauseId. Answers how
// many were filed.
PK::USize HostRebuildAnswers(PK::UInt32 filter, const API_Guid& clauseIdDefinition, const PK::UniString& clauseId);

}  // namespace Bench
