#include "Tessary/Implementation/PageCalls.hpp"

#include <memory>
#include <optional>

#include "DG/JSValue.hpp"
#include "PK/HashTable.hpp"
#include "Tessary/Api/AssociableType.hpp"
#include "Tessary/Api/Properties.hpp"
#include "Tessary/Api/Tessary.hpp"
#include "Tessary/Api/TessaryCallbackApi.hpp"
#include "Tessary/Implementation/PageCallFrame.hpp"
#include "Tessary/Implementation/PageJson.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Implementation {

namespace {

using Frame = PageCallFrame;

// The string members of a JSON object, the later of two equal names winning;
// other members are logged and left out.
Api::Properties ReadProperties(const rapidjson::Value& object) {
    Api::Properties properties;
    for (const auto& member : object.GetObject()) {
        if (!member.value.IsString()) {
            LOG_ERROR("Not a string: property: {}", PageJson::Utf8(member.name));
            continue;
        }
        properties.Put(PageJson::Text(member.name), PageJson::Text(member.value));
    }
    return properties;
}

// associationRequested and removeAssociationRequested: the JSON is read
// before the callbacks are looked up, so a bad text is logged either way.
template <typename Operation>
DG::JSRef AssociationCall(const char* name, Api::Tessary& page, const DG::JSRef& argument,
                          Operation operation) noexcept {
    return Frame::Run(name, argument, [&] {
        const auto strings = Frame::TakeStrings(name, argument, 4);
        if (!strings) return Frame::EmptyValue();
        const std::optional<rapidjson::Document> document = PageJson::ParseObject((*strings)[3]);
        if (!document) return Frame::EmptyValue();
        const Api::Properties properties = ReadProperties(*document);
        if (const std::shared_ptr<Api::TessaryCallbackApi> callbacks = page.GetCallbackApi())
            ((*callbacks).*operation)((*strings)[0], (*strings)[1], (*strings)[2], properties);
        return Frame::EmptyValue();
    });
}

}  // namespace

DG::JSRef PageCalls::SelectInstancesOfType(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    return Frame::Run("selectInstancesOfType", argument, [&] {
        const PK::Ref<DG::JSValue> typeId = argument.As<DG::JSValue>();  // an empty argument stays empty
        if (typeId == nullptr || typeId->GetType() != DG::JSValue::STRING) {
            LOG_ERROR("failed assertion: param != nullptr && param->GetType() == DG::JSValue::STRING");
            return Frame::EmptyValue();
        }
        if (const std::shared_ptr<Api::TessaryCallbackApi> callbacks = page.GetCallbackApi())
            callbacks->Handle_selectInstancesOfType(typeId->GetString());
        return Frame::EmptyValue();
    });
}

DG::JSRef PageCalls::GetAllTypesInDocument(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    static const char name[] = "getAllTypesInDocument";
    return Frame::Run(name, argument, [&] {
        const auto strings = Frame::TakeStrings(name, argument, 2);
        if (!strings) return Frame::EmptyValue();
        const std::shared_ptr<Api::TessaryCallbackApi> callbacks = page.GetCallbackApi();
        if (!callbacks) return Frame::EmptyValue();

        const PK::UniString& json = (*strings)[1];
        const std::optional<rapidjson::Document> document = PageJson::ParseArray(json);
        if (!document) return Frame::EmptyValue();
        PK::Array<PK::UniString> propertyNames;
        for (const rapidjson::Value& element : document->GetArray()) {
            if (!element.IsString()) {
                LOG_ERROR("Not a string: {}", PageJson::Utf8(json));
                continue;
            }
            propertyNames.Push(PageJson::Text(element));
        }

        const PK::UniString answer =
            Api::AssociableType::ArrayToJSON(callbacks->Handle_getAllTypesInDocument((*strings)[0], propertyNames));
        LOG_DEBUG("TessaryBrowser::getAllTypesInDocument returns: {}", PageJson::Utf8(answer));
        return DG::JSRef(PK::NewRef<DG::JSValue>(answer));
    });
}

DG::JSRef PageCalls::UpdateProperties(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    static const char name[] = "updateProperties";
    return Frame::Run(name, argument, [&] {
        const auto strings = Frame::TakeStrings(name, argument, 3);
        if (!strings) return Frame::EmptyValue();
        const std::shared_ptr<Api::TessaryCallbackApi> callbacks = page.GetCallbackApi();
        if (!callbacks) return Frame::EmptyValue();

        const std::optional<rapidjson::Document> document = PageJson::ParseObject((*strings)[2]);
        if (!document) return Frame::EmptyValue();
        PK::HashTable<PK::UniString, Api::Properties> propertiesByClauseId;
        for (const auto& clause : document->GetObject()) {
            if (!clause.value.IsObject()) {
                LOG_ERROR("Not an object: property: {}", PageJson::Utf8(clause.name));
                continue;
            }
            // A clause named again replaces the whole earlier clause.
            propertiesByClauseId.Put(PageJson::Text(clause.name), ReadProperties(clause.value));
        }

        callbacks->Handle_updateProperties((*strings)[0], (*strings)[1], propertiesByClauseId);
        return Frame::EmptyValue();
    });
}

DG::JSRef PageCalls::SpecOpened(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    static const char name[] = "specOpened";
    return Frame::Run(name, argument, [&] {
        if (const auto s = Frame::TakeStrings(name, argument, 4))
            if (const std::shared_ptr<Api::TessaryCallbackApi> callbacks = page.GetCallbackApi())
                callbacks->Handle_specOpened((*s)[0], (*s)[1], (*s)[2], (*s)[3]);
        return Frame::EmptyValue();
    });
}

DG::JSRef PageCalls::SpecAssociationRequested(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    static const char name[] = "specAssociationRequested";
    return Frame::Run(name, argument, [&] {
        if (const auto s = Frame::TakeStrings(name, argument, 6))
            if (const std::shared_ptr<Api::TessaryCallbackApi> callbacks = page.GetCallbackApi())
                callbacks->Handle_specAssociationRequested((*s)[0], (*s)[1], (*s)[2], (*s)[3], (*s)[4], (*s)[5]);
        return Frame::EmptyValue();
    });
}

DG::JSRef PageCalls::RemoveSpecAssociationRequested(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    static const char name[] = "removeSpecAssociationRequested";
    return Frame::Run(name, argument, [&] {
        if (const auto s = Frame::TakeStrings(name, argument, 3))
            if (const std::shared_ptr<Api::TessaryCallbackApi> callbacks = page.GetCallbackApi())
                callbacks->Handle_removeSpecAssociationRequested((*s)[0], (*s)[1], (*s)[2]);
        return Frame::EmptyValue();
    });
}

DG::JSRef PageCalls::AssociationRequested(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    return AssociationCall("associationRequested", page, argument,
                           &Api::TessaryCallbackApi::Handle_associationRequested);
}

DG::JSRef PageCalls::RemoveAssociationRequested(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    return AssociationCall("removeAssociationRequested", page, argument,
                           &Api::TessaryCallbackApi::Handle_removeAssociationRequested);
}

}  // namespace TessaryConnect::Implementation
