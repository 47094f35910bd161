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

TEST(TessaryCallbackLink, APageReachesTheCallbacksOnlyWhileTheirOwnerKeepsThem) {
    PageWithoutScripts page;
    EXPECT_EQ(page.GetCallbackApi(), nullptr);

    auto callbacks = std::make_shared<TestSupport::RecordingCallbackApi>();
    page.SetCallbackApi(callbacks);
    EXPECT_EQ(page.GetCallbackApi(), callbacks);
    EXPECT_EQ(callbacks.use_count(), 1) << "the page must not own the callbacks";

    callbacks.reset();
    EXPECT_EQ(page.GetCallbackApi(), nullptr);
}

TEST(TessaryCallbackLink, TheLastLinkSetWinsAndClearingForgetsIt) {
    PageWithoutScripts page;
    auto first = std::make_shared<TestSupport::RecordingCallbackApi>();
    auto second = std::make_shared<TestSupport::RecordingCallbackApi>();
    page.SetCallbackApi(first);
    page.SetCallbackApi(second);
    EXPECT_EQ(page.GetCallbackApi(), second);
    page.ClearCallbackApi();
    EXPECT_EQ(page.GetCallbackApi(), nullptr);
}

TEST(TessaryCallbackLink, ACallbackInUseOutlivesItsOwnersRelease) {
    PageWithoutScripts page;
    auto owner = std::make_shared<TestSupport::RecordingCallbackApi>();
    page.SetCallbackApi(owner);
    std::shared_ptr<TessaryCallbackApi> inUse = page.GetCallbackApi();
    owner.reset();
    ASSERT_NE(inUse, nullptr);
    inUse->Handle_tvt_onlineStateChanged(true);
    EXPECT_EQ(static_cast<TestSupport::RecordingCallbackApi&>(*inUse).calls,
              std::vector<std::string>{"Handle_tvt_onlineStateChanged(true)"});
}

}  // namespace
