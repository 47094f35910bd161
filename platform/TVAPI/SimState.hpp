#pragma once
// Internals of the simulated host, shared by the files that implement the
// TVAPI_ functions and TVSim. Nothing outside platform/TVAPI includes this.
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "TVAPI/Sim.hpp"

namespace TVSim::Detail {

struct ProjectState {
    PK::HashTable<API_Guid, Element> elements;
    // Listing by type costs what the type holds, not what the project holds.
    PK::HashTable<API_ElemTypeID, PK::HashSet<API_Guid>> elementsByType;
    PK::HashTable<PK::Int32, Layer> layers;
    PK::Int32 nextLayer = 1;
    PK::HashTable<API_Guid, ClassificationSystem> systems;
    PK::HashTable<API_Guid, ClassificationItem> items;
    PK::HashTable<API_Guid, PropertyGroup> groups;
    PK::HashTable<API_Guid, PropertyDefinition> definitions;
    PK::HashTable<PK::UniString, ModulData> modulData;
    PK::HashTable<API_Guid, AddOnObject> addOnObjects;
    PK::HashTable<PK::UniString, API_Guid> addOnObjectsByName;
    PK::HashTable<API_Guid, ElementSet> elementSets;
    PK::HashSet<API_Guid> selection;
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
    PK::UInt64 nextModiStamp = 1;

    Element* FindElement(const API_Guid& guid) { return elements.GetPtr(guid); }
    const Element* FindElement(const API_Guid& guid) const { return elements.GetPtr(guid); }
    const Layer& LayerOf(const Element& element) const;
    bool InMyWorkspace(const Element& element) const;
    // NoError when this user may change the element now, else the host's refusal.
    GSErrCode ChangeRefusal(const Element& element) const;
    bool PassesFilter(const Element& element, PK::UInt32 filterBits) const;
    // Whether the element is classified with an item the definition is available for.
    bool IsAvailable(const Element& element, const PropertyDefinition& definition) const;
    bool ClassificationAccessDenied() const;
    bool PropertyAccessDenied() const;
    void Touch(Element& element) { element.head.modiStamp = nextModiStamp++; }

    // Classifies without any check, replacing the element's item in that system.
    void Classify(Element& element, const API_Guid& item);
    void Unclassify(Element& element, const API_Guid& system);
    // Removes the item, its subtree and every trace of them.
    void RemoveItemTree(const API_Guid& item);
    void RemoveElement(const API_Guid& guid);
};

ProjectState& StateOf(Project& project);

struct CallFault {
    std::string function;
    GSErrCode code = NoError;
    PK::USize remaining = 0;  // 0: always
};

struct ElementFault {
    API_Guid element;
    GSErrCode code = NoError;
    std::string function;  // empty: every function
};

struct CallHook {
    std::string function;
    std::function<void()> action;
    PK::USize remaining = 1;
};

struct HostState {
    std::unique_ptr<Project> project;
    API_ServerApplicationInfo application;
    std::optional<IO::Location> ownLocation;
    Registrations registrations;
    std::vector<Journal::Call> calls;
    std::unordered_map<std::string, PK::USize> counts;
    bool journalEnabled = true;
    std::vector<CallFault> callFaults;
    std::vector<ElementFault> elementFaults;
    std::vector<CallHook> hooks;
    int commandDepth = 0;
    bool undoScopeRequired = true;
    std::vector<Progress::Window> progress;
    bool progressCancelled = false;
    std::vector<std::string> escapedExceptions;

    HostState();
};

HostState& Host();
// The open project's state, or nullptr.
ProjectState* OpenState();

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

// One host call: counted, journalled, and first offered to the hooks and
// faults that tests set up. The TVAPI_ functions open one on entry and
// return through Answer.
class HostCall {
public:
    explicit HostCall(std::string function, const API_Guid* element = nullptr);
    HostCall(const char* family, PK::Int32 selector);

    // The fault a test injected into this call, or NoError.
    GSErrCode Injected() const { return _injected; }
    bool Refused() const { return _injected != NoError; }
    // A fault injected for one more element the call concerns, or NoError.
    GSErrCode ElementFault(const API_Guid& element) const;

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
    GSErrCode Refusal() { return Answer(_refusal); }

    GSErrCode Answer(GSErrCode code);
    // As Answer, and a successful change is noted in the running undo step.
    GSErrCode AnswerChange(GSErrCode code);

    // APIERR_NEEDSUNDOSCOPE outside a command (unless tests lifted the rule).
    static GSErrCode ScopeRefusal();

private:
    bool Matches(const std::string& pattern) const;

    std::string _function;
    std::string _family;
    std::string _args;
    GSErrCode _injected = NoError;
    GSErrCode _refusal = NoError;
};

// Runs a callback of the add-on as the host would: what it lets escape is
// recorded (a real host would not survive it) and answered as APIERR_GENERAL.
template <typename F>
GSErrCode CallIntoAddOn(const char* what, F&& f) {
    try {
        return f();
    } catch (const std::exception& e) {
        Host().escapedExceptions.push_back(std::string(what) + ": " + e.what());
    } catch (...) {
        Host().escapedExceptions.push_back(std::string(what) + ": unknown exception");
    }
    return APIERR_GENERAL;
}

// A new memory handle holding the bytes (nullptr for none); it belongs to whoever receives it.
PKHandle ToHandle(const Bytes& bytes);
// A copy of the handle's bytes (nullopt for a null handle).
Bytes FromHandle(PKHandle handle);

}  // namespace TVSim::Detail
