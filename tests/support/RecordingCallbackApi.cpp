#include "support/RecordingCallbackApi.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <utility>

#include "Util/Formatters.hpp"

namespace TestSupport {

using TessaryConnect::Api::AllState;
using TessaryConnect::Api::AssociableType;
using TessaryConnect::Api::Properties;

namespace {
// A text between double quotes, in UTF-8, with inner quotes escaped.
std::string Printed(const PK::UniString& text) { return fmt::format("{}", text); }
std::string Printed(bool value) { return value ? "true" : "false"; }
std::string Printed(const Properties& properties) { return properties.ToJSON().ToCStr(); }
std::string Printed(const PK::Array<PK::UniString>& texts) {
    std::vector<std::string> items;
    for (const auto& text : texts) items.push_back(Printed(text));
    return fmt::format("[{}]", fmt::join(items, ", "));
}
std::string Printed(const PK::HashTable<PK::UniString, Properties>& table) {
    std::vector<std::string> items;
    for (const auto& [key, properties] : table) items.push_back(Printed(key) + ": " + Printed(properties));
    return fmt::format("{{{}}}", fmt::join(items, ", "));
}
}  // namespace

template <typename... Args>
void RecordingCallbackApi::Record(const char* operation, const Args&... args) {
    const std::vector<std::string> printed{Printed(args)...};
    calls.push_back(fmt::format("{}({})", operation, fmt::join(printed, ", ")));
    if (afterCall) afterCall();
}

AllState RecordingCallbackApi::Handle_getAllState() {
    Record("Handle_getAllState");
    return allState;
}

void RecordingCallbackApi::Handle_selectInstancesOfType(const PK::UniString& typeId) {
    Record("Handle_selectInstancesOfType", typeId);
}

PK::Array<AssociableType> RecordingCallbackApi::Handle_getAllTypesInDocument(
    const PK::UniString& documentRef, const PK::Array<PK::UniString>& propertyNames) {
    Record("Handle_getAllTypesInDocument", documentRef, propertyNames);
    return typesInDocument;
}

void RecordingCallbackApi::Handle_updateProperties(const PK::UniString& documentRef, const PK::UniString& secondText,
                                                   const PK::HashTable<PK::UniString, Properties>& propertiesByClauseId) {
    Record("Handle_updateProperties", documentRef, secondText, propertiesByClauseId);
}

void RecordingCallbackApi::Handle_specOpened(const PK::UniString& projectId, const PK::UniString& specId,
                                             const PK::UniString& projectTitle, const PK::UniString& specTitle) {
    Record("Handle_specOpened", projectId, specId, projectTitle, specTitle);
}

void RecordingCallbackApi::Handle_specAssociationRequested(const PK::UniString& projectId,
                                                           const PK::UniString& specId,
                                                           const PK::UniString& projectTitle,
                                                           const PK::UniString& specTitle,
                                                           const PK::UniString& fifthText,
                                                           const PK::UniString& specType) {
    Record("Handle_specAssociationRequested", projectId, specId, projectTitle, specTitle, fifthText, specType);
}

void RecordingCallbackApi::Handle_removeSpecAssociationRequested(const PK::UniString& projectId,
                                                                 const PK::UniString& specId,
                                                                 const PK::UniString& documentRef) {
    Record("Handle_removeSpecAssociationRequested", projectId, specId, documentRef);
}

void RecordingCallbackApi::Handle_associationRequested(const PK::UniString& typeId, const PK::UniString& specId,
                                                       const PK::UniString& clauseId, const Properties& properties) {
    Record("Handle_associationRequested", typeId, specId, clauseId, properties);
}

void RecordingCallbackApi::Handle_removeAssociationRequested(const PK::UniString& typeId,
                                                             const PK::UniString& specId,
                                                             const PK::UniString& clauseId,
                                                             const Properties& properties) {
    Record("Handle_removeAssociationRequested", typeId, specId, clauseId, properties);
}

void RecordingCallbackApi::Handle_tvt_onlineStateChanged(bool online) {
    Record("Handle_tvt_onlineStateChanged", online);
}

}  // namespace TestSupport
