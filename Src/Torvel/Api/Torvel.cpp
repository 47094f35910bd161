#include "Torvel/Api/Torvel.hpp"

#include <exception>

#include "Util/AddonRuntimeError.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Api {

namespace {

// Depth-first pre-order; no host call is made after the first match.
bool FindInItems(Torvel& torvel, const PK::Array<API_ClassificationItem>& items, const PK::UniString& id,
                 API_ClassificationItem& result) {
    for (const API_ClassificationItem& item : items) {
        if (item.id == id) {
            result = item;
            return true;
        }
        if (FindInItems(torvel, torvel.Classification_GetClassificationItemChildren(item.guid), id, result))
            return true;
    }
    return false;
}

void FlattenItems(Torvel& torvel, const PK::Array<API_ClassificationItem>& items,
                  PK::Array<API_ClassificationItem>& result) {
    for (const API_ClassificationItem& item : items) {
        result.Push(item);
        FlattenItems(torvel, torvel.Classification_GetClassificationItemChildren(item.guid), result);
    }
}

}  // namespace

PK::UniString Torvel::GetResource(const Util::Resource::String& string) {
    return GetResourceString(string.resID, string.index);
}

void Torvel::CallUndoableCommand(const PK::UniString& undoName, const std::function<void(Torvel&)>& command) {
    CallUndoableCommand(undoName, Command([this, &command]() { command(*this); }));
}

void Torvel::Helper_CallCommandAndRethrow(CommandKind kind, const PK::UniString& name, const Command& body) {
    std::exception_ptr failure;
    bool ran = false;
    const Command command([&] {
        ran = true;
        try {
            body();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (kind == CommandKind::Undoable)
        CallUndoableCommand(name, command);
    else
        CallCommand(name, command);
    if (failure) std::rethrow_exception(failure);
    if (!ran) TC_THROW_RUNTIME(fmt::format("the host did not run the command \"{}\"", name));
}

void Torvel::Helper_ClearAndSelect(const PK::Array<PK::Guid>& elements) {
    PK::Array<API_Neig> neigs;
    neigs.Reserve(elements.GetSize());
    for (const PK::Guid& guid : elements) {
        API_Neig& neig = neigs.PushNew();
        neig.guid = guid;
    }
    Helper_ClearAndSelect(neigs);
}

void Torvel::Helper_ClearAndSelect(const PK::Array<API_Neig>& neigs) {
    Element_DeselectAll();
    Element_Select(neigs, true);
}

API_ClassificationItem Torvel::Helper_Classification_GetClassificationItemByIdInSystem(const PK::UniString& id,
                                                                                       const PK::Guid& system) {
    API_ClassificationItem result;
    FindInItems(*this, Classification_GetClassificationSystemRootItems(system), id, result);
    return result;
}

PK::Array<API_ClassificationItem> Torvel::Helper_Classification_GetAllClassificationItemsOfSystem(
    const PK::Guid& system) {
    PK::Array<API_ClassificationItem> result;
    FlattenItems(*this, Classification_GetClassificationSystemRootItems(system), result);
    return result;
}

PK::HashTable<PK::UniString, API_ClassificationItem> Torvel::Helper_Classification_GetClassificationItemsByIdInSystem(
    const PK::Guid& system) {
    PK::HashTable<PK::UniString, API_ClassificationItem> byId;
    for (const API_ClassificationItem& item : Helper_Classification_GetAllClassificationItemsOfSystem(system))
        byId.Add(item.id, item);
    return byId;
}

}  // namespace TessaryConnect::Api
