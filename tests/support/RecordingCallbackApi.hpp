#pragma once
// A page-callback interface that writes down every call it receives, one line per call with its arguments in printed
// form, and answers what the test set up. Calls can be made to throw to show how the caller copes.
#include <fmt/ranges.h>

#include "Tessary/Api/TessaryCallbackApi.hpp"

namespace TestSupport {

class RecordingCallbackApi : public TessaryConnect::Api::TessaryCallbackApi {
    using Text = PK::UniString;
    using Properties = TessaryConnect::Api::Properties;

public:
    // Lines such as: Handle_specOpened("p", "s", "pt", "st")
    std::vector<std::string> calls;
    // Answers of Handle_getAllState and Handle_getAllTypesInDocument.
    TessaryConnect::Api::AllState allState;
    PK::Array<TessaryConnect::Api::AssociableType> typesInDocument;
    // Run after each call is written down; may throw.
    std::function<void()> afterCall;

    TessaryConnect::Api::AllState Handle_getAllState() override { return Record("Handle_getAllState"), allState; }
    void Handle_selectInstancesOfType(const Text& typeId) override { Record("Handle_selectInstancesOfType", typeId); }
    PK::Array<TessaryConnect::Api::AssociableType> Handle_getAllTypesInDocument(
        const Text& documentRef, const PK::Array<Text>& propertyNames) override {
        return Record("Handle_getAllTypesInDocument", documentRef, propertyNames), typesInDocument;
    }
    void Handle_updateProperties(const Text& documentRef, const Text& secondText,
                                 const PK::HashTable<Text, Properties>& propertiesByClauseId) override {
        Record("Handle_updateProperties", documentRef, secondText, propertiesByClauseId);
    }
    void Handle_specOpened(const Text& projectId, const Text& specId, const Text& projectTitle,
                           const Text& specTitle) override {
        Record("Handle_specOpened", projectId, specId, projectTitle, specTitle);
    }
    void Handle_specAssociationRequested(const Text& projectId, const Text& specId, const Text& projectTitle,
                                         const Text& specTitle, const Text& fifthText, const Text& specType) override {
        Record("Handle_specAssociationRequested", projectId, specId, projectTitle, specTitle, fifthText, specType);
    }
    void Handle_removeSpecAssociationRequested(const Text& projectId, const Text& specId,
                                               const Text& documentRef) override {
        Record("Handle_removeSpecAssociationRequested", projectId, specId, documentRef);
    }
    void Handle_associationRequested(const Text& typeId, const Text& specId, const Text& clauseId,
                                     const Properties& properties) override {
        Record("Handle_associationRequested", typeId, specId, clauseId, properties);
    }
    void Handle_removeAssociationRequested(const Text& typeId, const Text& specId, const Text& clauseId,
                                           const Properties& properties) override {
        Record("Handle_removeAssociationRequested", typeId, specId, clauseId, properties);
    }
    void Handle_tvt_onlineStateChanged(bool online) override { Record("Handle_tvt_onlineStateChanged", online); }

private:
    // A text between double quotes, in UTF-8, with inner quotes escaped.
    static std::string Printed(const Text& text) { return fmt::format("{}", text); }
    static std::string Printed(bool value) { return value ? "true" : "false"; }
    static std::string Printed(const Properties& properties) { return properties.ToJSON().ToCStr(); }
    static std::string Printed(const PK::Array<Text>& texts) {
        std::vector<std::string> items;
        for (const auto& text : texts) items.push_back(Printed(text));
        return fmt::format("[{}]", fmt::join(items, ", "));
    }
    static std::string Printed(const PK::HashTable<Text, Properties>& table) {
        std::vector<std::string> items;
        for (const auto& [key, properties] : table) items.push_back(Printed(key) + ": " + Printed(properties));
        return fmt::format("{{{}}}", fmt::join(items, ", "));
    }
    template <typename... Args>
    void Record(const char* operation, const Args&... args) {
        calls.push_back(fmt::format("{}({})", operation, fmt::join(std::vector<std::string>{Printed(args)...}, ", ")));
        if (afterCall) afterCall();
    }
};

}  // namespace TestSupport
