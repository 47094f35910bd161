#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Torvel/Api/ProcessWindow.hpp"
#include "Torvel/Api/WindowId.hpp"
#include "support/FakeTorvel.hpp"
#include "support/LogCapture.hpp"

namespace {

using TessaryConnect::AddonRuntimeError;
using TessaryConnect::Api::DatabaseId;
using TessaryConnect::Api::StoryInfo;
using TessaryConnect::Api::WindowId;

const PK::Guid kDatabase("6F1D2C3B-4A59-4687-9A0B-1C2D3E4F5061");

StoryInfo Stories() {
    StoryInfo stories;
    stories.currentStory = 1;
    stories.firstStory = -1;
    stories.lastStory = 2;
    stories.names = {"Basement", "Ground", "First", "Roof"};
    return stories;
}

// A host with one front window, its stories and its 3D settings.
class WindowHost : public TestSupport::FakeTorvel {
public:
    API_WindowInfo front;
    bool perspective = true;
    std::vector<std::string> calls;
    API_StoryCmdType storyCommand;

    API_WindowInfo Database_GetCurrentWindow() override { return front; }
    API_3DProjectionInfo Environment_Get3DProjectionSets() override {
        API_3DProjectionInfo info;
        info.isPersp = perspective;
        return info;
    }
    StoryInfo Environment_GetStorySettings() override { return Stories(); }
    API_WindowInfo Database_GetDatabaseInfo(const DatabaseId& id) override {
        API_WindowInfo info = id.GetWindowInfo();
        info.title = "Section 4";
        return info;
    }
    API_WindowInfo Automate_ChangeWindow(const DatabaseId& id) override {
        calls.push_back("change window " + std::to_string(id.GetTypeID()));
        return id.GetWindowInfo();
    }
    void Environment_ChangeStorySettings(const API_StoryCmdType& command) override {
        calls.push_back("change story");
        storyCommand = command;
    }
};

API_WindowInfo Window(API_WindowTypeID type) {
    API_WindowInfo info;
    info.typeID = type;
    info.index = 2;
    info.databaseUnId = kDatabase;
    return info;
}

TEST(WindowId, CurrentViewTakesWhatItsKindOfWindowShows) {
    EXPECT_FALSE(WindowId().IsValid());
    WindowHost host;
    host.front = Window(APIWind_3DModelID);
    host.perspective = false;
    WindowId in3D = WindowId::GetCurrent(host);
    EXPECT_TRUE(in3D.IsValid());
    EXPECT_FALSE(in3D.IsPersp());
    EXPECT_EQ(in3D.GetStoryNumber(), 0);

    host.front = Window(APIWind_FloorPlanID);
    WindowId inPlan = WindowId::GetCurrent(host);
    EXPECT_EQ(inPlan.GetStoryNumber(), 1);
    EXPECT_FALSE(inPlan.IsPersp());
    EXPECT_EQ(inPlan.GetDatabaseId().GetElemSetId(), kDatabase);

    host.front = Window(APIWind_SectionID);
    WindowId inSection = WindowId::GetCurrent(host);
    EXPECT_EQ(inSection.GetStoryNumber(), 0);
    EXPECT_FALSE(inSection.IsPersp());
}

TEST(WindowId, TitlesNameTheViewForTheUser) {
    WindowHost host;
    EXPECT_EQ(WindowId(DatabaseId(Window(APIWind_3DModelID)), 0, true).GetTitle(host), PK::UniString("3D View"));
    EXPECT_EQ(WindowId(DatabaseId(Window(APIWind_FloorPlanID)), 2, false).GetTitle(host), PK::UniString("Roof"));
    EXPECT_EQ(WindowId(DatabaseId(Window(APIWind_SectionID)), 0, false).GetTitle(host), PK::UniString("Section 4"));
}

TEST(WindowId, OpeningAFloorPlanAlsoGoesToItsStory) {
    WindowHost host;
    WindowId(DatabaseId(Window(APIWind_FloorPlanID)), -1, false).OpenWindow(host);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"change window 1", "change story"}));
    EXPECT_EQ(host.storyCommand.action, APIStory_GoTo);
    EXPECT_EQ(host.storyCommand.index, -1);
    EXPECT_TRUE(host.storyCommand.withRebuild);

    WindowHost other;
    WindowId(DatabaseId(Window(APIWind_3DModelID)), 0, true).OpenWindow(other);
    EXPECT_EQ(other.calls, (std::vector<std::string>{"change window 4"}));
}

TEST(StoryInfo, NamesAreFoundByStoryIndex) {
    const StoryInfo stories = Stories();
    EXPECT_EQ(stories.GetNameOfStory(0), PK::UniString("Ground"));
    EXPECT_EQ(stories.GetNameOfStory(-1), PK::UniString("Basement"));
    try {
        stories.GetNameOfStory(3);
        FAIL() << "no exception";
    } catch (const AddonRuntimeError& e) {
        EXPECT_TRUE(std::string(e.what()).ends_with(": error: story index out of range")) << e.what();
    }
}

TEST(StoryInfo, FewerNamesThanStoriesIsLoggedAndNeverReadPast) {
    TestSupport::LogCapture log;
    StoryInfo stories = Stories();
    stories.names = {"Basement", "Ground"};
    EXPECT_EQ(stories.GetNameOfStory(0), PK::UniString("Ground"));
    EXPECT_THROW(stories.GetNameOfStory(2), AddonRuntimeError);
    EXPECT_EQ(log.Count(spdlog::level::critical,
                        "failed assertion: (lastStory - firstStory + 1) == static_cast<int>(names.GetSize()), "
                        "lastStory(2), firstStory(-1), names.GetSize()(2)"),
              2u);
}

// Records the progress-window calls with their parameters.
class ProgressHost : public TestSupport::FakeTorvel {
public:
    std::vector<std::string> calls;
    int cancelAnswer = 0;  // 0: go on, 1: cancelled, 2: another error, 3: not a std::exception

    void Interface(API_InterfaceID code, void* p1, void* p2, void* p3, void* p4, void* p5) override {
        std::string call = std::to_string(code);
        switch (code) {
            case APIIo_OpenProgressWindowID:
            case APIIo_NextProgressPhaseID:
                call += " " + static_cast<PK::UniString*>(p1)->ToCStr() + " " +
                        std::to_string(code == APIIo_OpenProgressWindowID ? *static_cast<PK::Int16*>(p2)
                                                                          : *static_cast<PK::Int32*>(p2));
                break;
            case APIIo_IncProgressValueID:
            case APIIo_SetProgressValueID:
                call += " " + std::to_string(*static_cast<PK::Int32*>(p1));
                break;
            case APIIo_CloseProgressWindowID:
                throw TessaryConnect::Api::Error<APIERR_GENERAL>();
            default:
                break;
        }
        EXPECT_EQ(p3, nullptr);
        EXPECT_EQ(p4, nullptr);
        EXPECT_EQ(p5, nullptr);
        calls.push_back(call);
        if (code == APIIo_IsProgressCancelledID) {
            if (cancelAnswer == 1) throw TessaryConnect::Api::Error<APIERR_CANCEL>();
            if (cancelAnswer == 2) throw TessaryConnect::Api::Error<APIERR_GENERAL>();
            if (cancelAnswer == 3) throw 42;
        }
    }
};

TEST(ProcessWindow, EachStepIsOneInterfaceCallAndClosingNeverThrows) {
    TestSupport::LogCapture log;
    auto host = std::make_shared<ProgressHost>();
    {
        TessaryConnect::Api::ProcessWindow window(host, "Updating", 2);
        window.NextPhase("Elements", 10);
        window.IncrementPhaseValue(3);
        window.SetPhaseValue(7);
    }
    EXPECT_EQ(host->calls, (std::vector<std::string>{std::to_string(TVAPI_FourCC("IPWD")) + " Updating 2",
                                                     std::to_string(TVAPI_FourCC("SPRP")) + " Elements 10",
                                                     std::to_string(TVAPI_FourCC("IPRV")) + " 3",
                                                     std::to_string(TVAPI_FourCC("SPRV")) + " 7"}));
    EXPECT_TRUE(log.Has(spdlog::level::err, "exception: APIERR_GENERAL(-2130313215)"));
}

TEST(ProcessWindow, CancellationIsAnyFailureOfTheQuestionAndOnlyOthersAreLogged) {
    auto host = std::make_shared<ProgressHost>();
    TessaryConnect::Api::ProcessWindow window(host, "Updating", 1);
    TestSupport::LogCapture log;
    host->cancelAnswer = 0;
    EXPECT_FALSE(window.IsCancelled());
    host->cancelAnswer = 1;
    EXPECT_TRUE(window.IsCancelled());
    EXPECT_TRUE(log.Records().empty());
    host->cancelAnswer = 2;
    EXPECT_TRUE(window.IsCancelled());
    host->cancelAnswer = 3;
    EXPECT_TRUE(window.IsCancelled());
    EXPECT_EQ(log.Messages(),
              (std::vector<std::string>{"exception: APIERR_GENERAL(-2130313215)", "unknown exception!"}));
}

}  // namespace
