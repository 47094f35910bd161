#include "Tessary/Implementation/PageCallFrame.hpp"

#include "DG/JSArray.hpp"

namespace TessaryConnect::Implementation {

std::optional<PageCallFrame::Strings> PageCallFrame::TakeStrings(const DG::JSRef& argument, PK::USize count) const {
    if (argument == nullptr) {
        Log(spdlog::level::err, "failed assertion: paramArray != nullptr");
        return std::nullopt;
    }
    const PK::Ref<DG::JSArray> array = argument.As<DG::JSArray>();
    const PK::Array<DG::JSRef>& items = array->GetItemArray();
    if (items.GetSize() < count) {
        Log(spdlog::level::err, "{}: parameter number is incorrect: {}", _name, items.GetSize());
        return std::nullopt;
    }
    if (items.GetSize() > count) Log(spdlog::level::warn, "failed assertion: array.GetSize() == {}", count);

    Strings strings;
    strings._items.Reserve(count);
    for (PK::USize i = 0; i < count; ++i) strings._items.Push(items[i].As<DG::JSValue>());
    for (const PK::Ref<DG::JSValue>& item : strings._items) {
        if (item->GetType() != DG::JSValue::STRING) {
            Log(spdlog::level::err, "{}: value type mismatch", _name);
            return std::nullopt;
        }
    }
    return strings;
}

DG::JSRef PageCallFrame::EmptyValue() { return PK::NewRef<DG::JSValue>(); }

}  // namespace TessaryConnect::Implementation
