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

namespace TessaryConnect::Implementation {

namespace {

using Frame = PageCallFrame;
using Callbacks = std::shared_ptr<Api::TessaryCallbackApi>;

// The string members of a JSON object, the later of two equal names winning;
// other members are logged and left out.
Api::Properties ReadProperties(const Frame& frame, const rapidjson::Value& object) {
    Api::Properties properties;
    for (const auto& member : object.GetObject()) {
        if (!member.value.IsString()) {
            frame.Log(spdlog::level::err, "Not a string: property: {}", PageJson::Utf8(member.name));
            continue;
        }
        properties.Put(PageJson::Text(member.name), PageJson::Text(member.value));
    }
    return properties;
}

// associationRequested and removeAssociationRequested: the JSON is read
// before the callbacks are looked up, so a bad text is logged either way.
template <typename Operation>
DG::JSRef AssociationCall(const Frame& frame, Api::Tessary& page, const DG::JSRef& argument,
                          Operation operation) noexcept {
    return frame.Run(argument, [&] {
        const auto strings = frame.TakeStrings(argument, 4);
        if (!strings) return Frame::EmptyValue();
        const std::optional<rapidjson::Document> document = PageJson::ParseObject(frame, (*strings)[3]);
        if (!document) return Frame::EmptyValue();
        const Api::Properties properties = ReadProperties(frame, *document);
        if (const Callbacks callbacks = page.GetCallbackApi())
            ((*callbacks).*operation)((*strings)[0], (*strings)[1], (*strings)[2], properties);
        return Frame::EmptyValue();
    });
}

}  // namespace

DG::JSRef PageCalls::SelectInstancesOfType(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    const Frame frame("selectInstancesOfType", TC_SOURCE_LOC);
    return frame.Run(argument, [&] {
        const PK::Ref<DG::JSValue> typeId = argument.As<DG::JSValue>();  // an empty argument stays empty
        if (typeId == nullptr || typeId->GetType() != DG::JSValue::STRING) {
            frame.Log(spdlog::level::err,
                      "failed assertion: param != nullptr && param->GetType() == DG::JSValue::STRING");
            return Frame::EmptyValue();
        }
        if (const Callbacks callbacks = page.GetCallbackApi())
            callbacks->Handle_selectInstancesOfType(typeId->GetString());
        return Frame::EmptyValue();
    });
}

DG::JSRef PageCalls::GetAllTypesInDocument(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    const Frame frame("getAllTypesInDocument", TC_SOURCE_LOC);
    return frame.Run(argument, [&] {
        const auto strings = frame.TakeStrings(argument, 2);
        if (!strings) return Frame::EmptyValue();
        const Callbacks callbacks = page.GetCallbackApi();
        if (!callbacks) return Frame::EmptyValue();

        const PK::UniString& json = (*strings)[1];
        const std::optional<rapidjson::Document> document = PageJson::ParseArray(frame, json);
        if (!document) return Frame::EmptyValue();
        PK::Array<PK::UniString> propertyNames;
        for (const rapidjson::Value& element : document->GetArray()) {
            if (!element.IsString()) {
                frame.Log(spdlog::level::err, "Not a string: {}", PageJson::Utf8(json));
                continue;
            }
            propertyNames.Push(PageJson::Text(element));
        }

        const PK::UniString answer =
            Api::AssociableType::ArrayToJSON(callbacks->Handle_getAllTypesInDocument((*strings)[0], propertyNames));
        frame.Log(spdlog::level::debug, "TessaryBrowser::getAllTypesInDocument returns: {}", PageJson::Utf8(answer));
        return DG::JSRef(PK::NewRef<DG::JSValue>(answer));
    });
}

DG::JSRef PageCalls::UpdateProperties(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    const Frame frame("updateProperties", TC_SOURCE_LOC);
    return frame.Run(argument, [&] {
        const auto strings = frame.TakeStrings(argument, 3);
        if (!strings) return Frame::EmptyValue();
        const Callbacks callbacks = page.GetCallbackApi();
        if (!callbacks) return Frame::EmptyValue();

        const std::optional<rapidjson::Document> document = PageJson::ParseObject(frame, (*strings)[2]);
        if (!document) return Frame::EmptyValue();
        PK::HashTable<PK::UniString, Api::Properties> propertiesByClauseId;
        for (const auto& clause : document->GetObject()) {
            if (!clause.value.IsObject()) {
                frame.Log(spdlog::level::err, "Not an object: property: {}", PageJson::Utf8(clause.name));
                continue;
            }
            // A clause named again replaces the whole earlier clause.
            propertiesByClauseId.Put(PageJson::Text(clause.name), ReadProperties(frame, clause.value));
        }

        callbacks->Handle_updateProperties((*strings)[0], (*strings)[1], propertiesByClauseId);
        return Frame::EmptyValue();
    });
}

DG::JSRef PageCalls::SpecOpened(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    const Frame frame("specOpened", TC_SOURCE_LOC);
    return frame.Run(argument, [&] {
        if (const auto s = frame.TakeStrings(argument, 4))
            if (const Callbacks callbacks = page.GetCallbackApi())
                callbacks->Handle_specOpened((*s)[0], (*s)[1], (*s)[2], (*s)[3]);
        return Frame::EmptyValue();
    });
}

DG::JSRef PageCalls::SpecAssociationRequested(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    const Frame frame("specAssociationRequested", TC_SOURCE_LOC);
    return frame.Run(argument, [&] {
        if (const auto s = frame.TakeStrings(argument, 6))
            if (const Callbacks callbacks = page.GetCallbackApi())
                callbacks->Handle_specAssociationRequested((*s)[0], (*s)[1], (*s)[2], (*s)[3], (*s)[4], (*s)[5]);
        return Frame::EmptyValue();
    });
}

DG::JSRef PageCalls::RemoveSpecAssociationRequested(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    const Frame frame("removeSpecAssociationRequested", TC_SOURCE_LOC);
    return frame.Run(argument, [&] {
        if (const auto s = frame.TakeStrings(argument, 3))
            if (const Callbacks callbacks = page.GetCallbackApi())
                callbacks->Handle_removeSpecAssociationRequested((*s)[0], (*s)[1], (*s)[2]);
        return Frame::EmptyValue();
    });
}

DG::JSRef PageCalls::AssociationRequested(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    return AssociationCall(Frame("associationRequested", TC_SOURCE_LOC), page, argument,
                           &Api::TessaryCallbackApi::Handle_associationRequested);
}

DG::JSRef PageCalls::RemoveAssociationRequested(Api::Tessary& page, const DG::JSRef& argument) noexcept {
    return AssociationCall(Frame("removeAssociationRequested", TC_SOURCE_LOC), page, argument,
                           &Api::TessaryCallbackApi::Handle_removeAssociationRequested);
}

}  // namespace TessaryConnect::Implementation
