// Team work in the simulated host, without the add-on: two members on copies
// of one shared project, their sends and receives, the reservations that keep
// them apart, and the merge request when both changed one module-data entry.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "PK/Runnable.hpp"
#include "TVSim/Sim.hpp"
#include "TVSim/SimTeamwork.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/HostCalls.hpp"

namespace {

namespace TW = TVSim::Teamwork;
using TestSupport::InHostCommand;

TVSim::ModulData Data(const std::string& text) { return {1, 0x6D6D, std::vector<char>(text.begin(), text.end())}; }

std::string Text(const TVSim::ModulData* data) {
    if (data == nullptr) return "<none>";
    return data->bytes ? std::string(data->bytes->begin(), data->bytes->end()) : "<null>";
}

std::string Bytes(const API_ModulData* data) {
    if (data == nullptr) return "<none>";
    if (data->dataHdl == nullptr) return "<null>";
    return std::string(*data->dataHdl, static_cast<std::size_t>(BMGetHandleSize(data->dataHdl)));
}

// Stores the text under the name in a command of its own; a null text erases the entry.
GSErrCode Store(const char* name, const char* text) {
    if (text == nullptr) return InHostCommand([&] { return TVAPI_ModulData_Store(nullptr, name); });
    PKHandle handle = nullptr;
    BMPtrToHandle(text, &handle, static_cast<PK::Int32>(std::strlen(text)));
    const API_ModulData data{1, 0x6D6D, handle};
    const GSErrCode result = InHostCommand([&] { return TVAPI_ModulData_Store(&data, name); });
    BMKillHandle(&handle);
    return result;
}

// What each member's add-on heard, and the merges it was asked for.
struct Heard {
    std::vector<std::string> events;
    std::vector<std::string> merges;
    GSErrCode mergeAnswer = NoError;
};
Heard heard[2];

Heard& Mine() { return heard[TW::Current()]; }

GSErrCode OnProjectEvent(API_NotifyEventID id, PK::Int32) {
    Mine().events.push_back(id == APINotify_ReceiveChanges ? "received"
                            : id == APINotify_SendChanges  ? "sent"
                                                           : std::to_string(id));
    return NoError;
}

// Joins the two texts, as an add-on that keeps both sides would.
GSErrCode OnMerge(API_MDSetCmd command, const PK::UniString& name, const API_ModulData* mine,
                  const API_ModulData* incoming, API_ModulData* destination) {
    Mine().merges.push_back(std::to_string(command) + " " + name.ToCStr() + ": " + Bytes(mine) + " + " +
                            Bytes(incoming));
    if (Mine().mergeAnswer != NoError) return Mine().mergeAnswer;
    const std::string joined = Bytes(mine) + "+" + Bytes(incoming);
    destination->dataVersion = 1;
    destination->platformSign = 0x6D6D;
    BMPtrToHandle(joined.data(), &destination->dataHdl, static_cast<PK::Int32>(joined.size()));
    return NoError;
}

void RegisterAddOn() {
    TVAPI_Notify_CatchProjectEvent(APINotify_ReceiveChanges | APINotify_SendChanges, OnProjectEvent);
    TVAPI_Install_ModulDataMergeHandler(OnMerge);
}

class TeamworkHost : public ::testing::Test {
protected:
    void SetUp() override {
        TVSim::Reset();
        heard[0] = {};
        heard[1] = {};
        TVSim::Project& a = TVSim::OpenProject();
        system = a.AddClassificationSystem("Clauses");
        item = a.AddClassificationItem(system, "A10");
        wall = a.AddElement(API_WallID);
        RegisterAddOn();
        a.StoreModulData("Shared", Data("v0"));
        memberA = TW::Share("Member A");
        memberB = TW::Join("Member B");
        TW::SwitchTo(memberB);
        RegisterAddOn();
    }

    // Lets the current member's host deliver what it queued, then switches.
    void DeliverAndSwitchTo(TW::Member member) {
        PK::MainMessageLoop::RunPending();
        TW::SwitchTo(member);
    }

    TestSupport::HandleLeakCheck noLeaks;
    TW::Member memberA = 0, memberB = 0;
    API_Guid system, item, wall;
};

}  // namespace

TEST_F(TeamworkHost, AJoiningMemberSeesWhatWasSharedAndEachMachineHearsOnlyItsOwnEvents) {
    EXPECT_EQ(Text(TW::ProjectOf(memberB).GetModulData("Shared")), "v0");
    EXPECT_EQ(TW::ProjectOf(memberB).FindClassificationItem(system, "A10"), item);
    EXPECT_TRUE(TW::ProjectOf(memberB).HasElement(wall));

    ASSERT_EQ(Store("FromB", "b1"), NoError);
    EXPECT_EQ(TW::OutgoingCount(), 1u);
    TW::SendAndReceive();
    EXPECT_EQ(TW::OutgoingCount(), 0u);
    DeliverAndSwitchTo(memberA);
    EXPECT_EQ(TW::IncomingCount(), 1u);
    EXPECT_EQ(TW::ProjectOf(memberA).GetModulData("FromB"), nullptr) << "nothing arrives before a receive";
    TW::Receive();
    PK::MainMessageLoop::RunPending();

    EXPECT_EQ(Text(TW::ProjectOf(memberA).GetModulData("FromB")), "b1");
    EXPECT_EQ(heard[memberA].events, (std::vector<std::string>{"received"}));
    EXPECT_EQ(heard[memberB].events, (std::vector<std::string>{"received", "sent"}));
}

TEST_F(TeamworkHost, BothChangingOneEntryGoesTheReceiversMergeWayToEveryoneOrElseTheServers) {
    struct Row {
        const char* what;
        const char* atB;  // null: erased
        const char* atA;
        bool handler;
        GSErrCode answer;
        bool alsoOther;  // a second entry both change, merged after the first was refused
        const char* expectedAtB;
        std::size_t merges;
    };
    const Row rows[] = {
        {"the receiver merges", "b1", "a1", true, NoError, false, "b1+a1", 1},
        {"a refused merge keeps the member's own", "b2", "a2", true, APIERR_BADPARS, true, "b2", 2},
        {"nobody to ask takes the server's", "b3", "a3", false, NoError, false, "a3", 0},
        {"erased here, changed there: the server's", nullptr, "a4", true, NoError, false, "a4", 0},
        {"changed here, erased there: the server's", "b5", nullptr, true, NoError, false, "<none>", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TVAPI_Install_ModulDataMergeHandler(row.handler ? OnMerge : nullptr);
        heard[memberB] = {{}, {}, row.answer};
        ASSERT_EQ(Store("Shared", row.atB), NoError);
        if (row.alsoOther) {
            ASSERT_EQ(Store("Other", "b-other"), NoError);
        }
        DeliverAndSwitchTo(memberA);
        ASSERT_EQ(Store("Shared", row.atA), NoError);
        if (row.alsoOther) {
            ASSERT_EQ(Store("Other", "a-other"), NoError);
        }
        TW::SendAndReceive();
        DeliverAndSwitchTo(memberB);
        TW::Receive();
        EXPECT_EQ(Text(TW::ProjectOf(memberB).GetModulData("Shared")), row.expectedAtB);
        EXPECT_EQ(heard[memberB].merges.size(), row.merges);
        if (&row == &rows[0]) {
            EXPECT_EQ(heard[memberB].merges, (std::vector<std::string>{"11 Shared: b1 + a1"}));
            // The merged version reaches everyone without another merge.
            TW::SendAndReceive();
            DeliverAndSwitchTo(memberA);
            TW::Receive();
            EXPECT_EQ(Text(TW::ProjectOf(memberA).GetModulData("Shared")), "b1+a1");
            EXPECT_TRUE(heard[memberA].merges.empty()) << "A changed nothing since it sent";
            DeliverAndSwitchTo(memberB);
        }
    }
}

TEST_F(TeamworkHost, TheClassificationsAndPropertiesSetIsHeldByOneMemberAtATime) {
    TW::SwitchTo(memberA);
    TW::ProjectOf(memberA).ReserveClassificationsAndProperties();
    API_PropertyGroup group;
    group.name = "A's group";
    ASSERT_EQ(InHostCommand([&] { return TVAPI_Property_CreatePropertyGroup(group); }), NoError);

    TW::SwitchTo(memberB);
    TVSim::Project& b = TW::ProjectOf(memberB);
    b.ReserveClassificationsAndProperties();
    PK::PagedArray<PK::UniString, 8> holders;
    EXPECT_EQ(TVAPI_TeamworkControl_GetLockableStatus(b.GetLockableSetGuid(), &holders), APILockableStatus_Locked);
    ASSERT_EQ(holders.GetSize(), 1u);
    EXPECT_EQ(holders[0], "Member A");
    API_PropertyGroup mine;
    mine.name = "B's group";
    EXPECT_EQ(InHostCommand([&] { return TVAPI_Property_CreatePropertyGroup(mine); }), APIERR_NOACCESSRIGHT);

    // Letting go sends what was made under the reservation; reserving brings it.
    TW::SwitchTo(memberA);
    TW::ProjectOf(memberA).ReleaseClassificationsAndProperties();
    TW::SwitchTo(memberB);
    b.ReserveClassificationsAndProperties();
    EXPECT_EQ(TVAPI_TeamworkControl_GetLockableStatus(b.GetLockableSetGuid(), nullptr), APILockableStatus_Editable);
    EXPECT_EQ(b.FindPropertyGroup("A's group"), group.guid);
    EXPECT_EQ(InHostCommand([&] { return TVAPI_Property_CreatePropertyGroup(mine); }), NoError);
}

TEST_F(TeamworkHost, AnAddOnObjectReservedByOneMemberIsRefusedToTheOtherUntilReleasedWithItsLatestContent) {
    TW::SwitchTo(memberA);
    API_Guid object;
    ASSERT_EQ(InHostCommand([&] { return TVAPI_AddOnObject_CreateUniqueObject("PlanData", &object); }), NoError);
    TW::SendAndReceive();
    ASSERT_EQ(TVAPI_AddOnObject_ReserveObjects({object}, nullptr), NoError);
    PKHandle content = nullptr;
    BMPtrToHandle("id-of-A", &content, 7);
    ASSERT_EQ(InHostCommand([&] { return TVAPI_AddOnObject_ModifyObject(object, nullptr, &content); }), NoError);
    BMKillHandle(&content);
    DeliverAndSwitchTo(memberB);

    TW::Receive();
    PK::HashTable<API_Guid, PK::UniString> conflicts;
    EXPECT_EQ(TVAPI_AddOnObject_ReserveObjects({object}, &conflicts), APIERR_NOTMINE);
    EXPECT_EQ(conflicts.Get(object), "Member A");
    EXPECT_FALSE(TW::ProjectOf(memberB).GetAddOnObject(object)->content.has_value());

    PK::MainMessageLoop::RunPending();
    TW::SwitchTo(memberA);
    ASSERT_EQ(TVAPI_AddOnObject_ReleaseObjects({object}), NoError);
    TW::SwitchTo(memberB);
    ASSERT_EQ(TVAPI_AddOnObject_ReserveObjects({object}, nullptr), NoError);
    const TVSim::AddOnObject* reserved = TW::ProjectOf(memberB).GetAddOnObject(object);
    ASSERT_TRUE(reserved->content.has_value());
    EXPECT_EQ(std::string(reserved->content->begin(), reserved->content->end()), "id-of-A");
}

TEST_F(TeamworkHost, ElementsAreChangedOnlyByTheirHolderAndTheirClassificationsTravel) {
    // B did not make the wall: it is A's.
    EXPECT_EQ(TW::ProjectOf(memberB).GetElement(wall).reservation, TVSim::Reservation::OtherMember);
    EXPECT_EQ(TW::ProjectOf(memberB).GetElement(wall).reservedBy, "Member A");
    EXPECT_EQ(InHostCommand([&] { return TVAPI_Element_AddClassificationItem(wall, item); }), APIERR_NOTMINE);

    const API_Guid slab = TW::ProjectOf(memberB).AddElement(API_SlabID);
    ASSERT_EQ(InHostCommand([&] { return TVAPI_Element_AddClassificationItem(slab, item); }), NoError);
    TW::SendAndReceive();
    DeliverAndSwitchTo(memberA);
    TW::Receive();

    TVSim::Project& a = TW::ProjectOf(memberA);
    ASSERT_TRUE(a.HasElement(slab));
    EXPECT_EQ(a.GetItemOf(slab, system), item);
    PK::Array<API_Guid> classified;
    ASSERT_EQ(TVAPI_Element_GetElementsWithClassification(item, classified), NoError);
    EXPECT_EQ(classified, PK::Array<API_Guid>{slab});
    EXPECT_EQ(a.GetElement(slab).reservedBy, "Member B");
    EXPECT_EQ(InHostCommand([&] { return TVAPI_Element_RemoveClassificationItem(slab, item); }), APIERR_NOTMINE);

    // A deletes its wall; B's copy forgets it and answers as for a deleted element.
    a.DeleteElement(wall);
    TW::SendAndReceive();
    DeliverAndSwitchTo(memberB);
    TW::Receive();
    API_Elem_Head head;
    head.guid = wall;
    EXPECT_EQ(TVAPI_Element_GetHeader(&head), APIERR_DELETED);
}

TEST_F(TeamworkHost, TheTestsOwnMistakesAreRefused) {
    ASSERT_EQ(Store("Pending", "p"), NoError);
    TW::SendAndReceive();  // queues notifications B's add-on subscribed to
    EXPECT_THROW(TW::SwitchTo(memberA), std::logic_error);
    PK::MainMessageLoop::RunPending();
    EXPECT_THROW(TW::Join("Member A"), std::logic_error);
    EXPECT_THROW(TW::SwitchTo(7), std::logic_error);
    TVAPI_CallUndoableCommand("step", [] {
        EXPECT_THROW(TW::Receive(), std::logic_error);
        return NoError;
    });
    TW::SwitchTo(memberA);
    EXPECT_THROW(TW::ProjectOf(memberB).ReserveClassificationsAndProperties(), std::logic_error);

    TVSim::CloseProject();
    EXPECT_FALSE(TW::IsActive());
}
