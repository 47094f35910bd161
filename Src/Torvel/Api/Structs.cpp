#include "Torvel/Api/Structs.hpp"

#include "Util/AddonRuntimeError.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Api {

PK::UniString StoryInfo::GetNameOfStory(PK::Int16 index) const {
    TC_ASSERT_MSG(critical, (lastStory - firstStory + 1) == static_cast<int>(names.GetSize()),
                  "lastStory({}), firstStory({}), names.GetSize()({})", lastStory, firstStory, names.GetSize());
    if (index < firstStory || index > lastStory) TC_THROW_RUNTIME("story index out of range");
    // The range check alone trusts the story numbers; with fewer names than
    // stories the position would lie past the names.
    const auto position = static_cast<PK::USize>(index - firstStory);
    if (position >= names.GetSize()) TC_THROW_RUNTIME("story index out of range");
    return names[position];
}

}  // namespace TessaryConnect::Api
