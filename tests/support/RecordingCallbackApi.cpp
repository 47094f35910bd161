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
std::string Quoted(const PK::UniString& text) { return fmt::format("{}", text); }

std::string PropertiesText(const Properties& properties) { return properties.ToJSON().ToCStr(); }
}  // namespace

void RecordingCallbackApi::Record(std::string line) {
    calls.push_back(std::move(line));
    if (afterCall) afterCall();
}

AllState RecordingCallbackApi::Handle_getAllState() {
    Record("Handle_getAllState()");
    return allState;
}

void RecordingCallbackApi::Handle_selectInstancesOfType(const PK::UniString& typeId) {
    Record(fmt::format("Handle_selectInstancesOfType({})", Quoted(typeId)));
}

PK::Array<AssociableType> RecordingCallbackApi::Handle_getAllTypesInDocument(
    const PK::UniString& documentRef, const PK::Array<PK::UniString>& propertyNames) {
    std::vector<std::string> names;
    for (const auto& name : propertyNames) names.push_back(Quoted(name));
    Record(fmt::format("Handle_getAllTypesInDocument({}, [{}])", Quoted(documentRef), fmt::join(names, ", ")));
    return typesInDocument;
}

void RecordingCallbackApi::Handle_updateProperties(const PK::UniString& documentRef, const PK::UniString& secondText,
                                                   const PK::HashTable<PK::UniString, Properties>& propertiesByClauseId) {
    std::vector<std::string> clauses;
    for (const auto& [clauseId, properties] : propertiesByClauseId)
        clauses.push_back(fmt::format("{}: {}", Quoted(clauseId), PropertiesText(properties)));
    Record(fmt::format("Handle_updateProperties({}, {}, {{{}}})", Quoted(documentRef), Quoted(secondText),
                       fmt::join(clauses, ", ")));
}

void RecordingCallbackApi::Handle_specOpened(const PK::UniString& projectId, const PK::UniString& specId,
                                             const PK::UniString& projectTitle, const PK::UniString& specTitle) {
    Record(fmt::format("Handle_specOpened({}, {}, {}, {})", Quoted(projectId), Quoted(specId), Quoted(projectTitle),
                       Quoted(specTitle)));
}

void RecordingCallbackApi::Handle_specAssociationRequested(const PK::UniString& projectId,
                                                           const PK::UniString& specId,
                                                           const PK::UniString& projectTitle,
                                                           const PK::UniString& specTitle,
                                                           const PK::UniString& fifthText,
                                                           const PK::UniString& specType) {
    Record(fmt::format("Handle_specAssociationRequested({}, {}, {}, {}, {}, {})", Quoted(projectId), Quoted(specId),
                       Quoted(projectTitle), Quoted(specTitle), Quoted(fifthText), Quoted(specType)));
}

void RecordingCallbackApi::Handle_removeSpecAssociationRequested(const PK::UniString& projectId,
                                                                 const PK::UniString& specId,
                                                                 const PK::UniString& documentRef) {
    Record(fmt::format("Handle_removeSpecAssociationRequested({}, {}, {})", Quoted(projectId), Quoted(specId),
                       Quoted(documentRef)));
}

void RecordingCallbackApi::Handle_associationRequested(const PK::UniString& typeId, const PK::UniString& specId,
                                                       const PK::UniString& clauseId, const Properties& properties) {
    Record(fmt::format("Handle_associationRequested({}, {}, {}, {})", Quoted(typeId), Quoted(specId),
                       Quoted(clauseId), PropertiesText(properties)));
}

void RecordingCallbackApi::Handle_removeAssociationRequested(const PK::UniString& typeId,
                                                             const PK::UniString& specId,
                                                             const PK::UniString& clauseId,
                                                             const Properties& properties) {
    Record(fmt::format("Handle_removeAssociationRequested({}, {}, {}, {})", Quoted(typeId), Quoted(specId),
                       Quoted(clauseId), PropertiesText(properties)));
}

void RecordingCallbackApi::Handle_tvt_onlineStateChanged(bool online) {
    Record(fmt::format("Handle_tvt_onlineStateChanged({})", online));
}

}  // namespace TestSupport
