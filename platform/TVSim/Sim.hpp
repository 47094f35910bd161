#pragma once
// TVSim: the test-control side of the simulated host.
//
// The TVAPI_ functions (TVAPI/APIFunctions.hpp) serve an in-memory project the
// way the host would, and no more kindly: they refuse with the host's own
// error codes where the host refuses, need the command scopes it needs, list
// in its own order and notify as its state changes, so the add-on's failure
// paths run for real. TVSim is how tests and the demo set that project up,
// change it behind the add-on's back, fire host events and read what
// happened. The add-on itself never includes this header.
//
//   TVSim::Project& p = TVSim::OpenProject();                // untitled; floor plan and 3D window
//   API_Guid wall = p.AddElement(API_WallID);                // editable, layer 1, story 0
//   API_Guid slab = p.AddElement(API_SlabID, {.locked = true});
//   API_Guid system = p.AddClassificationSystem("Clauses");
//   API_Guid item = p.AddClassificationItem(system, "A10");
//   p.SetSelection({wall, slab});                            // queues a selection notification
//   PK::MainMessageLoop::RunPending();                       // delivers it, if the add-on subscribed
//   ... let the add-on work ...
//   EXPECT_EQ(p.GetItemOf(wall, system), item);
//   EXPECT_EQ(p.GetUndoSteps().size(), 1u);
//
// What the host enforces (and so what a test can provoke):
// - No open project: project-bound calls answer APIERR_NOPLAN.
// - An element deleted in this session answers APIERR_DELETED; a guid the
//   project never held answers APIERR_BADID (so do unknown items, systems,
//   groups, definitions, objects and sets, deleted or not).
// - Changing an element: hotlinked APIERR_READONLY, reserved by someone else
//   or free in team work APIERR_NOTMINE, on a hidden layer APIERR_HIDDENLAY,
//   on a locked layer APIERR_LOCKEDLAY, locked itself APIERR_READONLY, not
//   classifiable APIERR_BADCLASSIFICATION; removing an item it does not hold
//   APIERR_BADPARS; writing a property that is unknown or not available for
//   it (availability goes by the element's classification items)
//   APIERR_BADPROPERTY; writing one whose definition, as the project holds
//   it, cannot be edited or is computed (a dynamic built-in definition, or a
//   default given by an expression) APIERR_READONLY; writing a value that
//   does not fit the definition's kind APIERR_BADVALUE: the value carries only
//   the part the kind reads (single, list, single or multiple choice), of the
//   definition's type, a choice's key among the allowed values. An element holds at most
//   one item per system: classifying it again in a system replaces the item.
// - Every change of stored data needs a command scope (TVAPI_CallUndoableCommand
//   or TVAPI_CallCommand), else APIERR_NEEDSUNDOSCOPE: elements,
//   classification, properties, module data (store, erase), add-on objects
//   (create, modify, delete) and element sets (create, delete).
//   Commands::SetUndoScopeRequired(false) lifts that. A command nested in
//   another runs at once as part of the outer step; to make the host refuse
//   commands, inject a fault into TVAPI_CallUndoableCommand or TVAPI_CallCommand.
// - Names: property groups unique in the project, definitions unique in their
//   group, classification systems unique by name and edition, item ids unique
//   in their system, add-on object names unique: APIERR_NAMEALREADYUSED.
// - Access rights: classification changes with the classification right
//   switched off, property group and definition changes with the property
//   right off, and both in a shared project unless this user has reserved the
//   ClassificationsAndProperties set (it starts Free; Free, Locked by another
//   member and NotAvailable all refuse): APIERR_NOACCESSRIGHT.
//   Project::ReserveClassificationsAndProperties reserves it as the user would.
// - Add-on objects in a shared project: modifying or deleting needs this
//   user's reservation (APIERR_NOTMINE); reserving one held by another member
//   APIERR_NOTMINE; reserving or releasing outside team work
//   APIERR_NOTEAMWORKPROJECT. Module data: erasing or getting a missing
//   entry APIERR_NOMODULEDATA. Nothing selected: APIERR_NOSEL.
// - A stored view opens (and its database is found) by guid only while that
//   database still has the type and index the view names: APIERR_BADDATABASE.
// - Lists come in the host's own order, never in the order things were made:
//   what is kept by guid in HostOrder (elements, an item's elements, the
//   selection, systems, groups, definitions, add-on objects, element sets),
//   module data by name. An item tree keeps the order items were placed in.
// - Notifications follow state. Changing the selection, opening or making a
//   project, changing the front window or the current story, making an element
//   (not a part made with its owner, such as a curtain wall's panel or a
//   railing's post: the host announces the owner alone), changing what an
//   element shows in 3D (APINotify_ShowIn3DChanged), making, changing or
//   deleting a classification item (APINotify_ClassificationItemChanged, one
//   per item) and making, changing or deleting a property definition
//   (APINotify_PropertyDefinitionChanged, one per definition), whether through
//   TVAPI_ calls or through TVSim, queues the notification the add-on
//   subscribed to (within its mask and type filter); the main loop delivers it
//   (PK::MainMessageLoop::RunPending), so never during the add-on's call.
//   Selection changes not yet delivered make one notification, read at
//   delivery. Nothing reaches an add-on that unsubscribed meanwhile.
// - Closing a project (CloseProject, and OpenProject over an open one)
//   queues APINotify_Close after what is still pending for it; each of those
//   is delivered with the closing project open again for the moment, so the
//   add-on reads the project it is told about, never the next one.
//
// Control that the host does not have:
// - Faults: the Nth call of a function answers a code, or every call about
//   one element does; an action can run just before a given call (another
//   member acts "at the same moment"). Function names are the TVAPI_ names;
//   multiplexed calls also answer to "TVAPI_Environment:PROJ" and the like.
//   A function that answers no code (TVAPI_Element_Filter and the like) then
//   answers false, the null guid or APILockableStatus_NotExist.
// - Journal: every host call with its key arguments and its answer, kept
//   only while a test asks for it (it costs memory in proportion to every
//   call made); the calls of each function are counted always.
// - Events by hand (TVSim::Events), delivered at once, only through what the
//   add-on registered, honouring masks and filters; Events::SetAutoDelivery
//   (false) silences the notifications that state changes would queue. An
//   exception that a callback lets escape into the host is caught here and
//   recorded (Events::GetEscapedExceptions), since a real host would not
//   survive it.
// - Deterministic GUIDs (SeedGuids) and the settable clock (PK::Clock).
// - Handles the host hands out are ordinary memory handles, so
//   PK::MemoryDebug::GetLiveHandleCount() catches what the add-on leaks; the
//   host keeps its own copies as plain bytes, not as handles.
//
// Control calls change the project as a user or another member would, with
// no rights or scopes checked; they throw std::out_of_range or
// std::invalid_argument on a test's own mistakes (an unknown guid or layer).
//
// Team work with several members, each on a copy of the project, sharing a
// team-work server: TVSim/SimTeamwork.hpp (TVSim::Teamwork).
//
// Loading the add-on through its entry functions, as the host does, and
// unloading it through FreeData, after which nothing reaches it:
// TVSim/AddOnLoader.hpp.
//
// Each test runs in its own process; Reset() is there for the demo and for
// tests that stage several projects.
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "IO/Location.hpp"
#include "PK/Array.hpp"
#include "PK/HashTable.hpp"
#include "TVAPI/APIFunctions.hpp"
#include "TVSim/Guard.hpp"

namespace TVSim {

class Project;
namespace Detail {
struct ProjectState;
ProjectState& StateOf(Project& project);
}  // namespace Detail

// The order in which the host lists what it keeps by GUID: the order of its
// database index, which has nothing to do with when anything was made.
struct HostOrder {
    bool operator()(const API_Guid& a, const API_Guid& b) const { return std::memcmp(&a, &b, sizeof(API_Guid)) < 0; }
};
using GuidSet = std::set<API_Guid, HostOrder>;

// Team-work ownership of an element: in this user's workspace, reserved by
// nobody, or reserved by another member. Outside team work every element
// counts as this user's.
enum class Reservation { Mine, Free, OtherMember };

struct ElementOptions {
    API_ElemVariationID variation = APIVarId_Generic;
    PK::Int32 layer = 1;
    PK::Int16 story = 0;
    bool locked = false;
    Reservation reservation = Reservation::Mine;
    API_Guid hotlink{};           // non-null: the element comes from that hotlinked module
    API_Guid owner{};             // the hierarchical owner (say the curtain wall of a panel), made first
    API_Guid sectionParent{};     // for API_SectElemID: the model element it stands for
    bool classifiable = true;     // false: classifying it answers APIERR_BADCLASSIFICATION
    bool in3D = true;             // filter bit APIFilt_In3D
    bool visibleByPhase = true;   // filter bit APIFilt_VisibleByPhase
    bool inStructureView = true;  // filter bit APIFilt_InStructureView
    std::optional<API_HierarchicalElemType> hierarchicalKind{};  // overrides the kind the host works out
    API_Guid guid{};                                             // null: a new one
};

struct Element {
    API_Elem_Head head;
    API_Guid sectionParent;
    API_Guid owner;
    Reservation reservation = Reservation::Mine;
    PK::UniString reservedBy;  // the other member, for Reservation::OtherMember
    bool classifiable = true;
    bool in3D = true;
    bool visibleByPhase = true;
    bool inStructureView = true;
    std::optional<API_HierarchicalElemType> hierarchicalKind;
    PK::USize ownedCount = 0;                           // elements whose owner this is
    PK::HashTable<API_Guid, API_Guid> classification;   // system -> item
    // Definition -> value written; absent: the default. A value is replaced, never changed in place, so the
    // element's copies (the team-work server's, each member's, the undo steps') share what none of them changed.
    PK::HashTable<API_Guid, std::shared_ptr<const API_PropertyValue>> values;
};

struct LayerOptions {
    bool locked = false;
    bool hidden = false;
};

struct Layer {
    PK::UniString name;
    bool locked = false;
    bool hidden = false;
};

struct ClassificationSystem {
    API_ClassificationSystem system;
    PK::Array<API_Guid> rootItems;
};

struct ClassificationItem {
    API_ClassificationItem item;
    API_Guid system;
    API_Guid parent;
    PK::Array<API_Guid> children;
    GuidSet elements;  // classified with this item
};

struct PropertyGroup {
    API_PropertyGroup group;
    PK::Array<API_Guid> definitions;
};

struct PropertyDefinition {
    API_PropertyDefinition definition;  // definition.availability is kept in step with the set
    PK::HashSet<API_Guid> availability;
};

// Bytes the host keeps; nullopt stands for a null handle.
using Bytes = std::optional<std::vector<char>>;

struct ModulData {
    PK::Int32 dataVersion = 0;
    PK::UInt16 platformSign = 0;
    Bytes bytes;
};

struct AddOnObject {
    API_Guid guid;
    PK::UniString name;
    Bytes content;
    bool reservedByMe = false;
    PK::UniString reservedBy;  // another member; empty when nobody else holds it
};

struct ElementSet {
    PK::Array<API_Guid> elements;
    PK::Int32 dataVersion = 0;
    PK::UInt16 platformSign = 0;
    PK::UInt32 flags = 0;
    Bytes data;
};

struct Story {
    PK::Int16 index = 0;
    PK::UniString name;
    double level = 0.0;
};

// How the host's story records go wrong, for the add-on's sake.
enum class StoryHandleDefect {
    None,
    NullHandle,   // the story range is filled, the record handle is null
    ShortHandle,  // the handle holds one record fewer than the range says
};

struct ProjectInfoTexts {
    bool untitled = true;
    std::optional<PK::UniString> name{};
    std::optional<PK::UniString> path{};
};

struct UndoStep {
    PK::UniString name;
    bool undoable = true;                   // false for TVAPI_CallCommand
    std::vector<std::string_view> changes;  // the changing host calls made inside, in order
    PKErrCode result = NoError;             // what the command's body answered
};

class Project {
public:
    Project();
    ~Project();
    Project(const Project&) = delete;
    Project& operator=(const Project&) = delete;

    // ---- elements ----
    API_Guid AddElement(API_ElemTypeID type, const ElementOptions& options = {});
    API_Guid AddSectionElement(const API_Guid& parent, ElementOptions options = {});
    void DeleteElement(const API_Guid& guid);
    bool HasElement(const API_Guid& guid) const;
    // Throws std::out_of_range for an unknown guid.
    const Element& GetElement(const API_Guid& guid) const;
    PK::USize GetElementCount() const;
    PK::Array<API_Guid> GetElementsOfType(API_ElemTypeID type) const;
    void SetElementLocked(const API_Guid& guid, bool locked);
    void SetElementLayer(const API_Guid& guid, PK::Int32 layer);
    void SetElementStory(const API_Guid& guid, PK::Int16 story);
    void SetElementReservation(const API_Guid& guid, Reservation reservation,
                               const PK::UniString& otherMember = "Other Member");
    void SetElementHotlink(const API_Guid& guid, const API_Guid& hotlink);
    void SetElementClassifiable(const API_Guid& guid, bool classifiable);
    void SetElementIn3D(const API_Guid& guid, bool in3D);

    // ---- layers (layer 1 exists from the start, visible and unlocked) ----
    PK::Int32 AddLayer(const PK::UniString& name, const LayerOptions& options = {});
    void SetLayerLocked(PK::Int32 layer, bool locked);
    void SetLayerHidden(PK::Int32 layer, bool hidden);
    const Layer& GetLayer(PK::Int32 layer) const;

    // ---- classification (as the user would do it: no rights or scope checked) ----
    API_Guid AddClassificationSystem(const PK::UniString& name, const PK::UniString& editionVersion = "");
    API_Guid AddClassificationItem(const API_Guid& system, const PK::UniString& id,
                                   const API_Guid& parent = APINULLGuid, const PK::UniString& name = "");
    void ChangeClassificationItem(const API_Guid& item, const PK::UniString& id, const PK::UniString& name = "");
    // Removes the item with its subtree; elements lose it, definitions stop being available for it.
    void DeleteClassificationItem(const API_Guid& item);
    void DeleteClassificationSystem(const API_Guid& system);
    void Classify(const API_Guid& element, const API_Guid& item);
    void Unclassify(const API_Guid& element, const API_Guid& system);
    // The element's item in the system, or the null guid.
    API_Guid GetItemOf(const API_Guid& element, const API_Guid& system) const;
    PK::Array<API_Guid> GetClassificationSystems() const;
    const ClassificationSystem& GetClassificationSystem(const API_Guid& system) const;
    const ClassificationItem& GetClassificationItem(const API_Guid& item) const;
    bool HasClassificationItem(const API_Guid& item) const;
    // The first item of the system with the id (any depth), or the null guid.
    API_Guid FindClassificationItem(const API_Guid& system, const PK::UniString& id) const;

    // ---- properties ----
    API_Guid AddPropertyGroup(const PK::UniString& name);
    // A custom, single-valued, editable string definition with the default text given.
    API_Guid AddPropertyDefinition(const API_Guid& group, const PK::UniString& name,
                                   const PK::Array<API_Guid>& availability = {}, const PK::UniString& defaultText = "");
    // The record as given (a null guid gets a new one), into its group.
    API_Guid AddPropertyDefinition(const API_PropertyDefinition& record);
    void DeletePropertyGroup(const API_Guid& group);
    void DeletePropertyDefinition(const API_Guid& definition);
    void SetPropertyAvailability(const API_Guid& definition, const PK::Array<API_Guid>& items);
    void SetPropertyValue(const API_Guid& element, const API_Guid& definition, const API_PropertyValue& value);
    void SetPropertyText(const API_Guid& element, const API_Guid& definition, const PK::UniString& text);
    // The value written into the element, or nullptr when it has the default.
    const API_PropertyValue* GetPropertyValue(const API_Guid& element, const API_Guid& definition) const;
    // The string the element shows for the definition: the written one or the default.
    PK::UniString GetPropertyText(const API_Guid& element, const API_Guid& definition) const;
    PK::Array<API_Guid> GetPropertyGroups() const;
    const PropertyGroup& GetPropertyGroup(const API_Guid& group) const;
    const PropertyDefinition& GetPropertyDefinition(const API_Guid& definition) const;
    bool HasPropertyGroup(const API_Guid& group) const;
    bool HasPropertyDefinition(const API_Guid& definition) const;
    // The null guid when there is none.
    API_Guid FindPropertyGroup(const PK::UniString& name) const;
    API_Guid FindPropertyDefinition(const API_Guid& group, const PK::UniString& name) const;

    // ---- module data ----
    void StoreModulData(const PK::UniString& name, const ModulData& data);
    void EraseModulData(const PK::UniString& name);
    // nullptr when there is none.
    const ModulData* GetModulData(const PK::UniString& name) const;
    PK::Array<PK::UniString> GetModulDataNames() const;

    // ---- add-on objects ----
    API_Guid AddAddOnObject(const PK::UniString& name, const Bytes& content = std::nullopt);
    void SetAddOnObjectContent(const API_Guid& object, const Bytes& content);
    void DeleteAddOnObject(const API_Guid& object);
    void ReserveAddOnObjectByOther(const API_Guid& object, const PK::UniString& member = "Other Member");
    void ReleaseAddOnObject(const API_Guid& object);
    // nullptr when there is none.
    const AddOnObject* FindAddOnObject(const PK::UniString& name) const;
    const AddOnObject* GetAddOnObject(const API_Guid& object) const;

    // ---- team work ----
    void SetShared(bool shared);
    bool IsShared() const;
    // The status of the ClassificationsAndProperties set; holders are the
    // members named as conflicts. A shared project starts with the set Free.
    void SetLockableStatus(API_LockableStatus status, const PK::Array<PK::UniString>& holders = {});
    // This user reserves the set (Editable) or lets it go (Free), as in the
    // host's team-work palette.
    void ReserveClassificationsAndProperties();
    void ReleaseClassificationsAndProperties();
    API_Guid GetLockableSetGuid() const;
    void SetClassificationAccessRight(bool granted);
    void SetPropertyAccessRight(bool granted);

    // ---- project information ----
    // A saved project: not untitled, with its name and path.
    void SetSaved(const PK::UniString& name, const PK::UniString& path);
    void SetInfo(const ProjectInfoTexts& info);
    const ProjectInfoTexts& GetInfo() const;

    // ---- selection and zoom ----
    void SetSelection(const PK::Array<API_Guid>& elements);
    PK::Array<API_Guid> GetSelection() const;
    // The next selection reads come with a marquee of that many coordinate
    // pairs, in a handle that the reader owns.
    void SetMarquee(API_SelTypeID type, PK::Int32 coordCount);
    // The selection at each zoom to the selection, in order.
    const std::vector<PK::Array<API_Guid>>& GetZooms() const;

    // ---- windows, stories, 3D ----
    // A database with its window; answers its guid.
    API_Guid AddWindow(API_WindowTypeID type, PK::Int32 index, const PK::UniString& title);
    void SetCurrentWindow(const API_Guid& database);
    API_WindowInfo GetCurrentWindow() const;
    // The database guid of the first window of the type, or the null guid.
    API_Guid FindWindow(API_WindowTypeID type) const;
    // Stories firstStory, firstStory + 1, ... named in order. A new project has story 0, "Ground Floor".
    void SetStories(PK::Int16 firstStory, const std::vector<PK::UniString>& names);
    void SetCurrentStory(PK::Int16 story);
    PK::Int16 GetCurrentStory() const;
    const std::vector<Story>& GetStories() const;
    void SetStoryHandleDefect(StoryHandleDefect defect);
    void Set3DProjection(const API_3DProjectionInfo& info);
    const API_3DProjectionInfo& Get3DProjection() const;
    API_Guid AddNavigatorItem(const API_NavigatorItem& item);

    // ---- commands ----
    // Every outermost command run, in order; undo and redo leave it alone.
    const std::vector<UndoStep>& GetUndoSteps() const;
    // The user's Undo and Redo. Undo brings every entry that the last
    // undoable step changed (element classifications and values,
    // classification systems and items, property groups and definitions,
    // module data, add-on objects, element sets) back as it was before the
    // step; Redo brings back what the last undo took away. Steps of
    // TVAPI_CallCommand are not undone, a new undoable step ends what redo
    // could bring back, a team-work receive ends both histories, elements
    // keep their reservations, and neither sends a notification. Nothing to
    // undo or redo: APIERR_UNDOEMPTY.
    PKErrCode Undo();
    PKErrCode Redo();
    // The steps Undo can take back: undoable steps that changed anything.
    PK::USize GetUndoableCount() const;

private:
    friend Detail::ProjectState& Detail::StateOf(Project& project);
    std::unique_ptr<Detail::ProjectState> _state;
};

// Opens a new, untitled project in place of any open one: the open one is
// closed first (APINotify_Close), then the new one is there (APINotify_New).
Project& OpenProject();
// As OpenProject, for a saved project with that name and path (APINotify_Open).
Project& OpenSavedProject(const PK::UniString& name, const PK::UniString& path);
// Closes the open project (APINotify_Close); host calls then answer APIERR_NOPLAN.
void CloseProject();
// The open project, or nullptr.
Project* GetProject();
// Forgets everything: project, registrations, the loaded add-on (without
// calling it), pending notifications, journal, faults, progress, alerts,
// report, debug output, application settings; reseeds nothing.
void Reset();

// What TVAPI_Environment answers for APPL; change it freely.
API_ServerApplicationInfo& Application();
// What TVAPI_GetOwnLocation answers (by default the folder that holds the resources folder).
void SetOwnLocation(const IO::Location& location);
// Makes every new GUID, the host's and the add-on's, repeat from this seed.
void SeedGuids(PK::UInt64 seed);

struct Registrations {
    struct Menu {
        PK::Int16 menuStrResID = 0;
        PK::Int16 promptStrResID = 0;
        APIMenuCodeID menuPosCode = MenuCode_UserDef;
        PK::Int32 menuFlags = 0;
        APIMenuCommandProc handler = nullptr;
        // API_MenuItemFlags of each item that has been given some, by item index.
        std::map<PK::Int32, PK::Int32> itemFlags;
    };
    struct Palette {
        PK::Int32 referenceID = 0;
        APIPaletteControlCallBackProc callBack = nullptr;
        PK::UInt32 controlFlags = 0;
        API_Guid guid;
    };
    std::vector<Menu> menus;
    bool modulDataHandlerRegistered = false;
    std::vector<Palette> palettes;
    APISelectionChangeHandlerProc selectionHandler = nullptr;
    APIProjectEventHandlerProc projectEventHandler = nullptr;
    PK::UInt32 projectEventMask = 0;
    APIModulDataMergeHandlerProc mergeHandler = nullptr;
    APIElementEventHandlerProc newElementHandler = nullptr;
    std::optional<API_ToolBoxItem> newElementFilter;
};
const Registrations& GetRegistrations();

// Host events fired by hand. Each goes only to what the add-on registered and
// answers what the callback answered, or nullopt when nothing was called
// (never anything once the add-on is unloaded: TVSim/AddOnLoader.hpp).
namespace Events {
// With the first selected element's reference, or an empty one when nothing is selected.
std::optional<PKErrCode> SelectionChanged();
std::optional<PKErrCode> SelectionChanged(const API_Neig* neig);
// Delivered when a handler is subscribed and the mask shares a bit with the id.
std::optional<PKErrCode> ProjectEvent(PK::UInt32 eventId, PK::Int32 param = 0);
std::optional<PKErrCode> NewElement(const API_Guid& element, API_ElementDBEventID event = APINotifyElement_New);
// Hands the record as given (even null) to the handler, past the type filter.
std::optional<PKErrCode> NewElement(const API_NotifyElementType* record);
std::optional<PKErrCode> ChooseMenuItem(PK::Int16 menuStrResID, PK::Int32 itemIndex);
std::optional<PKErrCode> PaletteMessage(PK::Int32 referenceID, API_PaletteMessageID message, PK::Int64 param = 0);
// Hands the stored entry (or null when there is none) and the incoming one
// to the merge handler; on NoError the destination becomes the stored entry.
std::optional<PKErrCode> MergeModulData(const PK::UniString& name, const ModulData& incoming,
                                        API_MDSetCmd command = APIMDSetMerge_TW);
// Texts of exceptions that a callback let escape into the host.
const std::vector<std::string>& GetEscapedExceptions();
// On by default: state changes queue their notifications for the main loop
// (PK::MainMessageLoop::RunPending delivers them). Off, they queue nothing.
void SetAutoDelivery(bool on);
// Notifications queued and not yet delivered.
PK::USize GetPendingCount();
}  // namespace Events

namespace Commands {
// On by default: element, classification and property changes outside a command answer APIERR_NEEDSUNDOSCOPE.
void SetUndoScopeRequired(bool required);
bool IsRunning();
}  // namespace Commands

namespace Progress {
struct Phase {
    PK::UniString name;
    PK::Int32 maxValue = 0;
    PK::Int32 value = 0;
};
struct Window {
    PK::UniString title;
    PK::Int16 phaseCount = 0;
    std::vector<Phase> phases;
    bool open = true;
};
// Every progress window opened, in order.
const std::vector<Window>& GetWindows();
bool IsOpen();
// The user's cancel button: CANC answers APIERR_CANCEL while it is set.
void SetCancelled(bool cancelled);
// Called with the window after each change of what it shows (opened, a new phase, a new value, closed).
void SetObserver(std::function<void(const Window&)> observer);
}  // namespace Progress

namespace Journal {
struct Call {
    std::string function;  // "TVAPI_Element_GetHeader", "TVAPI_Environment:PROJ"
    std::string args;      // the key arguments, as text
    PKErrCode result = NoError;
};
const std::vector<Call>& GetCalls();
// Calls of the function (or of the whole multiplexed family) since the last Clear; counted even when disabled.
PK::USize Count(std::string_view function);
void Clear();
// Off by default, and again after Reset: a test that reads the calls switches it on.
void SetEnabled(bool enabled);
}  // namespace Journal

namespace Faults {
// The nth call of the function from now (counting from 1) answers code.
void FailCall(std::string_view function, PKErrCode code, PK::USize nth = 1);
// Every call of the function answers code.
void FailAlways(std::string_view function, PKErrCode code);
// Every call about the element answers code, of the named function only when one is given.
void FailForElement(const API_Guid& element, PKErrCode code, std::string_view function = {});
// Runs action just before the nth call of the function from now is served.
void BeforeCall(std::string_view function, std::function<void()> action, PK::USize nth = 1);
void Clear();
}  // namespace Faults

}  // namespace TVSim
