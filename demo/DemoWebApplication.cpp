#include "DemoWebApplication.hpp"

#include "DemoProject.hpp"
#include "DemoView.hpp"
#include "PK/Guid.hpp"
#include "Util/JsonWriter.hpp"

namespace Demo {

namespace {
constexpr std::size_t ReportedMismatches = 3;
}

WebApplication::Values WebApplication::ValuesOf(const Clause& clause) {
    return {{"OrvoTessaryClauseId", clause.id},
            {"OrvoTessaryCode", clause.code},
            {"OrvoTessaryTitle", clause.title},
            {"OrvoTessaryPrefix", clause.prefix},
            {"OrvoTessarySuffix", clause.suffix}};
}

std::string WebApplication::Script(const std::string& id) const {
    TessaryConnect::Json::Writer writer;
    writer.StartObject();
    for (const auto& [name, value] : ValuesOf(Get(id))) {
        writer.Key(PK::UniString(name.c_str()));
        writer.String(PK::UniString(value.c_str()));
    }
    writer.EndObject();
    return Str(writer.GetText());
}

WebApplication::Comparison WebApplication::CompareElements(const TVSim::Project& project,
                                                           const API_Guid& system) const {
    // The definitions by name, looked up once: the add-on names them after the clause properties.
    std::map<std::string, API_Guid> definitions;
    for (const API_Guid& group : project.GetPropertyGroups())
        for (const auto& [name, value] : ValuesOf(Clause{}))
            if (const API_Guid definition = project.FindPropertyDefinition(group, name.c_str());
                definition != APINULLGuid && !definitions.contains(name))
                definitions[name] = definition;

    Comparison comparison;
    for (const auto& [id, clause] : _clauses) {
        const API_Guid item = project.FindClassificationItem(system, clause.code.c_str());
        if (item == APINULLGuid) continue;
        Values values = ValuesOf(clause);
        // The host keeps no empty value: the add-on writes an empty one as a single blank.
        for (auto& [name, value] : values)
            if (value.empty()) value = " ";
        for (const API_Guid& element : project.GetClassificationItem(item).elements) {
            ++comparison.elements;
            for (const auto& [name, expected] : values) {
                const auto definition = definitions.find(name);
                const std::string value = definition == definitions.end()
                                              ? "(no property " + name + ")"
                                              : Str(project.GetPropertyText(element, definition->second));
                if (value == expected) continue;
                if (++comparison.mismatches <= ReportedMismatches)
                    comparison.first.push_back(KindOf(project, element) + " " + Str(PK::Guid(element).ToUniString()) +
                                               " of clause " + clause.code + ": " + name + " \"" + value +
                                               "\", the clause's \"" + expected + "\"");
            }
        }
    }
    return comparison;
}

}  // namespace Demo
