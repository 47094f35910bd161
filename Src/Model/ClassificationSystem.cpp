#include "Model/ClassificationSystem.hpp"

#include <ostream>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Errors.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/Torvel.hpp"

namespace TessaryConnect::Model {

const PK::ClassInfo ClassificationSystem::classInfo("Model::ClassificationSystem",
                                                    PK::Guid("9bbf7122-7de1-4ddd-a0bd-b357188c1ef9"),
                                                    PK::ClassVersion(1, 0));

ClassificationSystem::ClassificationSystem(const ConnectionWithSpecification& connection) : _connection(connection) {}

ClassificationSystem::ClassificationSystem(const ConnectionWithSpecification& connection, const PK::Guid& guid)
    : _connection(connection), _guid(guid) {}

void ClassificationSystem::Check() const {
    if (_guid.IsNull()) throw Error::MissingClassificationSystem();
    try {
        _connection.TV().Classification_GetClassificationSystem(_guid);
    } catch (const Api::Error<APIERR_BADID>&) {
        throw Error::MissingClassificationSystem();
    }
}

PK::Guid ClassificationSystem::GetItemByID(const PK::UniString& itemId) const {
    Check();
    return _connection.TV().Helper_Classification_GetClassificationItemByIdInSystem(itemId, _guid).guid;
}

PK::Array<PK::Guid> ClassificationSystem::GetAllItems() const {
    Check();
    PK::Array<PK::Guid> items;
    for (const API_ClassificationItem& item :
         _connection.TV().Helper_Classification_GetAllClassificationItemsOfSystem(_guid))
        items.Push(item.guid);
    return items;
}

void ClassificationSystem::MergeIn(const ClassificationSystem& other) {
    if (&other == this) return;
    _guid = other._guid;
}

PKErrCode ClassificationSystem::Write(PK::OChannel& oc) const {
    PK::OutputFrame frame(oc, classInfo);
    if (PKErrCode err = oc.Write(_guid); err != PK::NoError) return err;
    frame.Close();
    return oc.GetOutputStatus();
}

PKErrCode ClassificationSystem::Read(PK::IChannel& ic) {
    PK::InputFrame frame(ic, classInfo);
    Error::ThrowIfNewer(frame, classInfo);
    if (PKErrCode err = ic.GetInputStatus(); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_guid); err != PK::NoError) return err;
    frame.Close();
    return ic.GetInputStatus();
}

std::ostream& operator<<(std::ostream& os, const ClassificationSystem& system) {
    return os << "{ _guid: " << system.Guid() << " }";
}

}  // namespace TessaryConnect::Model
