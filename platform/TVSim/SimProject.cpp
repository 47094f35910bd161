// The control calls through which tests shape the simulated project. They
// change the project the way a user or another team member would, so they
// check nothing but the test's own mistakes (unknown guids throw); the rules
// the host applies to the add-on live with the project state
// (SimProjectState.cpp).
#include <stdexcept>

#include "PK/Guid.hpp"
#include "TVSim/SimState.hpp"
#include "TVSim/SimTeamworkHooks.hpp"

namespace TVSim {

namespace Detail {

ProjectState& StateOf(Project& project) { return *project._state; }

}  // namespace Detail

namespace {

template <typename Table, typename Key>
auto& Existing(Table& table, const Key& key, const char* what) {
    auto* value = table.GetPtr(key);
    if (value == nullptr) throw std::out_of_range(std::string("TVSim: unknown ") + what);
    return *value;
}

API_Guid NewGuidUnless(const API_Guid& given) { return given.IsNull() ? PK::Guid::Generate() : given; }

void SetAvailability(PropertyDefinition& d, const PK::Array<API_Guid>& items) {
    d.availability.Clear();
    d.definition.availability.Clear();
    for (const API_Guid& item : items)
        if (d.availability.Add(item)) d.definition.availability.Push(item);
}

}  // namespace

Project::Project() : _state(std::make_unique<Detail::ProjectState>()) {
    Detail::ProjectState& s = *_state;
    AddLayer("Default Layer");
    s.stories.push_back({0, "Ground Floor", 0.0});
    s.lockableSet = PK::Guid::Generate();
    const API_Guid floorPlan = AddWindow(APIWind_FloorPlanID, 1, "Floor Plan");
    AddWindow(APIWind_3DModelID, 1, "3D Window");
    s.currentWindow = floorPlan;
}

Project::~Project() = default;

// ---- elements ----

API_Guid Project::AddElement(API_ElemTypeID type, const ElementOptions& options) {
    Detail::ProjectState& s = *_state;
    if (!s.layers.ContainsKey(options.layer)) throw std::invalid_argument("TVSim: unknown layer");
    Element element;
    element.head.typeID = type;
    element.head.variationID = options.variation;
    element.head.guid = NewGuidUnless(options.guid);
    element.head.floorInd = options.story;
    element.head.layer = options.layer;
    element.head.lockId = options.locked ? 1 : 0;
    element.head.hotlinkGuid = options.hotlink;
    element.sectionParent = options.sectionParent;
    element.owner = options.owner;
    element.reservation = options.reservation;
    if (options.reservation == Reservation::OtherMember) element.reservedBy = "Other Member";
    element.classifiable = options.classifiable;
    element.in3D = options.in3D;
    element.visibleByPhase = options.visibleByPhase;
    element.inStructureView = options.inStructureView;
    element.hierarchicalKind = options.hierarchicalKind;
    s.Touch(element);
    const API_Guid guid = element.head.guid;
    const API_Elem_Head head = element.head;
    if (!s.elements.Add(guid, std::move(element))) throw std::invalid_argument("TVSim: element guid already used");
    s.elementsByType[type].insert(guid);
    s.deletedElements.Delete(guid);
    if (Element* owner = s.FindElement(options.owner)) {
        ++owner->ownedCount;
        return guid;  // a part comes with its owner, which alone is announced
    }
    Detail::QueueNewElement(head);
    return guid;
}

API_Guid Project::AddSectionElement(const API_Guid& parent, ElementOptions options) {
    Existing(_state->elements, parent, "element");
    options.sectionParent = parent;
    return AddElement(API_SectElemID, options);
}

void Project::DeleteElement(const API_Guid& guid) {
    Existing(_state->elements, guid, "element");
    _state->RemoveElement(guid);
}

bool Project::HasElement(const API_Guid& guid) const { return _state->elements.ContainsKey(guid); }

const Element& Project::GetElement(const API_Guid& guid) const { return Existing(_state->elements, guid, "element"); }

PK::USize Project::GetElementCount() const { return _state->elements.GetSize(); }

PK::Array<API_Guid> Project::GetElementsOfType(API_ElemTypeID type) const {
    const auto* set = _state->elementsByType.GetPtr(type);
    return set != nullptr ? PK::Array<API_Guid>(set->begin(), set->end()) : PK::Array<API_Guid>();
}

void Project::SetElementLocked(const API_Guid& guid, bool locked) {
    Element& element = Existing(_state->elements, guid, "element");
    element.head.lockId = locked ? 1 : 0;
    _state->Touch(element);
}

void Project::SetElementLayer(const API_Guid& guid, PK::Int32 layer) {
    Existing(_state->layers, layer, "layer");
    Element& element = Existing(_state->elements, guid, "element");
    element.head.layer = layer;
    _state->Touch(element);
}

void Project::SetElementStory(const API_Guid& guid, PK::Int16 story) {
    Element& element = Existing(_state->elements, guid, "element");
    element.head.floorInd = story;
    _state->Touch(element);
}

void Project::SetElementReservation(const API_Guid& guid, Reservation reservation, const PK::UniString& otherMember) {
    Element& element = Existing(_state->elements, guid, "element");
    _state->Mark(guid);
    element.reservation = reservation;
    element.reservedBy = reservation == Reservation::OtherMember ? otherMember : PK::UniString();
}

void Project::SetElementHotlink(const API_Guid& guid, const API_Guid& hotlink) {
    Existing(_state->elements, guid, "element").head.hotlinkGuid = hotlink;
    _state->Mark(guid);
}

void Project::SetElementClassifiable(const API_Guid& guid, bool classifiable) {
    Existing(_state->elements, guid, "element").classifiable = classifiable;
    _state->Mark(guid);
}

void Project::SetElementIn3D(const API_Guid& guid, bool in3D) {
    Element& element = Existing(_state->elements, guid, "element");
    if (element.in3D == in3D) return;
    element.in3D = in3D;
    _state->Mark(guid);
    Detail::QueueProjectEvent(APINotify_ShowIn3DChanged);
}

// ---- layers ----

PK::Int32 Project::AddLayer(const PK::UniString& name, const LayerOptions& options) {
    const PK::Int32 index = _state->nextLayer++;
    _state->layers.Add(index, Layer{name, options.locked, options.hidden});
    return index;
}

void Project::SetLayerLocked(PK::Int32 layer, bool locked) { Existing(_state->layers, layer, "layer").locked = locked; }

void Project::SetLayerHidden(PK::Int32 layer, bool hidden) { Existing(_state->layers, layer, "layer").hidden = hidden; }

const Layer& Project::GetLayer(PK::Int32 layer) const { return Existing(_state->layers, layer, "layer"); }

// ---- classification ----

API_Guid Project::AddClassificationSystem(const PK::UniString& name, const PK::UniString& editionVersion) {
    ClassificationSystem system;
    system.system.guid = PK::Guid::Generate();
    system.system.name = name;
    system.system.editionVersion = editionVersion;
    const API_Guid guid = system.system.guid;
    _state->systems.Add(guid, std::move(system));
    return guid;
}

API_Guid Project::AddClassificationItem(const API_Guid& system, const PK::UniString& id, const API_Guid& parent,
                                        const PK::UniString& name) {
    Detail::ProjectState& s = *_state;
    Existing(s.systems, system, "classification system");
    if (!parent.IsNull() && Existing(s.items, parent, "classification item").system != system)
        throw std::invalid_argument("TVSim: parent item of another system");
    ClassificationItem item;
    item.item.guid = PK::Guid::Generate();
    item.item.id = id;
    item.item.name = name;
    item.system = system;
    item.parent = parent;
    s.AddItem(item);
    return item.item.guid;
}

void Project::ChangeClassificationItem(const API_Guid& item, const PK::UniString& id, const PK::UniString& name) {
    ClassificationItem& found = Existing(_state->items, item, "classification item");
    auto& ids = _state->itemIds[found.system];
    if (PK::USize* count = ids.GetPtr(found.item.id); count != nullptr && --*count == 0) ids.Delete(found.item.id);
    ++ids[id];
    found.item.id = id;
    found.item.name = name;
    Detail::QueueProjectEvent(APINotify_ClassificationItemChanged);
}

void Project::DeleteClassificationItem(const API_Guid& item) {
    Existing(_state->items, item, "classification item");
    _state->RemoveItemTree(item);
}

void Project::DeleteClassificationSystem(const API_Guid& system) {
    PK::Array<API_Guid> roots = Existing(_state->systems, system, "classification system").rootItems;
    for (const API_Guid& item : roots) _state->RemoveItemTree(item);
    _state->systems.Delete(system);
    _state->itemIds.Delete(system);
}

void Project::Classify(const API_Guid& element, const API_Guid& item) {
    Existing(_state->items, item, "classification item");
    _state->Classify(Existing(_state->elements, element, "element"), item);
}

void Project::Unclassify(const API_Guid& element, const API_Guid& system) {
    _state->Unclassify(Existing(_state->elements, element, "element"), system);
}

API_Guid Project::GetItemOf(const API_Guid& element, const API_Guid& system) const {
    const API_Guid* item = Existing(_state->elements, element, "element").classification.GetPtr(system);
    return item != nullptr ? *item : APINULLGuid;
}

PK::Array<API_Guid> Project::GetClassificationSystems() const { return Detail::KeysInHostOrder(_state->systems); }

const ClassificationSystem& Project::GetClassificationSystem(const API_Guid& system) const {
    return Existing(_state->systems, system, "classification system");
}

const ClassificationItem& Project::GetClassificationItem(const API_Guid& item) const {
    return Existing(_state->items, item, "classification item");
}

bool Project::HasClassificationItem(const API_Guid& item) const { return _state->items.ContainsKey(item); }

API_Guid Project::FindClassificationItem(const API_Guid& system, const PK::UniString& id) const {
    for (const auto& [guid, item] : _state->items)
        if (item.system == system && item.item.id == id) return guid;
    return APINULLGuid;
}

// ---- properties ----

API_Guid Project::AddPropertyGroup(const PK::UniString& name) {
    PropertyGroup group;
    group.group.guid = PK::Guid::Generate();
    group.group.groupType = API_PropertyCustomGroupType;
    group.group.name = name;
    const API_Guid guid = group.group.guid;
    _state->groups.Add(guid, std::move(group));
    return guid;
}

API_Guid Project::AddPropertyDefinition(const API_Guid& group, const PK::UniString& name,
                                        const PK::Array<API_Guid>& availability, const PK::UniString& defaultText) {
    Existing(_state->groups, group, "property group");
    PropertyDefinition definition;
    API_PropertyDefinition& d = definition.definition;
    d.guid = PK::Guid::Generate();
    d.groupGuid = group;
    d.name = name;
    d.definitionType = API_PropertyCustomDefinitionType;
    d.collectionType = API_PropertySingleCollectionType;
    d.valueType = API_PropertyStringValueType;
    d.measureType = API_PropertyDefaultMeasureType;
    d.defaultValue.basicValue.variantStatus = API_VariantStatusNormal;
    d.defaultValue.basicValue.singleVariant.variant.type = API_PropertyStringValueType;
    d.defaultValue.basicValue.singleVariant.variant.uniStringValue = defaultText;
    d.canValueBeEditable = true;
    d.availability = availability;
    return AddPropertyDefinition(d);
}

API_Guid Project::AddPropertyDefinition(const API_PropertyDefinition& record) {
    PropertyGroup& group = Existing(_state->groups, record.groupGuid, "property group");
    PropertyDefinition definition{record, {}};
    definition.definition.guid = NewGuidUnless(record.guid);
    const API_Guid guid = definition.definition.guid;
    if (!_state->definitions.Add(guid, std::move(definition)))
        throw std::invalid_argument("TVSim: property definition guid already used");
    group.definitions.Push(guid);
    SetAvailability(_state->definitions.Get(guid), record.availability);
    Detail::QueueProjectEvent(APINotify_PropertyDefinitionChanged);
    return guid;
}

void Project::DeletePropertyGroup(const API_Guid& group) {
    PK::Array<API_Guid> definitions = Existing(_state->groups, group, "property group").definitions;
    for (const API_Guid& definition : definitions) {
        _state->definitions.Delete(definition);
        Detail::QueueProjectEvent(APINotify_PropertyDefinitionChanged);
    }
    _state->groups.Delete(group);
}

void Project::DeletePropertyDefinition(const API_Guid& definition) {
    const API_Guid group = Existing(_state->definitions, definition, "property definition").definition.groupGuid;
    _state->groups.Get(group).definitions.DeleteAll(definition);
    _state->definitions.Delete(definition);
    Detail::QueueProjectEvent(APINotify_PropertyDefinitionChanged);
}

void Project::SetPropertyAvailability(const API_Guid& definition, const PK::Array<API_Guid>& items) {
    SetAvailability(Existing(_state->definitions, definition, "property definition"), items);
    Detail::QueueProjectEvent(APINotify_PropertyDefinitionChanged);
}

void Project::SetPropertyValue(const API_Guid& element, const API_Guid& definition, const API_PropertyValue& value) {
    Existing(_state->definitions, definition, "property definition");
    Element& e = Existing(_state->elements, element, "element");
    e.values.Put(definition, std::make_shared<const API_PropertyValue>(value));
    _state->Touch(e);
}

void Project::SetPropertyText(const API_Guid& element, const API_Guid& definition, const PK::UniString& text) {
    API_PropertyValue value;
    value.variantStatus = API_VariantStatusNormal;
    value.singleVariant.variant.type = API_PropertyStringValueType;
    value.singleVariant.variant.uniStringValue = text;
    SetPropertyValue(element, definition, value);
}

const API_PropertyValue* Project::GetPropertyValue(const API_Guid& element, const API_Guid& definition) const {
    Existing(_state->definitions, definition, "property definition");
    const auto* value = Existing(_state->elements, element, "element").values.GetPtr(definition);
    return value != nullptr ? value->get() : nullptr;
}

PK::UniString Project::GetPropertyText(const API_Guid& element, const API_Guid& definition) const {
    if (const API_PropertyValue* value = GetPropertyValue(element, definition))
        return value->singleVariant.variant.uniStringValue;
    return _state->definitions.Get(definition).definition.defaultValue.basicValue.singleVariant.variant.uniStringValue;
}

PK::Array<API_Guid> Project::GetPropertyGroups() const { return Detail::KeysInHostOrder(_state->groups); }

const PropertyGroup& Project::GetPropertyGroup(const API_Guid& group) const {
    return Existing(_state->groups, group, "property group");
}

const PropertyDefinition& Project::GetPropertyDefinition(const API_Guid& definition) const {
    return Existing(_state->definitions, definition, "property definition");
}

bool Project::HasPropertyGroup(const API_Guid& group) const { return _state->groups.ContainsKey(group); }

bool Project::HasPropertyDefinition(const API_Guid& definition) const {
    return _state->definitions.ContainsKey(definition);
}

API_Guid Project::FindPropertyGroup(const PK::UniString& name) const {
    for (const auto& [guid, group] : _state->groups)
        if (group.group.name == name) return guid;
    return APINULLGuid;
}

API_Guid Project::FindPropertyDefinition(const API_Guid& group, const PK::UniString& name) const {
    for (const API_Guid& guid : Existing(_state->groups, group, "property group").definitions)
        if (_state->definitions.Get(guid).definition.name == name) return guid;
    return APINULLGuid;
}

// ---- module data ----

void Project::StoreModulData(const PK::UniString& name, const ModulData& data) { _state->modulData.Put(name, data); }

void Project::EraseModulData(const PK::UniString& name) { _state->modulData.Delete(name); }

const ModulData* Project::GetModulData(const PK::UniString& name) const { return _state->modulData.GetPtr(name); }

PK::Array<PK::UniString> Project::GetModulDataNames() const { return Detail::KeysInHostOrder(_state->modulData); }

// ---- add-on objects ----

API_Guid Project::AddAddOnObject(const PK::UniString& name, const Bytes& content) {
    if (_state->addOnObjectsByName.ContainsKey(name)) throw std::invalid_argument("TVSim: add-on object name used");
    AddOnObject object;
    object.guid = PK::Guid::Generate();
    object.name = name;
    object.content = content;
    const API_Guid guid = object.guid;
    _state->addOnObjects.Add(guid, std::move(object));
    _state->addOnObjectsByName.Add(name, guid);
    return guid;
}

void Project::SetAddOnObjectContent(const API_Guid& object, const Bytes& content) {
    Existing(_state->addOnObjects, object, "add-on object").content = content;
}

void Project::DeleteAddOnObject(const API_Guid& object) {
    _state->addOnObjectsByName.Delete(Existing(_state->addOnObjects, object, "add-on object").name);
    _state->addOnObjects.Delete(object);
}

void Project::ReserveAddOnObjectByOther(const API_Guid& object, const PK::UniString& member) {
    AddOnObject& o = Existing(_state->addOnObjects, object, "add-on object");
    o.reservedByMe = false;
    o.reservedBy = member;
}

void Project::ReleaseAddOnObject(const API_Guid& object) {
    AddOnObject& o = Existing(_state->addOnObjects, object, "add-on object");
    o.reservedByMe = false;
    o.reservedBy.Clear();
}

const AddOnObject* Project::FindAddOnObject(const PK::UniString& name) const {
    const API_Guid* guid = _state->addOnObjectsByName.GetPtr(name);
    return guid != nullptr ? _state->addOnObjects.GetPtr(*guid) : nullptr;
}

const AddOnObject* Project::GetAddOnObject(const API_Guid& object) const { return _state->addOnObjects.GetPtr(object); }

// ---- team work ----

void Project::SetShared(bool shared) {
    // Joining team work, nobody has reserved the set yet.
    if (shared && !_state->shared) _state->lockableStatus = APILockableStatus_Free;
    _state->shared = shared;
}

bool Project::IsShared() const { return _state->shared; }

void Project::SetLockableStatus(API_LockableStatus status, const PK::Array<PK::UniString>& holders) {
    _state->lockableStatus = status;
    _state->lockableHolders = holders;
}

void Project::ReserveClassificationsAndProperties() {
    if (!Detail::TeamworkReserveSet(*_state, true)) SetLockableStatus(APILockableStatus_Editable);
}

void Project::ReleaseClassificationsAndProperties() {
    if (!Detail::TeamworkReserveSet(*_state, false)) SetLockableStatus(APILockableStatus_Free);
}

API_Guid Project::GetLockableSetGuid() const { return _state->lockableSet; }

void Project::SetClassificationAccessRight(bool granted) { _state->classificationAccess = granted; }

void Project::SetPropertyAccessRight(bool granted) { _state->propertyAccess = granted; }

// ---- project information ----

void Project::SetSaved(const PK::UniString& name, const PK::UniString& path) {
    _state->info = ProjectInfoTexts{false, name, path};
}

void Project::SetInfo(const ProjectInfoTexts& info) { _state->info = info; }

const ProjectInfoTexts& Project::GetInfo() const { return _state->info; }

// ---- selection and zoom ----

void Project::SetSelection(const PK::Array<API_Guid>& elements) {
    GuidSet selection;
    for (const API_Guid& guid : elements) {
        Existing(_state->elements, guid, "element");
        selection.insert(guid);
    }
    if (selection == _state->selection) return;
    _state->selection = std::move(selection);
    Detail::QueueSelectionChanged();
}

PK::Array<API_Guid> Project::GetSelection() const {
    return PK::Array<API_Guid>(_state->selection.begin(), _state->selection.end());
}

void Project::SetMarquee(API_SelTypeID type, PK::Int32 coordCount) {
    _state->marqueeType = type;
    _state->marqueeCoords = coordCount;
}

const std::vector<PK::Array<API_Guid>>& Project::GetZooms() const { return _state->zooms; }

// ---- windows, stories, 3D ----

API_Guid Project::AddWindow(API_WindowTypeID type, PK::Int32 index, const PK::UniString& title) {
    API_WindowInfo info;
    info.typeID = type;
    info.index = index;
    info.databaseUnId = PK::Guid::Generate();
    info.title = title;
    _state->windows.Add(info.databaseUnId, info);
    return info.databaseUnId;
}

void Project::SetCurrentWindow(const API_Guid& database) {
    Existing(_state->windows, database, "window");
    _state->ChangeCurrentWindow(database);
}

API_WindowInfo Project::GetCurrentWindow() const { return _state->windows.Get(_state->currentWindow); }

API_Guid Project::FindWindow(API_WindowTypeID type) const {
    for (const auto& [guid, info] : _state->windows)
        if (info.typeID == type) return guid;
    return APINULLGuid;
}

void Project::SetStories(PK::Int16 firstStory, const std::vector<PK::UniString>& names) {
    if (names.empty()) throw std::invalid_argument("TVSim: a project has at least one story");
    _state->stories.clear();
    for (std::size_t i = 0; i < names.size(); ++i)
        _state->stories.push_back(
            {static_cast<PK::Int16>(firstStory + static_cast<PK::Int16>(i)), names[i], 3.0 * static_cast<double>(i)});
    if (_state->currentStory < firstStory || _state->currentStory > _state->stories.back().index)
        _state->ChangeCurrentStory(firstStory);
}

void Project::SetCurrentStory(PK::Int16 story) {
    if (story < _state->stories.front().index || story > _state->stories.back().index)
        throw std::out_of_range("TVSim: no such story");
    _state->ChangeCurrentStory(story);
}

PK::Int16 Project::GetCurrentStory() const { return _state->currentStory; }

const std::vector<Story>& Project::GetStories() const { return _state->stories; }

void Project::SetStoryHandleDefect(StoryHandleDefect defect) { _state->storyDefect = defect; }

void Project::Set3DProjection(const API_3DProjectionInfo& info) { _state->projection = info; }

const API_3DProjectionInfo& Project::Get3DProjection() const { return _state->projection; }

API_Guid Project::AddNavigatorItem(const API_NavigatorItem& item) {
    API_NavigatorItem copy = item;
    copy.guid = NewGuidUnless(item.guid);
    _state->navigatorItems.Put(copy.guid, copy);
    return copy.guid;
}

// ---- commands ----

const std::vector<UndoStep>& Project::GetUndoSteps() const { return _state->undoSteps; }

}  // namespace TVSim
