#include "Torvel/Api/WindowId.hpp"

#include <ostream>

#include "Torvel/Api/Torvel.hpp"

namespace TessaryConnect::Api {

const PK::ClassInfo WindowId::classInfo("Api::WindowId", PK::Guid("{4c28cbfd-b871-4507-b0b9-c70630d7b8b0}"),
                                        PK::ClassVersion(1, 0));

WindowId::WindowId(const DatabaseId& databaseId, PK::Int16 storyNumber, bool isPersp)
    : _databaseId(databaseId), _storyNumber(storyNumber), _isPersp(isPersp) {}

WindowId::~WindowId() = default;

WindowId WindowId::GetCurrent(Torvel& torvel) {
    WindowId id(DatabaseId(torvel.Database_GetCurrentWindow()), 0, false);
    if (id._databaseId.GetTypeID() == APIWind_3DModelID)
        id._isPersp = torvel.Environment_Get3DProjectionSets().isPersp;
    else if (id._databaseId.GetTypeID() == APIWind_FloorPlanID)
        id._storyNumber = torvel.Environment_GetStorySettings().currentStory;
    return id;
}

PK::UniString WindowId::GetTitle(Torvel& torvel) const {
    switch (_databaseId.GetTypeID()) {
        case APIWind_3DModelID:
            return "3D View";
        case APIWind_FloorPlanID:
            return torvel.Environment_GetStorySettings().GetNameOfStory(_storyNumber);
        default:
            return _databaseId.GetTitle(torvel);
    }
}

void WindowId::OpenWindow(Torvel& torvel) const {
    torvel.Automate_ChangeWindow(_databaseId);
    if (_databaseId.GetTypeID() != APIWind_FloorPlanID) return;
    API_StoryCmdType command;
    command.action = APIStory_GoTo;
    command.index = _storyNumber;
    command.withRebuild = true;
    torvel.Environment_ChangeStorySettings(command);
}

PKErrCode WindowId::Write(PK::OChannel& oc) const {
    PK::OutputFrame frame(oc, classInfo);
    if (PKErrCode err = oc.Write(_databaseId); err != PK::NoError) return err;
    if (PKErrCode err = oc.Write(_storyNumber); err != PK::NoError) return err;
    if (PKErrCode err = oc.Write(_isPersp); err != PK::NoError) return err;
    return oc.GetOutputStatus();
}

PKErrCode WindowId::Read(PK::IChannel& ic) {
    PK::InputFrame frame(ic, classInfo);
    if (PKErrCode err = ic.Read(_databaseId); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_storyNumber); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_isPersp); err != PK::NoError) return err;
    return ic.GetInputStatus();
}

std::ostream& operator<<(std::ostream& os, const WindowId& id) {
    return os << "{\"_databaseId\": " << id.GetDatabaseId() << ", \"_storyNumber\": " << id.GetStoryNumber() << "}";
}

}  // namespace TessaryConnect::Api
