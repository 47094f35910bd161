// A page call's text argument of 100,000 characters made into a script
// literal, against RapidJSON escaping the same text as a JSON string in the
// same iterations. The counter "ratio" is the add-on's time over RapidJSON's;
// the goal is at most 2 (the literal escapes a few more characters).
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "Tessary/Implementation/StringParam.hpp"
#include "Util/JsonWriter.hpp"

namespace {

PK::UniString MakeText() {
    std::u16string text;
    const std::u16string piece = u"Concrete walls \"cast\" in place, \u00e9tude \\ 60 min\n<b>\u2028";
    while (text.size() < 100000) text += piece;
    return PK::UniString(std::move(text));
}

void BM_ScriptLiteralAgainstRapidJSONString(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const PK::UniString text = MakeText();
    std::chrono::duration<double> literalTime{0}, jsonTime{0};
    for (auto _ : state) {
        const auto start = Clock::now();
        PK::UniString literal = TessaryConnect::Implementation::StringParam(text);
        benchmark::DoNotOptimize(literal);
        const auto middle = Clock::now();
        TessaryConnect::Json::Writer writer;
        writer.String(text);
        PK::UniString json = writer.GetText();
        benchmark::DoNotOptimize(json);
        const auto end = Clock::now();
        literalTime += middle - start;
        jsonTime += end - middle;
        state.SetIterationTime(std::chrono::duration<double>(middle - start).count());
    }
    state.counters["json_ms"] = benchmark::Counter(jsonTime.count() * 1e3 / static_cast<double>(state.iterations()));
    state.counters["ratio"] = literalTime.count() / jsonTime.count();
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.GetLength() * sizeof(char16_t)));
}
BENCHMARK(BM_ScriptLiteralAgainstRapidJSONString)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
