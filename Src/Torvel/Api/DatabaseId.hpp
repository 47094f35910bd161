#pragma once
// Names one host database (a floor plan, a section, the 3D window ...) so
// that an issue can take the user back to where it was found. Persisted
// inside issue records.
#include <iosfwd>

#include "PK/Object.hpp"
#include "TVAPI/APIRecords.hpp"
#include "Util/Formatters.hpp"

namespace TessaryConnect::Api {

class Torvel;

class DatabaseId : public PK::Object {
public:
    static const PK::ClassInfo classInfo;

    DatabaseId() = default;
    DatabaseId(API_WindowTypeID typeID, PK::Int32 index, const PK::Guid& elemSetId);
    explicit DatabaseId(const API_WindowInfo& windowInfo);
    ~DatabaseId() override;

    bool IsValid() const { return _typeID != APIWind_None; }
    API_WindowTypeID GetTypeID() const { return _typeID; }
    PK::Int32 GetIndex() const { return _index; }
    const PK::Guid& GetElemSetId() const { return _elemSetId; }

    // The database's title as the host shows it; host errors are thrown.
    PK::UniString GetTitle(Torvel& torvel) const;
    API_WindowInfo GetWindowInfo() const;

    const PK::ClassInfo* GetClassInfo() const override { return &classInfo; }
    PKErrCode Read(PK::IChannel& ic) override;
    PKErrCode Write(PK::OChannel& oc) const override;

private:
    API_WindowTypeID _typeID = APIWind_None;
    PK::Int32 _index = 0;
    PK::Guid _elemSetId;
};

std::ostream& operator<<(std::ostream& os, const DatabaseId& id);

}  // namespace TessaryConnect::Api

TC_OSTREAM_FORMATTER(TessaryConnect::Api::DatabaseId);
