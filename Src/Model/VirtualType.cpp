#include "Model/VirtualType.hpp"

#include <ostream>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Errors.hpp"
#include "Model/PropertyGroup.hpp"
#include "PK/Time.hpp"
#include "Tessary/Api/AssociableTypeGroup.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model {

const PK::ClassInfo VirtualType::classInfo("Model::VirtualType", PK::Guid("a9242288-641f-418b-b627-f8a0da58b96b"),
                                           PK::ClassVersion(1, 1));

VirtualType::VirtualType(ConnectionWithSpecification& connection) : _connection(connection) {}

VirtualType::VirtualType(ConnectionWithSpecification& connection, const PK::UniString& clauseId,
                         const Api::Properties& properties)
    : _connection(connection), _virtualTypeId(clauseId), _tessaryProperties(properties), _valuesChangedAt(TIGetTime()) {
    // clang-format off
    if (!TC_ASSERT(critical, properties.ContainsKey( Api::Properties::Name::Code)))
        TC_THROW_RUNTIME("Missing code property");
    _classificationID = properties.Get(Api::Properties::Name::Code);
    if (!TC_ASSERT(critical, !this->_classificationID.IsEmpty())) TC_THROW_RUNTIME("Empty code string");
    // clang-format on
    _classificationItemGuid = _connection.ClassificationSystem().GetItemByID(_classificationID);
    CheckClassificationItem();
}

VirtualType::VirtualType(ConnectionWithSpecification& connection, const VirtualType& other)
    : _connection(connection),
      _classificationID(other._classificationID),
      _classificationItemGuid(other._classificationItemGuid),
      _virtualTypeId(other._virtualTypeId),
      _tessaryProperties(other._tessaryProperties),
      _dirtyTessaryPropertyNames(other._dirtyTessaryPropertyNames),
      _valuesChangedAt(other._valuesChangedAt) {}

Api::Torvel& VirtualType::TV() const { return _connection.TV(); }

void VirtualType::CheckClassificationItem() const {
    // clang-format off
    if (TC_ASSERT(err, !this->_classificationItemGuid.IsNull())) {
        // clang-format on
        API_ClassificationItem item;
        item.guid = _classificationItemGuid;
        try {
            TV().Classification_GetClassificationItem(item);
            return;
        } catch (const Api::Error<APIERR_BADID>&) {
            // the item is gone: reported below
        }
    }
    throw Error::MissingClassificationItem(_tessaryProperties);
}

PK::Guid VirtualType::GetClassificationItemGuid() const {
    CheckClassificationItem();
    return _classificationItemGuid;
}

PK::Array<API_Property> VirtualType::GetApiProperties() const { return ApiProperties(true); }

PK::Array<API_Property> VirtualType::ApiProperties(bool makeAvailable) const {
    CheckClassificationItem();
    const Model::PropertyGroup& group = _connection.PropertyGroup();
    PK::Array<API_Property> result;
    for (const PK::UniString& name : Api::Properties::Name::AllVisible) {
        // The elements of a clause are found by their clause id, whatever the page put under that name.
        const PK::UniString* value =
            name == Api::Properties::Name::ClauseId ? &_virtualTypeId : _tessaryProperties.GetPtr(name);
        if (value == nullptr) {
            TC_ASSERT_FAILED(err, "this->_tessaryProperties.ContainsKey(name)");
            continue;
        }
        API_Property& property = result.PushNew();
        property.definition.guid = group.GetPropertyGuid(name);
        TV().Property_GetPropertyDefinition(property.definition);
        if (makeAvailable && !property.definition.availability.Contains(_classificationItemGuid)) {
            property.definition.availability.Push(_classificationItemGuid);
            TV().Property_ChangePropertyDefinition(property.definition);
        }
        property.isDefault = false;
        property.status = API_Property_HasValue;
        property.value.variantStatus = API_VariantStatusNormal;
        property.value.singleVariant.variant.type = API_PropertyStringValueType;
        property.value.singleVariant.variant.uniStringValue = value->IsEmpty() ? PK::UniString(" ") : *value;
    }
    return result;
}

PK::UniString VirtualType::ResolveTessaryProperties(PK::UniString text) const {
    Util::Fills fills = _connection.PlaceholderFills({}, {});
    for (Util::Fill& fill : _tessaryProperties.Placeholders()) fills.push_back(std::move(fill));
    return Util::FillPlaceholders(text, fills, "VirtualType::ResolveTessaryProperties");
}

bool VirtualType::UpdateProperties(const Api::Properties& newValues) {
    bool changed = false;
    for (const auto& [name, value] : newValues) {
        PK::UniString* held = _tessaryProperties.GetPtr(name);
        if (held != nullptr && *held == value) continue;
        if (held != nullptr)
            *held = value;
        else
            _tessaryProperties.Add(name, value);
        _dirtyTessaryPropertyNames.Push(name);
        changed = true;
    }
    if (changed) {
        _valuesChangedAt = TIGetTime();
        _connection._OnlyForVT_VirtualTypeChanged();
    }
    return changed;
}

bool VirtualType::MarkDirty(const PK::Array<PK::UniString>& names) {
    bool marked = false;
    for (const PK::UniString& name : names) {
        if (_dirtyTessaryPropertyNames.Contains(name)) continue;
        _dirtyTessaryPropertyNames.Push(name);
        marked = true;
    }
    return marked;
}

PK::Array<PK::Guid> VirtualType::GetAssociatedElements() const {
    CheckClassificationItem();
    const PK::Array<PK::Guid> classified = TV().Element_GetElementsWithClassification(_classificationItemGuid);
    const Model::PropertyGroup& group = _connection.PropertyGroup();
    // Only for its failure: a group without the clause-id property cannot tell the clauses apart.
    group.GetPropertyGuid(Api::Properties::Name::ClauseId);
    PK::Array<PK::Guid> associated;
    Model::PropertyGroup::ClauseIdReader clauseIds(group);
    for (const PK::Guid& element : classified) {
        try {
            if (clauseIds.Read(element) == _virtualTypeId) associated.Push(element);
        } catch (const Api::Error<APIERR_BADID>&) {
            LOG_INFO("Elem({}) is probably deleted meanwhile. Suspicious, but handled.", element);
        }
    }
    return associated;
}

Api::AssociableType VirtualType::GetAsAssociableType(bool markDirty) const {
    Api::Properties properties = _tessaryProperties;
    if (markDirty) {
        // From the record's own value, so a name changed twice is marked once.
        for (const PK::UniString& name : _dirtyTessaryPropertyNames)
            if (const PK::UniString* value = _tessaryProperties.GetPtr(name)) properties.Put(name, *value + "<dirty>");
    }
    using Util::Resource::ModelText;
    return Api::AssociableType(_virtualTypeId, TV().GetResource(Util::Resource::Of(ModelText::VirtualTypeTitle)),
                               TV().GetResource(Util::Resource::Of(ModelText::VirtualTypeSubtitle)),
                               TV().GetResource(Util::Resource::Of(ModelText::VirtualTypeCategory)), properties,
                               nullptr);
}

bool VirtualType::MergeIn(const VirtualType& toMerge) {
    if (!TC_ASSERT_MSG(critical, _virtualTypeId == toMerge._virtualTypeId, "*this({}), toMerge({})", *this, toMerge))
        return false;
    if (!TC_ASSERT_MSG(critical, _classificationID == toMerge._classificationID, "*this({}), toMerge({})", *this,
                       toMerge))
        return false;
    if (!TC_ASSERT_MSG(critical, _classificationItemGuid == toMerge._classificationItemGuid, "*this({}), toMerge({})",
                       *this, toMerge))
        return false;
    if (!TC_ASSERT_MSG(err, _tessaryProperties.GetSize() == toMerge._tessaryProperties.GetSize(),
                       "*this({}), toMerge({})", *this, toMerge))
        return false;
    // Keeping one's own values whatever the other member changed would leave
    // the members with different values for the clause for good.
    const bool theirsLater = toMerge._valuesChangedAt > _valuesChangedAt;
    bool changed = false;
    for (const auto& [name, value] : toMerge._tessaryProperties) {
        PK::UniString* held = _tessaryProperties.GetPtr(name);
        if (held == nullptr) {
            LOG_ERROR("assert ({}), ({})", *this, toMerge);
            continue;
        }
        if (*held == value) continue;
        if (theirsLater) {
            *held = value;
            changed = true;
        }
        if (!_dirtyTessaryPropertyNames.Contains(name)) {
            _dirtyTessaryPropertyNames.Push(name);
            changed = true;
        }
    }
    if (theirsLater) _valuesChangedAt = toMerge._valuesChangedAt;
    return changed;
}

PKErrCode VirtualType::Write(PK::OChannel& oc) const {
    PK::OutputFrame frame(oc, classInfo);
    if (PKErrCode err = oc.Write(_classificationID); err != PK::NoError) return err;
    if (PKErrCode err = oc.Write(_classificationItemGuid); err != PK::NoError) return err;
    if (PKErrCode err = oc.Write(_virtualTypeId); err != PK::NoError) return err;
    if (PKErrCode err = oc.Write(_tessaryProperties); err != PK::NoError) return err;
    if (PKErrCode err = oc.Write(_dirtyTessaryPropertyNames); err != PK::NoError) return err;
    if (PKErrCode err = oc.Write(_valuesChangedAt); err != PK::NoError) return err;
    frame.Close();
    return oc.GetOutputStatus();
}

PKErrCode VirtualType::Read(PK::IChannel& ic) {
    if (PKErrCode err = ic.GetInputStatus(); err != PK::NoError) return err;
    PK::InputFrame frame(ic, classInfo);
    Error::ThrowIfNewer(frame, classInfo);
    if (PKErrCode err = ic.Read(_classificationID); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_classificationItemGuid); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_virtualTypeId); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_tessaryProperties); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_dirtyTessaryPropertyNames); err != PK::NoError) return err;
    _valuesChangedAt = 0;
    if (frame.GetMinorVersion() >= 1)
        if (PKErrCode err = ic.Read(_valuesChangedAt); err != PK::NoError) return err;
    frame.Close();
    return ic.GetInputStatus();
}

std::ostream& operator<<(std::ostream& os, const VirtualType& virtualType) {
    os << "{ _classificationID: " << virtualType._classificationID
       << ", _classificationItemGuid: " << virtualType._classificationItemGuid
       << ", _virtualTypeId: " << virtualType._virtualTypeId
       << ", _tessaryProperties: " << virtualType._tessaryProperties << ", _dirtyTessaryPropertyNames: [";
    const char* separator = "";
    for (const PK::UniString& name : virtualType._dirtyTessaryPropertyNames) {
        os << separator << name;
        separator = ", ";
    }
    return os << "] }";
}

}  // namespace TessaryConnect::Model
