#pragma once
// Plain records that the host interface returns.
#include "PK/Array.hpp"
#include "PK/Types.hpp"
#include "PK/UniString.hpp"

namespace TessaryConnect::Api {

// The project's stories: one name per story from firstStory to lastStory.
struct StoryInfo {
    PK::Int16 currentStory = 0;
    PK::Int16 firstStory = 0;
    PK::Int16 lastStory = 0;
    PK::Array<PK::UniString> names;

    // The name of the story with the given index; throws AddonRuntimeError
    // when the index is not one of the stories held.
    PK::UniString GetNameOfStory(PK::Int16 index) const;
};

}  // namespace TessaryConnect::Api
