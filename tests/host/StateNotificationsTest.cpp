// The notifications of the project's contents (3D visibility, classification
// items, property definitions), and a close that reaches the add-on while the
// closing project is still there.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "PK/Runnable.hpp"
#include "TVSim/Sim.hpp"

namespace {

std::vector<std::string> heard;

// Each event with what the open project then holds: its element count.
GSErrCode OnProject(API_NotifyEventID event, PK::Int32) {
    const char* name = event == APINotify_ShowIn3DChanged             ? "3D"
                       : event == APINotify_ClassificationItemChanged ? "item"
                       : event == APINotify_PropertyDefinitionChanged ? "definition"
                       : event == APINotify_Close                     ? "close"
                       : event == APINotify_New                       ? "new"
                                                                      : "other";
    const TVSim::Project* open = TVSim::GetProject();
    heard.push_back(std::string(name) + "/" + std::to_string(open != nullptr ? open->GetElementCount() : 0));
    return NoError;
}

GSErrCode OnNewElement(const API_NotifyElementType* record) {
    API_Elem_Head head;
    head.guid = record->elemHead.guid;
    heard.push_back(TVAPI_Element_GetHeader(&head) == NoError ? "element in its project" : "element elsewhere");
    return NoError;
}

std::vector<std::string> Delivered() {
    heard.clear();
    PK::MainMessageLoop::RunPending();
    return std::exchange(heard, {});
}

}  // namespace

TEST(StateNotifications, ContentChangesQueueTheirNotificationWithinTheMask) {
    TVSim::Project& p = TVSim::OpenProject();
    const API_Guid wall = p.AddElement(API_WallID);
    const API_Guid system = p.AddClassificationSystem("Clauses");
    const API_Guid item = p.AddClassificationItem(system, "A10");
    const API_Guid group = p.AddPropertyGroup("Group");
    const API_Guid definition = p.AddPropertyDefinition(group, "Clause");
    TVAPI_Notify_CatchProjectEvent(
        APINotify_ShowIn3DChanged | APINotify_ClassificationItemChanged | APINotify_PropertyDefinitionChanged,
        OnProject);
    API_ClassificationItem made;
    made.id = "B20";
    API_PropertyDefinition changed = p.GetPropertyDefinition(definition).definition;
    changed.name = "Renamed";
    struct Row {
        const char* change;
        std::function<void()> make;
        std::vector<std::string> expected;
    };
    const std::vector<Row> rows = {
        {"an element leaves 3D", [&] { p.SetElementIn3D(wall, false); }, {"3D/1"}},
        {"it leaves 3D again", [&] { p.SetElementIn3D(wall, false); }, {}},
        {"an item is made", [&] { p.AddClassificationItem(system, "C30", item); }, {"item/1"}},
        {"the add-on makes one",
         [&] {
             TVAPI_CallUndoableCommand(
                 "", [&] { return TVAPI_Classification_CreateClassificationItem(made, system, {}, {}); });
         },
         {"item/1"}},
        {"an item is changed", [&] { p.ChangeClassificationItem(item, "A11"); }, {"item/1"}},
        {"an item goes with its child", [&] { p.DeleteClassificationItem(item); }, {"item/1", "item/1"}},
        {"a definition is made", [&] { p.AddPropertyDefinition(group, "Other"); }, {"definition/1"}},
        {"its availability changes", [&] { p.SetPropertyAvailability(definition, {made.guid}); }, {"definition/1"}},
        {"the add-on changes one",
         [&] { TVAPI_CallUndoableCommand("", [&] { return TVAPI_Property_ChangePropertyDefinition(changed); }); },
         {"definition/1"}},
        {"a group goes with its two definitions",
         [&] { p.DeletePropertyGroup(group); },
         {"definition/1", "definition/1"}},
        {"outside the mask",
         [&] {
             TVAPI_Notify_CatchProjectEvent(APINotify_Close, OnProject);
             p.SetElementIn3D(wall, true);
             p.AddClassificationItem(system, "D40");
         },
         {}},
    };
    Delivered();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.change);
        row.make();
        EXPECT_EQ(Delivered(), row.expected);
    }
}

TEST(StateNotifications, AClosingProjectHearsWhatWasPendingForItAndItsCloseBeforeTheNextOneIsThere) {
    TVSim::Project& p = TVSim::OpenProject();
    p.AddElement(API_WallID);
    TVAPI_Notify_CatchProjectEvent(APINotify_Close | APINotify_New, OnProject);
    TVAPI_Notify_CatchNewElement(nullptr, OnNewElement);
    Delivered();
    p.AddElement(API_SlabID);
    TVSim::OpenProject().AddElement(API_WallID);
    EXPECT_EQ(Delivered(),
              (std::vector<std::string>{"element in its project", "close/2", "new/1", "element in its project"}));
}
