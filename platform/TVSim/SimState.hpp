#pragma once
// Internals of the simulated host, shared by the files that implement the
// TVAPI_ functions and TVSim. Nothing outside platform/TVSim includes this.
#include <algorithm>
#include <deque>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "TVSim/AddOnLoader.hpp"
#include "TVSim/Guard.hpp"
#include "TVSim/Sim.hpp"

namespace TVSim::Detail {

// What one undoable step changed: each entry it touched as it was before the
// step first changed it (nullopt: it was not there yet). Undo swaps these
// with the entries as they are, so the same record then holds what redo
// brings back.
template <typename Key, typename Value>
using Images = PK::HashTable<Key, std::optional<Value>>;

struct UndoRecord {
    std::tuple<Images<API_Guid, Element>, Images<API_Guid, ClassificationSystem>, Images<API_Guid, ClassificationItem>,
               Images<API_Guid, PropertyGroup>, Images<API_Guid, PropertyDefinition>, Images<PK::UniString, ModulData>,
               Images<API_Guid, AddOnObject>, Images<API_Guid, ElementSet>>
        images;

    template <typename Key, typename Value>
    Images<Key, Value>& Of() {
        return std::get<Images<Key, Value>>(images);
    }
    bool IsEmpty() const {
        return std::apply([](const auto&... table) { return (table.IsEmpty() && ...); }, images);
    }
};

struct ProjectState {
    PK::HashTable<API_Guid, Element> elements;
    // Listing by type costs what the type holds, not what the project holds.
    PK::HashTable<API_ElemTypeID, GuidSet> elementsByType;
    // Elements deleted in this session: the host tells them from ids it never knew.
    PK::HashSet<API_Guid> deletedElements;
    PK::HashTable<PK::Int32, Layer> layers;
    PK::Int32 nextLayer = 1;
    PK::HashTable<API_Guid, ClassificationSystem> systems;
    PK::HashTable<API_Guid, ClassificationItem> items;
    // How many items of each system carry each id: checking a new id costs
    // one look-up, not a walk over every item.
    PK::HashTable<API_Guid, PK::HashTable<PK::UniString, PK::USize>> itemIds;
    PK::HashTable<API_Guid, PropertyGroup> groups;
    PK::HashTable<API_Guid, PropertyDefinition> definitions;
    PK::HashTable<PK::UniString, ModulData> modulData;
    PK::HashTable<API_Guid, AddOnObject> addOnObjects;
    PK::HashTable<PK::UniString, API_Guid> addOnObjectsByName;
    PK::HashTable<API_Guid, ElementSet> elementSets;
    GuidSet selection;
    API_SelTypeID marqueeType = API_SelEmpty;
    PK::Int32 marqueeCoords = 0;
    std::vector<PK::Array<API_Guid>> zooms;
    PK::HashTable<API_Guid, API_WindowInfo> windows;
    API_Guid currentWindow;
    std::vector<Story> stories;
    PK::Int16 currentStory = 0;
    StoryHandleDefect storyDefect = StoryHandleDefect::None;
    API_3DProjectionInfo projection;
    PK::HashTable<API_Guid, API_NavigatorItem> navigatorItems;
    ProjectInfoTexts info;
    PK::Int32 userId = 1;
    bool shared = false;
    API_Guid lockableSet;
    API_LockableStatus lockableStatus = APILockableStatus_Editable;
    PK::Array<PK::UniString> lockableHolders;
    bool classificationAccess = true;
    bool propertyAccess = true;
    std::vector<UndoStep> undoSteps;
    // The undoable step being run, and the steps undo and redo would take back, the last on top.
    std::optional<UndoRecord> recording;
    std::vector<UndoRecord> undoable;
    std::vector<UndoRecord> redoable;
    PK::UInt64 nextModiStamp = 1;
    // Elements changed here that team work has not yet sent, or whose
    // reservation it has not yet collected: an exchange looks at these, not
    // at every element of the project.
    PK::HashSet<API_Guid> unsentElements;
    PK::HashSet<API_Guid> uncollectedElements;

    // Every change of an entry during an undoable step comes here first, so
    // undo can bring the entry back as it was.
    template <typename Key, typename Value>
    void Keep(const PK::HashTable<Key, Value>& table, const Key& key) {
        if constexpr (std::is_same_v<Value, Element>) Mark(key);
        if (!recording) return;
        Images<Key, Value>& images = recording->Of<Key, Value>();
        if (images.ContainsKey(key)) return;
        const Value* now = table.GetPtr(key);
        images.Add(key, now != nullptr ? std::optional<Value>(*now) : std::nullopt);
    }
    // The outermost command has returned: an undoable step that changed
    // anything becomes the one to undo, and nothing is left to redo.
    void EndStep();
    // Works out again what follows from the entries (item ids, which
    // elements each item classifies, owned counts, object names) and drops
    // links to entries that are gone.
    void Reindex();
    // An element comes in from the team-work server: before, it leaves what
    // is worked out from it (its items, its type, its owner's count); after,
    // it enters them again, losing links to items that are gone.
    void Unlink(const API_Guid& element);
    void Link(const API_Guid& element);
    // Classifications and properties came in from the server: changed items
    // keep the elements this copy classifies with them (given as the items
    // were before), and nothing points at a gone item or definition.
    void Settle(const PK::HashTable<API_Guid, ClassificationItem>& changedItems);

    Element* FindElement(const API_Guid& guid) { return elements.GetPtr(guid); }
    const Element* FindElement(const API_Guid& guid) const { return elements.GetPtr(guid); }
    // What a call about an element the project does not hold answers.
    PKErrCode MissingElement(const API_Guid& guid) const {
        return deletedElements.Contains(guid) ? APIERR_DELETED : APIERR_BADID;
    }
    const Layer& LayerOf(const Element& element) const;
    bool InMyWorkspace(const Element& element) const;
    // NoError when this user may change the element now, else the host's refusal.
    PKErrCode ChangeRefusal(const Element& element) const;
    bool PassesFilter(const Element& element, PK::UInt32 filterBits) const;
    // Whether the element is classified with an item the definition is available for.
    bool IsAvailable(const Element& element, const PropertyDefinition& definition) const;
    bool ClassificationAccessDenied() const;
    bool PropertyAccessDenied() const;
    bool ItemIdTaken(const API_Guid& system, const PK::UniString& id) const;
    // Files a new item under its system and parent (appended, or before next).
    void AddItem(const ClassificationItem& item, const API_Guid& next = APINULLGuid);
    void Touch(Element& element) {
        element.head.modiStamp = nextModiStamp++;
        Mark(element.head.guid);
    }
    // The element changed here, in content or reservation.
    void Mark(const API_Guid& element) {
        unsentElements.Add(element);
        uncollectedElements.Add(element);
    }

    // Classifies without any check, replacing the element's item in that system.
    void Classify(Element& element, const API_Guid& item);
    void Unclassify(Element& element, const API_Guid& system);
    // Removes the item, its subtree and every trace of them.
    void RemoveItemTree(const API_Guid& item);
    void RemoveElement(const API_Guid& guid);
    // These change what subscribers hear of, so they queue the notification.
    void Select(const API_Guid& guid, bool add);
    void ChangeCurrentWindow(const API_Guid& database);
    void ChangeCurrentStory(PK::Int16 story);
};

ProjectState& StateOf(Project& project);

struct CallFault {
    std::string function;
    PKErrCode code = NoError;
    PK::USize remaining = 0;  // 0: always
};

struct ElementFault {
    API_Guid element;
    PKErrCode code = NoError;
    std::string function;  // empty: every function
};

struct CallHook {
    std::string function;
    std::function<void()> action;
    PK::USize remaining = 1;
};

// A notification waiting for control to be back in the host.
struct PendingNotification {
    enum class Kind { Selection, Project, NewElement };
    Kind kind = Kind::Selection;
    PK::UInt32 eventId = 0;            // a project event's
    API_Elem_Head element;             // a new element's, as it was made
    const Project* project = nullptr;  // the project open when it was queued
};

// The add-on as this machine's host has it: never loaded through
// TVSim::LoadAddOn (tests may wire callbacks by hand then), loaded, or
// unloaded after its FreeData.
struct AddOnImage {
    enum class State { None, Loaded, Unloaded };
    State state = State::None;
    AddOnEntryPoints entryPoints;
    API_AddOnInfo info;
};

struct HostState {
    std::unique_ptr<Project> project;
    // Closed projects that pending notifications are still about.
    std::vector<std::unique_ptr<Project>> closing;
    API_ServerApplicationInfo application;
    std::optional<IO::Location> ownLocation;
    Registrations registrations;
    std::vector<Journal::Call> calls;
    bool journalEnabled = false;
    std::vector<CallFault> callFaults;
    std::vector<ElementFault> elementFaults;
    std::vector<CallHook> hooks;
    int commandDepth = 0;
    bool undoScopeRequired = true;
    std::vector<Progress::Window> progress;
    bool progressCancelled = false;
    std::function<void(const Progress::Window&)> progressObserver;
    std::vector<std::string> escapedExceptions;
    std::deque<PendingNotification> notifications;
    bool selectionPending = false;  // one notification stands for every change not yet delivered
    bool autoDelivery = true;
    AddOnImage addOn;
    std::vector<std::string> callbacksAfterFreeData;

    HostState();
};

HostState& Host();
// The open project's state, or nullptr.
ProjectState* OpenState();

// Queue a notification for delivery from the main loop, when the add-on
// subscribed to it and delivery is on. Selection changes not yet delivered
// make one notification.
void QueueSelectionChanged();
void QueueProjectEvent(PK::UInt32 eventId);
void QueueNewElement(const API_Elem_Head& element);
// Closes the open project: its close is queued after what is pending for it,
// and it stays in being, out of sight, until those are delivered (each with
// it open again for the moment), so nothing of it reaches the next project.
void CloseOpenProject();
// Whether the add-on's new-element subscription covers an element of that kind.
bool NewElementSubscribed(const API_Elem_Head& element);

// The keys of a table in the host's own order: GUIDs as HostOrder has them,
// names by their text.
template <typename Key, typename Value>
PK::Array<Key> KeysInHostOrder(const PK::HashTable<Key, Value>& table) {
    std::vector<Key> keys;
    keys.reserve(table.GetSize());
    table.EnumerateKeys([&](const Key& key) { keys.push_back(key); });
    if constexpr (std::is_same_v<Key, API_Guid>)
        std::sort(keys.begin(), keys.end(), HostOrder{});
    else
        std::sort(keys.begin(), keys.end());
    return PK::Array<Key>(std::move(keys));
}

// Text forms of arguments for the journal.
std::string ToText(const API_Guid& guid);
std::string ToText(const PK::UniString& text);
inline std::string ToText(const char* text) { return text != nullptr ? text : "null"; }
inline std::string ToText(const std::string& text) { return text; }
inline std::string ToText(bool value) { return value ? "true" : "false"; }
template <typename T>
std::string ToText(const T& value) requires std::is_arithmetic_v<T> || std::is_enum_v<T> {
    if constexpr (std::is_enum_v<T>)
        return std::to_string(static_cast<long long>(value));
    else
        return std::to_string(value);
}
std::string FourCCText(PK::Int32 code);

// A host function and how often it was called since the journal was last
// cleared: counting a call builds no text and looks nothing up, since no real
// host spends anything on it. Each TVAPI_ function has one of its own
// (Function<"TVAPI_...">()); a multiplexed family (TVAPI_Environment and the
// like) counts its selectors too.
class FunctionCounter {
public:
    explicit FunctionCounter(const char* name);
    FunctionCounter(const FunctionCounter&) = delete;
    FunctionCounter& operator=(const FunctionCounter&) = delete;

    const char* Name() const { return _name; }
    void Count() { ++_calls; }
    void Count(PK::Int32 selector);
    PK::USize Calls() const { return _calls; }
    PK::USize Calls(PK::Int32 selector) const;
    void Clear();

    // The counter of that name, or nullptr when the function was never called.
    static FunctionCounter* Find(std::string_view name);
    static void ClearAll();

private:
    const char* _name;
    PK::USize _calls = 0;
    std::vector<std::pair<PK::Int32, PK::USize>> _bySelector;
};

// A string literal as a template argument, so that each function name gets a counter of its own.
template <std::size_t N>
struct FunctionName {
    constexpr FunctionName(const char (&name)[N]) {  // NOLINT: made from the literal on purpose
        for (std::size_t i = 0; i < N; ++i) text[i] = name[i];
    }
    char text[N];
};

template <FunctionName name>
FunctionCounter& Function() {
    static FunctionCounter counter(name.text);
    return counter;
}

// One host call: counted, journalled, and first offered to the hooks and
// faults that tests set up. The TVAPI_ functions open one on entry and
// return through Answer. Texts (the function's full name, the arguments) are
// made only for the journal and for the hooks and faults a test set up.
class HostCall {
public:
    explicit HostCall(FunctionCounter& function, const API_Guid* element = nullptr);
    // A call of a multiplexed family, such as "TVAPI_Environment:PROJ".
    HostCall(FunctionCounter& family, PK::Int32 selector, const API_Guid* element = nullptr);

    // The fault a test injected into this call, or NoError.
    PKErrCode Injected() const { return _injected; }
    bool Refused() const { return _injected != NoError; }
    // A fault injected for one more element the call concerns, or NoError.
    PKErrCode ElementFault(const API_Guid& element) const;

    template <typename... T>
    HostCall& Args(const T&... args) {
        if (Host().journalEnabled) {
            std::string text;
            ((text += (text.empty() ? "" : ", ") + ToText(args)), ...);
            _args = std::move(text);
        }
        return *this;
    }

    // The open project, or nullptr when the call is refused: an injected
    // fault, or APIERR_NOPLAN without a project. Refusal() answers that code.
    ProjectState* OpenProject() {
        _refusal = _injected;
        if (_refusal != NoError) return nullptr;
        ProjectState* state = OpenState();
        if (state == nullptr) _refusal = APIERR_NOPLAN;
        return state;
    }
    PKErrCode Refusal() { return Answer(_refusal); }

    PKErrCode Answer(PKErrCode code);
    // As Answer, and a successful change is noted in the running undo step.
    PKErrCode AnswerChange(PKErrCode code);

    // APIERR_NEEDSUNDOSCOPE outside a command (unless tests lifted the rule).
    static PKErrCode ScopeRefusal();

private:
    static constexpr PK::Int32 noSelector = 0;

    void Offer(const API_Guid* element);
    bool Matches(const std::string& pattern) const;
    // "TVAPI_Environment:PROJ" for a family's call, else the function's name.
    std::string FullName() const;

    FunctionCounter& _function;
    PK::Int32 _selector = noSelector;
    std::string _args;
    PKErrCode _injected = NoError;
    PKErrCode _refusal = NoError;
};

// Runs a callback of the add-on as the host would: what it lets escape is
// recorded (a real host would not survive it) and answered as APIERR_GENERAL.
template <typename F>
PKErrCode CallIntoAddOn(const char* what, F&& f) {
    try {
        return f();
    } catch (const std::exception& e) {
        Host().escapedExceptions.push_back(std::string(what) + ": " + e.what());
    } catch (...) {
        Host().escapedExceptions.push_back(std::string(what) + ": unknown exception");
    }
    return APIERR_GENERAL;
}

// A callback through one of the add-on's registrations, run as CallIntoAddOn
// runs it; nullopt, and recorded instead of made, once the add-on is
// unloaded: nothing reaches an add-on after its FreeData.
template <typename F>
std::optional<PKErrCode> CallBackAddOn(const char* what, F&& f) {
    if (Host().addOn.state == AddOnImage::State::Unloaded) {
        Host().callbacksAfterFreeData.push_back(std::string(what) + " after FreeData");
        return std::nullopt;
    }
    return CallIntoAddOn(what, std::forward<F>(f));
}

// A new memory handle holding the bytes (nullptr for none); it belongs to whoever receives it.
PKHandle ToHandle(const Bytes& bytes);
// A copy of the handle's bytes (nullopt for a null handle).
Bytes FromHandle(PKHandle handle);

}  // namespace TVSim::Detail
