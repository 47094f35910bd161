#include "Tessary/Implementation/PageCallFrame.hpp"

#include "DG/JSArray.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Implementation {

std::optional<PageCallFrame::Strings> PageCallFrame::TakeStrings(const char* name, const DG::JSRef& argument,
                                                                 PK::USize count) {
    if (argument == nullptr) {
        LOG_ERROR("failed assertion: paramArray != nullptr");
        return std::nullopt;
    }
    const PK::Ref<DG::JSArray> array = argument.As<DG::JSArray>();
    const PK::Array<DG::JSRef>& items = array->GetItemArray();
    if (items.GetSize() < count) {
        LOG_ERROR("{}: parameter number is incorrect: {}", name, items.GetSize());
        return std::nullopt;
    }
    if (items.GetSize() > count) LOG_WARN("failed assertion: array.GetSize() == {}", count);

    Strings strings;
    strings._items.Reserve(count);
    for (PK::USize i = 0; i < count; ++i) strings._items.Push(items[i].As<DG::JSValue>());
    for (const PK::Ref<DG::JSValue>& item : strings._items) {
        if (item->GetType() != DG::JSValue::STRING) {
            LOG_ERROR("{}: value type mismatch", name);
            return std::nullopt;
        }
    }
    return strings;
}

DG::JSRef PageCallFrame::EmptyValue() { return PK::NewRef<DG::JSValue>(); }

}  // namespace TessaryConnect::Implementation
