// The view the user is in, its title and reopening it, a story's name, and the
// progress window, through the host interface over the simulated host.
#include <fmt/format.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TVSim/Sim.hpp"
#include "Torvel/Api/ProcessWindow.hpp"
#include "Torvel/Api/WindowId.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/LogCapture.hpp"

namespace {

using TessaryConnect::AddonRuntimeError;
using TessaryConnect::Api::DatabaseId;
using TessaryConnect::Api::StoryInfo;
using TessaryConnect::Api::WindowId;
using TestSupport::LogCapture;

// A project with stories -1..2 whose current story is 1, and a section window.
struct House {
    House() {
        project.SetStories(-1, {"Basement", "Ground", "First", "Roof"});
        project.SetCurrentStory(1);
    }
    DatabaseId Window(API_WindowTypeID type) const {
        return DatabaseId(type, type == APIWind_SectionID ? 4 : 1, project.FindWindow(type));
    }
    TVSim::Project& project = TVSim::OpenProject();
    API_Guid section = project.AddWindow(APIWind_SectionID, 4, "Section 4");
    TessaryConnect::Implementation::Torvel torvel;
};

// The current view as "<story> <perspective> <title>".
std::string Current(House& h) {
    const WindowId id = WindowId::GetCurrent(h.torvel);
    EXPECT_TRUE(id.IsValid());
    return fmt::format("{} {} {}", id.GetStoryNumber(), id.IsPersp(), id.GetTitle(h.torvel).ToCStr());
}

TEST(WindowId, TheCurrentViewTakesWhatItsKindOfWindowShowsAndReopensWithItsStory) {
    EXPECT_FALSE(WindowId().IsValid());
    House h;
    EXPECT_EQ(Current(h), "1 false First");
    EXPECT_EQ(WindowId::GetCurrent(h.torvel).GetDatabaseId().GetElemSetId(), h.project.FindWindow(APIWind_FloorPlanID));
    for (const bool perspective : {false, true}) {
        API_3DProjectionInfo projection;
        projection.isPersp = perspective;
        h.torvel.Environment_Change3DProjectionSets(projection, true);
        h.project.SetCurrentWindow(h.project.FindWindow(APIWind_3DModelID));
        EXPECT_EQ(Current(h), fmt::format("0 {} 3D View", perspective));
    }
    h.project.SetCurrentWindow(h.section);
    EXPECT_EQ(Current(h), "0 false Section 4");

    // Opening a floor plan also goes to its story; other windows leave the story alone.
    const auto open = [&h](API_WindowTypeID type, PK::Int16 story) {
        WindowId(h.Window(type), story, type == APIWind_3DModelID).OpenWindow(h.torvel);
        return std::pair{h.project.GetCurrentWindow().typeID, h.project.GetCurrentStory()};
    };
    EXPECT_EQ(open(APIWind_3DModelID, 2), std::pair(APIWind_3DModelID, PK::Int16(1)));
    EXPECT_EQ(open(APIWind_FloorPlanID, -1), std::pair(APIWind_FloorPlanID, PK::Int16(-1)));
}

TEST(StoryInfo, NamesAreFoundByStoryIndexAndFewerNamesThanStoriesAreNeverReadPast) {
    House h;
    StoryInfo stories = h.torvel.Environment_GetStorySettings();
    EXPECT_EQ(stories.GetNameOfStory(0), PK::UniString("Ground"));
    EXPECT_EQ(stories.GetNameOfStory(-1), PK::UniString("Basement"));
    EXPECT_THAT([&] { stories.GetNameOfStory(3); },
                testing::ThrowsMessage<AddonRuntimeError>(testing::EndsWith(": error: story index out of range")));
    stories.names = {"Basement", "Ground"};
    EXPECT_EQ(stories.GetNameOfStory(0), PK::UniString("Ground"));
    EXPECT_THROW(stories.GetNameOfStory(2), AddonRuntimeError);
}

TEST(ProcessWindow, EachStepReachesTheHostClosingNeverThrowsAndAnyFailureOfTheCancelQuestionIsACancel) {
    TVSim::OpenProject();
    auto torvel = std::make_shared<TessaryConnect::Implementation::Torvel>();
    LogCapture log;
    // The host interface traces every failure it throws; what matters here is what the window logs.
    auto logged = [&log] {
        std::vector<std::string> lines;
        for (const auto& record : log.Records())
            if (record.level != spdlog::level::trace) lines.push_back(record.message);
        return lines;
    };
    {
        TessaryConnect::Api::ProcessWindow window(torvel, "Updating", 2);
        window.NextPhase("Elements", 10);
        window.SetPhaseValue(3);
        window.IncrementPhaseValue(4);
        EXPECT_FALSE(window.IsCancelled());
        TVSim::Progress::SetCancelled(true);
        EXPECT_TRUE(window.IsCancelled());
        TVSim::Progress::SetCancelled(false);
        EXPECT_TRUE(logged().empty());
        TVSim::Faults::FailCall("TVAPI_Interface", APIERR_GENERAL);
        EXPECT_TRUE(window.IsCancelled());
        TVSim::Faults::BeforeCall("TVAPI_Interface", [] { throw 42; });
        EXPECT_TRUE(window.IsCancelled());
        TVSim::Faults::FailCall("TVAPI_Interface", APIERR_GENERAL);  // closing
    }
    TVSim::Faults::Clear();
    const auto& opened = TVSim::Progress::GetWindows().back();
    ASSERT_EQ(opened.phases.size(), 1u);
    EXPECT_EQ(fmt::format("{}/{} {} {}/{}", opened.title.ToCStr(), opened.phaseCount, opened.phases[0].name.ToCStr(),
                          opened.phases[0].value, opened.phases[0].maxValue),
              "Updating/2 Elements 7/10");
    EXPECT_EQ(logged(), (std::vector<std::string>{"exception: APIERR_GENERAL(-2130313215)", "unknown exception!",
                                                  "exception: APIERR_GENERAL(-2130313215)"}));
}

}  // namespace
