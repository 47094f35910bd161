// The page-state documents for 5,000 associable types, written as the page
// receives them, against bare RapidJSON writing the same text from the same
// data. The counter "ratio" is the add-on's time over the bare writer's, of
// the fastest of their runs in the same iterations; the goal is at most 1.5
// for the types in the document, 1.2 for the selection with a group.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

#include "Goals.hpp"
#include "Tessary/Api/AssociableType.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "Tessary/Api/SelectionState.hpp"
#include "Util/JsonWriter.hpp"

namespace {

using namespace TessaryConnect::Api;
using BareWriter =
    rapidjson::Writer<TessaryConnect::Json::Utf16Buffer, TessaryConnect::Json::Utf16, TessaryConnect::Json::Utf16>;

constexpr int kTypes = 5000;

PK::Array<AssociableType> MakeTypes() {
    PK::Array<AssociableType> types;
    types.Reserve(kTypes);
    for (int i = 0; i < kTypes; ++i) {
        const std::string n = std::to_string(i);
        Properties properties;
        properties.Add(Properties::Name::ClauseId, "clause-" + n);
        properties.Add(Properties::Name::Code, "A" + n);
        properties.Add(Properties::Name::Title, "Concrete walls, cast in place \u00e9 " + n);
        properties.Add(Properties::Name::Prefix, "Pre");
        properties.Add(Properties::Name::Suffix, "");
        properties.Add("Fire rating", "EI 60 \"tested\"");
        types.Push(AssociableType("clause-" + n, "A" + n + " Concrete walls", "Specification \u00e9tude", "Clause",
                                  properties, nullptr));
    }
    return types;
}

void BareString(BareWriter& writer, const PK::UniString& text) {
    writer.String(text.ToUStr().data(), static_cast<rapidjson::SizeType>(text.GetLength()));
}

void BareTexts(BareWriter& writer, const AssociableType& type) {
    writer.Key(u"id");
    BareString(writer, type.id);
    writer.Key(u"title");
    BareString(writer, type.title);
    writer.Key(u"subtitle");
    BareString(writer, type.subtitle);
    writer.Key(u"category");
    BareString(writer, type.category);
}

void BareType(BareWriter& writer, const AssociableType& type) {
    writer.StartObject();
    BareTexts(writer, type);
    writer.Key(u"properties");
    writer.StartObject();
    for (const auto& [name, value] : type.properties) {
        BareString(writer, name);
        BareString(writer, value);
    }
    writer.EndObject();
    writer.Key(u"subGroup");
    writer.Null();
    writer.EndObject();
}

PK::UniString TextOf(const TessaryConnect::Json::Utf16Buffer& buffer) {
    return PK::UniString(std::u16string(buffer.GetString(), buffer.GetSize() / sizeof(char16_t)));
}

// The answer to the page's request for every type of the document.
PK::UniString BareTypesInDocument(const PK::Array<AssociableType>& types) {
    TessaryConnect::Json::Utf16Buffer buffer;
    BareWriter writer(buffer);
    writer.StartArray();
    for (const AssociableType& type : types) BareType(writer, type);
    writer.EndArray();
    return TextOf(buffer);
}

// A selection whose type carries a group of every type; the group's items
// are strings holding each item's JSON, so each item is written twice.
PK::UniString BareSelectionWithGroup(const AssociableType& type) {
    TessaryConnect::Json::Utf16Buffer buffer;
    BareWriter writer(buffer);
    writer.StartObject();
    writer.Key(u"type");
    writer.StartObject();
    BareTexts(writer, type);
    writer.Key(u"properties");
    writer.Null();
    writer.Key(u"subGroup");
    writer.StartObject();
    writer.Key(u"name");
    BareString(writer, type.subGroup->name);
    writer.Key(u"items");
    writer.StartArray();
    TessaryConnect::Json::Utf16Buffer itemBuffer;
    for (const AssociableType& item : type.subGroup->items) {
        itemBuffer.Clear();
        BareWriter itemWriter(itemBuffer);
        BareType(itemWriter, item);
        writer.String(itemBuffer.GetString(), static_cast<rapidjson::SizeType>(itemBuffer.GetSize() / 2));
    }
    writer.EndArray();
    writer.EndObject();
    writer.EndObject();
    writer.EndObject();
    return TextOf(buffer);
}

template <typename AddOn, typename Bare>
void CompareWithBare(benchmark::State& state, const char* work, double goal, AddOn addOn, Bare bare) {
    if (addOn() != bare()) {
        state.SkipWithError("the add-on and the bare writer wrote different texts");
        return;
    }
    double addOnTime = 1e300, bareTime = 1e300;
    for (auto _ : state) {
        const double addOnSeconds = Bench::FastestSeconds(1, [&] { benchmark::DoNotOptimize(addOn()); });
        const double bareSeconds = Bench::FastestSeconds(1, [&] { benchmark::DoNotOptimize(bare()); });
        addOnTime = std::min(addOnTime, addOnSeconds);
        bareTime = std::min(bareTime, bareSeconds);
        state.SetIterationTime(addOnSeconds);
    }
    state.counters["bare_ms"] = benchmark::Counter(bareTime * 1e3);
    state.counters["ratio"] = addOnTime / bareTime;
    state.SetItemsProcessed(state.iterations() * kTypes);
    Bench::Report(work, "bare RapidJSON writing the same text", goal, addOnTime / bareTime);
}

void BM_TypesInDocumentAgainstBareRapidJSON(benchmark::State& state) {
    const PK::Array<AssociableType> types = MakeTypes();
    CompareWithBare(
        state, "types-in-document state, 5,000 types", 1.5, [&] { return AssociableType::ArrayToJSON(types); },
        [&] { return BareTypesInDocument(types); });
}
BENCHMARK(BM_TypesInDocumentAgainstBareRapidJSON)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SelectionWithGroupAgainstBareRapidJSON(benchmark::State& state) {
    auto group = std::make_unique<AssociableTypeGroup>();
    group->name = "Selection";
    group->items = MakeTypes();
    const SelectionState selection(AssociableType("selection", "Several", "", "", Properties(), std::move(group)));
    CompareWithBare(
        state, "selection state with a group of 5,000", 1.2, [&] { return selection.ToJSON(); },
        [&] { return BareSelectionWithGroup(selection.type); });
}
BENCHMARK(BM_SelectionWithGroupAgainstBareRapidJSON)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
