#include "Torvel/Api/DatabaseId.hpp"

#include <ostream>

#include "Torvel/Api/Torvel.hpp"

namespace TessaryConnect::Api {

const PK::ClassInfo DatabaseId::classInfo("Api::DatabaseId", PK::Guid("{e20e9a78-b868-4030-a4ca-73af7a3ba727}"),
                                          PK::ClassVersion(1, 0));

DatabaseId::DatabaseId(API_WindowTypeID typeID, PK::Int32 index, const PK::Guid& elemSetId)
    : _typeID(typeID), _index(index), _elemSetId(elemSetId) {}

DatabaseId::DatabaseId(const API_WindowInfo& windowInfo)
    : _typeID(windowInfo.typeID), _index(windowInfo.index), _elemSetId(windowInfo.databaseUnId) {}

DatabaseId::~DatabaseId() = default;

PK::UniString DatabaseId::GetTitle(Torvel& torvel) const { return torvel.Database_GetDatabaseInfo(*this).title; }

API_WindowInfo DatabaseId::GetWindowInfo() const {
    API_WindowInfo info;
    info.typeID = _typeID;
    info.index = _index;
    info.databaseUnId = _elemSetId;
    return info;
}

PKErrCode DatabaseId::Write(PK::OChannel& oc) const {
    PK::OutputFrame frame(oc, classInfo);
    if (PKErrCode err = oc.Write(static_cast<PK::Int32>(_typeID)); err != PK::NoError) return err;
    if (PKErrCode err = oc.Write(_index); err != PK::NoError) return err;
    if (PKErrCode err = oc.Write(_elemSetId); err != PK::NoError) return err;
    return oc.GetOutputStatus();
}

PKErrCode DatabaseId::Read(PK::IChannel& ic) {
    PK::InputFrame frame(ic, classInfo);
    PK::Int32 typeID = 0;
    if (PKErrCode err = ic.Read(typeID); err != PK::NoError) return err;
    _typeID = static_cast<API_WindowTypeID>(typeID);
    if (PKErrCode err = ic.Read(_index); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_elemSetId); err != PK::NoError) return err;
    return ic.GetInputStatus();
}

std::ostream& operator<<(std::ostream& os, const DatabaseId& id) {
    return os << "{typeID: " << static_cast<PK::Int32>(id.GetTypeID()) << ", index: " << id.GetIndex()
              << ", elemSetId: " << id.GetElemSetId() << "}";
}

}  // namespace TessaryConnect::Api
