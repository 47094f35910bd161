// The page holds the model's page callbacks only weakly.
#include <gtest/gtest.h>

#include <memory>

#include "Tessary/Api/Tessary.hpp"
#include "support/RecordingCallbackApi.hpp"

namespace {

using namespace TessaryConnect::Api;

class PageWithoutScripts : public Tessary {
public:
    void Init() override {}
    void SetAppState(const AppState&) override {}
    void SetDocumentState(const DocumentState&) override {}
    void SetSelectionState(const SelectionState&) override {}
    void AssociateSpec(const PK::UniString&, const PK::UniString&, const PK::UniString&) override {}
    void RemoveSpecAssociation(const PK::UniString&, const PK::UniString&) override {}
    void Associate(const AssociableType&, const PK::UniString&) override {}
    void RemoveAssociation(const PK::UniString&, const PK::UniString&) override {}
    void SendAssociationFeedback(bool, const PK::UniString&) override {}
    void RequestClauseData(const PK::UniString&, const PK::UniString&, const PK::Array<PK::UniString>&) override {}
};

TEST(TessaryCallbackLink, APageReachesTheLastCallbacksSetOnlyWhileTheirOwnerKeepsThem) {
    PageWithoutScripts page;
    EXPECT_EQ(page.GetCallbackApi(), nullptr);

    auto first = std::make_shared<TestSupport::RecordingCallbackApi>();
    auto second = std::make_shared<TestSupport::RecordingCallbackApi>();
    page.SetCallbackApi(first);
    page.SetCallbackApi(second);
    EXPECT_EQ(page.GetCallbackApi(), second);
    EXPECT_EQ(second.use_count(), 1) << "the page must not own the callbacks";
    second.reset();
    EXPECT_EQ(page.GetCallbackApi(), nullptr);

    page.SetCallbackApi(first);
    page.ClearCallbackApi();
    EXPECT_EQ(page.GetCallbackApi(), nullptr);
}

}  // namespace
