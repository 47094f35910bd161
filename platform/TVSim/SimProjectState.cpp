// The simulated project's rules, shared by the host calls and the control
// calls: who may change what, which filter bits an element passes, and the
// bookkeeping that keeps classifications, the selection and the notifications
// they cause in step.
#include "TVSim/SimState.hpp"

namespace TVSim::Detail {

namespace {

template <typename Table>
auto KeysOf(const Table& table) {
    std::vector<std::decay_t<decltype(table.begin()->first)>> keys;
    for (const auto& entry : table) keys.push_back(entry.first);
    return keys;
}

}  // namespace

// Links to a gone entry come from changes that reservations (or the undo
// history) would have kept apart, unless a test made them.
void ProjectState::Reindex() {
    ProjectState& s = *this;
    for (bool dropped = true; dropped;) {
        dropped = false;
        for (const API_Guid& guid : KeysOf(s.items)) {
            const ClassificationItem& item = s.items.Get(guid);
            if (!s.systems.ContainsKey(item.system) || (!item.parent.IsNull() && !s.items.ContainsKey(item.parent))) {
                s.items.Delete(guid);
                dropped = true;
            }
        }
    }
    auto missingItem = [&](const API_Guid& item) { return !s.items.ContainsKey(item); };
    for (auto& [guid, system] : s.systems) system.rootItems.DeleteIf(missingItem);
    for (auto& [guid, item] : s.items) {
        item.children.DeleteIf(missingItem);
        item.elements.clear();
    }
    for (const API_Guid& guid : KeysOf(s.definitions))
        if (!s.groups.ContainsKey(s.definitions.Get(guid).definition.groupGuid)) s.definitions.Delete(guid);
    for (auto& [guid, definition] : s.definitions) {
        definition.definition.availability.DeleteIf(missingItem);
        definition.availability.Clear();
        for (const API_Guid& item : definition.definition.availability) definition.availability.Add(item);
    }
    for (auto& [guid, group] : s.groups)
        group.definitions.DeleteIf([&](const API_Guid& d) { return !s.definitions.ContainsKey(d); });

    s.itemIds.Clear();
    for (const auto& [guid, item] : s.items) ++s.itemIds[item.system][item.item.id];
    s.elementsByType.Clear();
    for (auto& [guid, element] : s.elements) {
        for (const API_Guid& system : KeysOf(element.classification)) {
            ClassificationItem* item = s.items.GetPtr(element.classification.Get(system));
            if (item == nullptr || item->system != system)
                element.classification.Delete(system);
            else
                item->elements.insert(guid);
        }
        s.elementsByType[element.head.typeID].insert(guid);
        element.ownedCount = 0;
    }
    for (const auto& [guid, element] : s.elements)
        if (Element* owner = s.FindElement(element.owner)) ++owner->ownedCount;
    s.addOnObjectsByName.Clear();
    for (const auto& [guid, object] : s.addOnObjects) s.addOnObjectsByName.Put(object.name, guid);
}

const Layer& ProjectState::LayerOf(const Element& element) const { return layers.Get(element.head.layer); }

bool ProjectState::InMyWorkspace(const Element& element) const {
    return !shared || element.reservation == Reservation::Mine;
}

PKErrCode ProjectState::ChangeRefusal(const Element& element) const {
    if (!element.head.hotlinkGuid.IsNull()) return APIERR_READONLY;
    if (!InMyWorkspace(element)) return APIERR_NOTMINE;
    const Layer& layer = LayerOf(element);
    if (layer.hidden) return APIERR_HIDDENLAY;
    if (layer.locked) return APIERR_LOCKEDLAY;
    if (element.head.lockId != 0) return APIERR_READONLY;
    return NoError;
}

bool ProjectState::PassesFilter(const Element& element, PK::UInt32 filterBits) const {
    if ((filterBits & APIFilt_IsEditable) && ChangeRefusal(element) != NoError) return false;
    if ((filterBits & APIFilt_OnVisLayer) && LayerOf(element).hidden) return false;
    if ((filterBits & APIFilt_OnActFloor) && element.head.floorInd != currentStory) return false;
    if ((filterBits & APIFilt_In3D) && !element.in3D) return false;
    if ((filterBits & APIFilt_InMyWorkspace) && !InMyWorkspace(element)) return false;
    if ((filterBits & APIFilt_VisibleByPhase) && !element.visibleByPhase) return false;
    if ((filterBits & APIFilt_InStructureView) && !element.inStructureView) return false;
    return true;
}

bool ProjectState::IsAvailable(const Element& element, const PropertyDefinition& definition) const {
    for (const auto& [system, item] : element.classification)
        if (definition.availability.Contains(item)) return true;
    return false;
}

// In team work the set must be reserved by this user: Free, Locked by
// another member and NotAvailable all refuse.
bool ProjectState::ClassificationAccessDenied() const {
    return !classificationAccess || (shared && lockableStatus != APILockableStatus_Editable);
}

bool ProjectState::PropertyAccessDenied() const {
    return !propertyAccess || (shared && lockableStatus != APILockableStatus_Editable);
}

bool ProjectState::ItemIdTaken(const API_Guid& system, const PK::UniString& id) const {
    const auto* ids = itemIds.GetPtr(system);
    return ids != nullptr && ids->ContainsKey(id);
}

void ProjectState::AddItem(const ClassificationItem& item, const API_Guid& next) {
    if (item.parent.IsNull())
        Keep(systems, item.system);
    else
        Keep(items, item.parent);
    Keep(items, item.item.guid);
    PK::Array<API_Guid>& siblings =
        item.parent.IsNull() ? systems.Get(item.system).rootItems : items.Get(item.parent).children;
    const PK::USize at = next.IsNull() ? siblings.GetSize() : siblings.FindFirst(next);
    siblings.Insert(at, item.item.guid);
    ++itemIds[item.system][item.item.id];
    items.Add(item.item.guid, item);
    QueueProjectEvent(APINotify_ClassificationItemChanged);
}

void ProjectState::Classify(Element& element, const API_Guid& item) {
    const API_Guid system = items.Get(item).system;
    if (const API_Guid* old = element.classification.GetPtr(system)) {
        if (*old == item) return;
        items.Get(*old).elements.erase(element.head.guid);
    }
    Keep(elements, element.head.guid);
    element.classification.Put(system, item);
    items.Get(item).elements.insert(element.head.guid);
}

void ProjectState::Unclassify(Element& element, const API_Guid& system) {
    if (const API_Guid* item = element.classification.GetPtr(system)) {
        Keep(elements, element.head.guid);
        items.Get(*item).elements.erase(element.head.guid);
        element.classification.Delete(system);
    }
}

void ProjectState::RemoveItemTree(const API_Guid& itemGuid) {
    Keep(items, itemGuid);
    ClassificationItem item = items.Get(itemGuid);
    for (const API_Guid& child : item.children) RemoveItemTree(child);
    for (const API_Guid& element : item.elements) {
        Keep(elements, element);
        elements.Get(element).classification.Delete(item.system);
    }
    for (auto& [guid, definition] : definitions) {
        if (!definition.availability.Contains(itemGuid)) continue;
        Keep(definitions, guid);
        definition.availability.Delete(itemGuid);
        definition.definition.availability.DeleteAll(itemGuid);
    }
    if (ClassificationItem* parent = items.GetPtr(item.parent)) {
        Keep(items, item.parent);
        parent->children.DeleteAll(itemGuid);
    } else if (ClassificationSystem* system = systems.GetPtr(item.system)) {
        Keep(systems, item.system);
        system->rootItems.DeleteAll(itemGuid);
    }
    if (auto* ids = itemIds.GetPtr(item.system)) {
        if (PK::USize* count = ids->GetPtr(item.item.id); count != nullptr && --*count == 0) ids->Delete(item.item.id);
    }
    items.Delete(itemGuid);
    QueueProjectEvent(APINotify_ClassificationItemChanged);
}

void ProjectState::Unlink(const API_Guid& guid) {
    const Element* element = FindElement(guid);
    if (element == nullptr) return;
    for (const auto& [system, item] : element->classification)
        if (ClassificationItem* found = items.GetPtr(item)) found->elements.erase(guid);
    if (GuidSet* ofType = elementsByType.GetPtr(element->head.typeID)) ofType->erase(guid);
    if (Element* owner = FindElement(element->owner); owner != nullptr && owner->ownedCount > 0) --owner->ownedCount;
}

void ProjectState::Link(const API_Guid& guid) {
    Element* element = FindElement(guid);
    if (element == nullptr) return;
    for (const API_Guid& system : KeysOf(element->classification)) {
        ClassificationItem* item = items.GetPtr(element->classification.Get(system));
        if (item == nullptr || item->system != system) {
            element->classification.Delete(system);
            Mark(guid);
        } else {
            item->elements.insert(guid);
        }
    }
    elementsByType[element->head.typeID].insert(guid);
    if (Element* owner = FindElement(element->owner)) ++owner->ownedCount;
}

void ProjectState::Settle(const PK::HashTable<API_Guid, ClassificationItem>& changedItems) {
    auto unclassify = [&](const ClassificationItem& gone) {
        for (const API_Guid& guid : gone.elements) {
            Element* element = FindElement(guid);
            const API_Guid* held = element != nullptr ? element->classification.GetPtr(gone.system) : nullptr;
            if (held == nullptr || *held != gone.item.guid) continue;
            element->classification.Delete(gone.system);
            Mark(guid);
        }
    };
    for (const auto& [guid, before] : changedItems) {
        if (ClassificationItem* now = items.GetPtr(guid))
            now->elements = before.elements;
        else
            unclassify(before);
    }
    for (bool dropped = true; dropped;) {
        dropped = false;
        for (const API_Guid& guid : KeysOf(items)) {
            const ClassificationItem& item = items.Get(guid);
            if (!systems.ContainsKey(item.system) || (!item.parent.IsNull() && !items.ContainsKey(item.parent))) {
                unclassify(item);
                items.Delete(guid);
                dropped = true;
            }
        }
    }
    auto missingItem = [&](const API_Guid& item) { return !items.ContainsKey(item); };
    for (auto& [guid, system] : systems) system.rootItems.DeleteIf(missingItem);
    for (auto& [guid, item] : items) item.children.DeleteIf(missingItem);
    for (const API_Guid& guid : KeysOf(definitions))
        if (!groups.ContainsKey(definitions.Get(guid).definition.groupGuid)) definitions.Delete(guid);
    for (auto& [guid, definition] : definitions) {
        definition.definition.availability.DeleteIf(missingItem);
        definition.availability.Clear();
        for (const API_Guid& item : definition.definition.availability) definition.availability.Add(item);
    }
    for (auto& [guid, group] : groups)
        group.definitions.DeleteIf([&](const API_Guid& d) { return !definitions.ContainsKey(d); });
    itemIds.Clear();
    for (const auto& [guid, item] : items) ++itemIds[item.system][item.item.id];
}

void ProjectState::RemoveElement(const API_Guid& guid) {
    Element element = elements.Get(guid);
    for (const auto& [system, item] : element.classification) items.Get(item).elements.erase(guid);
    elementsByType.Get(element.head.typeID).erase(guid);
    if (selection.erase(guid) > 0) QueueSelectionChanged();
    if (Element* owner = elements.GetPtr(element.owner); owner != nullptr && owner->ownedCount > 0) --owner->ownedCount;
    for (auto& [setGuid, set] : elementSets) set.elements.DeleteAll(guid);
    elements.Delete(guid);
    Mark(guid);
    deletedElements.Add(guid);
}

void ProjectState::Select(const API_Guid& guid, bool add) {
    const bool changed = add ? selection.insert(guid).second : selection.erase(guid) > 0;
    if (changed) QueueSelectionChanged();
}

void ProjectState::ChangeCurrentWindow(const API_Guid& database) {
    if (database == currentWindow) return;
    currentWindow = database;
    QueueProjectEvent(APINotify_ChangeWindow);
}

void ProjectState::ChangeCurrentStory(PK::Int16 story) {
    if (story == currentStory) return;
    currentStory = story;
    QueueProjectEvent(APINotify_ChangeFloor);
}

}  // namespace TVSim::Detail
