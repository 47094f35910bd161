#pragma once
// The identity of the open project as the web page knows it: the plan id (the
// text form of a GUID) and the project's title. Connections tell the page
// which plan they belong to with these two.
#include <iosfwd>
#include <memory>

#include "PK/UniString.hpp"
#include "Util/Formatters.hpp"

namespace TessaryConnect::Api {
class Torvel;
}

namespace TessaryConnect::Model {

class PlanData {
public:
    explicit PlanData(std::shared_ptr<Api::Torvel> tvApi);

    void Clear();
    // Empty until an id is loaded or generated.
    const PK::UniString& Id() const { return _id; }
    // The project's name, else its path, else "Untitled" for a project never
    // saved, else "unknown"; the empty text when no project is open or the
    // host cannot tell. Never throws.
    PK::UniString Title() const;
    // Forgets everything and takes a new local id.
    void GenerateNew();

private:
    std::shared_ptr<Api::Torvel> _tvApi;
    PK::UniString _id;
};

// "PlanData{_id: " the id "}".
std::ostream& operator<<(std::ostream& os, const PlanData& planData);

}  // namespace TessaryConnect::Model

TC_OSTREAM_FORMATTER(TessaryConnect::Model::PlanData);
