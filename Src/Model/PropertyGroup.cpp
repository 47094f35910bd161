#include "Model/PropertyGroup.hpp"

#include <ostream>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Errors.hpp"
#include "Tessary/Api/Properties.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/RecordPrinters.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model {

namespace {

const PK::UniString propertyNamePlaceholder = "{OrvoTessaryPropertyName}";

// Runs the host call that takes a name; after each name clash, onClash logs
// the refused name and a "*" is appended. The clash of the last allowed
// attempt is passed on: a host that refuses every name must not keep the
// add-on in this loop.
template <typename Call, typename OnClash>
void WithNameRetries(PK::UniString& name, Call call, OnClash onClash) {
    for (int attempt = 1;; ++attempt) {
        try {
            call();
            return;
        } catch (const Api::Error<APIERR_NAMEALREADYUSED>&) {
            onClash();
            if (attempt >= PropertyGroup::maxNameAttempts) throw;
            name += "*";
        }
    }
}

}  // namespace

const PK::ClassInfo PropertyGroup::classInfo("Model::PropertyGroup", PK::Guid("4c21d763-e77b-41f9-850c-c10e9eae79ac"),
                                             PK::ClassVersion(1, 0));

PropertyGroup::PropertyGroup(const ConnectionWithSpecification& connection) : _connection(connection) {}

Api::Torvel& PropertyGroup::TV() const { return _connection.TV(); }

PK::UniString PropertyGroup::GetPropertyGroupName(const PK::UniString& specificationTitle,
                                                  const PK::UniString& projectTitle) const {
    return _connection.ResolveVariables(
        TV().GetResource(Util::Resource::Of(Util::Resource::ModelText::PropertyGroupName)), specificationTitle,
        projectTitle);
}

void PropertyGroup::Create() {
    API_PropertyGroup group;
    group.groupType = API_PropertyCustomGroupType;
    group.name = GetPropertyGroupName({}, {});
    WithNameRetries(
        group.name, [&] { TV().Property_CreatePropertyGroup(group); },
        [&] { LOG_INFO("PropertyDefintion is exists with name({})", group.name); });
    _guid = group.guid;
    LOG_INFO("PropertyGroup({}) was created", group);
}

bool PropertyGroup::IsExists() const {
    // clang-format off
    if (!TC_ASSERT(err, !this->_guid.IsNull())) return false;
    // clang-format on
    try {
        TV().Property_GetPropertyGroup(_guid);
        return true;
    } catch (const Api::Error<APIERR_BADID>&) {
        LOG_INFO("Has the user deleted the property group({}) for the association?", _guid);
        return false;
    }
}

void PropertyGroup::Check() const {
    if (!IsExists()) throw Error::MissingPropertyGroup();
}

void PropertyGroup::UpdateTitle(const PK::UniString& specificationTitle, const PK::UniString& projectTitle) {
    if (!IsExists()) throw Error::MissingPropertyGroup();
    API_PropertyGroup group;
    group.groupType = API_PropertyCustomGroupType;
    group.guid = _guid;
    group.name = GetPropertyGroupName(specificationTitle, projectTitle);
    WithNameRetries(
        group.name, [&] { TV().Property_ChangePropertyGroup(group); },
        [&] { LOG_INFO("Name is already exists: property group({})", group); });
}

void PropertyGroup::CreatePropertyIfNotExists(const PK::UniString& tessaryPropertyName) {
    if (!IsExists()) throw Error::MissingPropertyGroup();
    if (IsExistsProperty(tessaryPropertyName)) return;

    // Past this point an entry for the name can only be one whose definition
    // the user deleted: the definition found or made here takes its place,
    // or the name could never be written again.
    for (const API_PropertyDefinition& existing : TV().Property_GetPropertyDefinitions(_guid)) {
        if (existing.name != tessaryPropertyName) continue;
        LOG_INFO("Did the user manually created a property with the name({})", tessaryPropertyName);
        _tessaryPropertyNameToDefinitionGuids.Put(tessaryPropertyName, existing.guid);
        return;
    }

    API_PropertyDefinition definition;
    definition.definitionType = API_PropertyCustomDefinitionType;
    definition.groupGuid = _guid;
    definition.name = GetPropertyDefinitionName(tessaryPropertyName);
    definition.description = GetPropertyDefinitionDesc(tessaryPropertyName);
    definition.collectionType = API_PropertySingleCollectionType;
    definition.valueType = API_PropertyStringValueType;
    definition.measureType = API_PropertyDefaultMeasureType;
    API_PropertyValue& defaultValue = definition.defaultValue.basicValue;
    defaultValue.singleVariant.variant.type = API_PropertyStringValueType;
    defaultValue.singleVariant.variant.uniStringValue =
        TV().GetResource(Util::Resource::Of(Util::Resource::ModelText::PropertyDefaultValue));
    defaultValue.variantStatus = API_VariantStatusNormal;
    definition.availability = _connection.ClassificationSystem().GetAllItems();
    definition.canValueBeEditable = true;

    WithNameRetries(
        definition.name, [&] { TV().Property_CreatePropertyDefinition(definition); },
        [&] { LOG_ERROR("Existing  name({}) was found. Retrying..", definition.name); });
    _tessaryPropertyNameToDefinitionGuids.Put(tessaryPropertyName, definition.guid);
    LOG_INFO("PropertyDefinition({}) was created", definition);
}

bool PropertyGroup::IsExistsProperty(const PK::UniString& tessaryPropertyName) const {
    const PK::Guid* guid = _tessaryPropertyNameToDefinitionGuids.GetPtr(tessaryPropertyName);
    if (guid == nullptr) return false;
    API_PropertyDefinition definition;
    definition.guid = *guid;
    try {
        TV().Property_GetPropertyDefinition(definition);
        return true;
    } catch (const Api::Error<APIERR_BADID>& e) {
        LOG_WARN("{}, {}", e, *guid);
        return false;
    }
}

PK::UniString PropertyGroup::GetDefinitionText(Util::Resource::ModelText item,
                                               const PK::UniString& tessaryPropertyName) const {
    Util::Fills fills = _connection.PlaceholderFills({}, {});
    fills.emplace_back(propertyNamePlaceholder, tessaryPropertyName);
    return Util::FillPlaceholders(TV().GetResource(Util::Resource::Of(item)), fills,
                                  "PropertyGroup::GetDefinitionText");
}

PK::UniString PropertyGroup::GetPropertyDefinitionName(const PK::UniString& tessaryPropertyName) const {
    return GetDefinitionText(Util::Resource::ModelText::PropertyDefinitionName, tessaryPropertyName);
}

PK::UniString PropertyGroup::GetPropertyDefinitionDesc(const PK::UniString& tessaryPropertyName) const {
    return GetDefinitionText(Util::Resource::ModelText::PropertyDefinitionDescription, tessaryPropertyName);
}

void PropertyGroup::CheckProperty(const PK::UniString& tessaryPropertyName) const {
    if (!IsExistsProperty(tessaryPropertyName)) throw Error::MissingProperty(tessaryPropertyName.ToCStr());
}

PK::Guid PropertyGroup::GetPropertyGuid(const PK::UniString& tessaryPropertyName) const {
    CheckProperty(tessaryPropertyName);
    return _tessaryPropertyNameToDefinitionGuids.Get(tessaryPropertyName);
}

PK::UniString PropertyGroup::GetClauseIdOfElem(const PK::Guid& element) const {
    return ClauseIdReader(*this).Read(element);
}

PropertyGroup::ClauseIdReader::ClauseIdReader(const PropertyGroup& group)
    : ClauseIdReader(group.TV(), group._tessaryPropertyNameToDefinitionGuids) {}

PropertyGroup::ClauseIdReader::ClauseIdReader(Api::Torvel& tv,
                                              const PK::HashTable<PK::UniString, PK::Guid>& definitions)
    : _tv(tv) {
    if (const PK::Guid* definition = definitions.GetPtr(Api::Properties::Name::ClauseId)) _definition.Push(*definition);
}

const PK::UniString& PropertyGroup::ClauseIdReader::Read(const PK::Guid& element) {
    static const PK::UniString none;
    if (_definition.IsEmpty()) return none;
    if (!_tv.Element_IsPropertyDefinitionAvailable(element, _definition[0])) return none;
    _tv.Element_GetPropertyValuesByGuid(element, _definition, _values);
    const PK::Array<API_Property>& props = _values;
    if (!TC_ASSERT(err, props.GetSize() == 1)) return none;
    if (props[0].isDefault) return none;
    return props[0].value.singleVariant.variant.uniStringValue;
}

void PropertyGroup::Remove() {
    LOG_TRACE("PropertyGroup::Remove");
    // The replaced groups go first: should the host refuse, the connection still knows every group it left.
    while (!_replaced.IsEmpty()) {
        DeleteHostGroup(_replaced.GetLast().guid);
        _replaced.DeleteLast();
    }
    if (_guid.IsNull()) return;
    DeleteHostGroup(_guid);
    _tessaryPropertyNameToDefinitionGuids.Clear();
    _guid.Clear();
}

void PropertyGroup::DeleteHostGroup(const PK::Guid& group) {
    try {
        TV().Property_DeletePropertyGroup(group);
    } catch (const Api::Error<APIERR_BADID>&) {
        LOG_INFO("The user probably already deleted the PropertyGroup({})", group);
    }
}

void PropertyGroup::ForgetReplaced(const PK::Guid& group) {
    _replaced.DeleteIf([&](const Replaced& replaced) { return replaced.guid == group; });
}

bool PropertyGroup::ForgetReplacedKeptElsewhere(const PK::HashSet<PK::Guid>* keptElsewhere) {
    const PK::USize before = _replaced.GetSize();
    _replaced.DeleteIf([&](const Replaced& replaced) {
        if (keptElsewhere == nullptr) {
            LOG_WARN("Replaced property group({}) is not deleted: the groups of every connection cannot be told",
                     replaced.guid);
            return true;
        }
        if (!keptElsewhere->Contains(replaced.guid)) return false;
        LOG_WARN("Replaced property group({}) is another connection's own: dropped from the list", replaced.guid);
        return true;
    });
    return _replaced.GetSize() != before;
}

bool PropertyGroup::HostHasGroup(const PK::Guid& group) const {
    try {
        TV().Property_GetPropertyGroup(group);
    } catch (const Api::Error<APIERR_BADID>&) {
        return false;
    } catch (const Api::GeneralError& e) {
        // Not known to be gone: the merge goes as it would without asking.
        LOG_INFO("{}: property group({}) is taken as there", e, group);
    }
    return true;
}

void PropertyGroup::MergeIn(const PropertyGroup& other) {
    if (&other == this) return;
    _guid = other._guid;
    _tessaryPropertyNameToDefinitionGuids = other._tessaryPropertyNameToDefinitionGuids;
    _replaced = other._replaced;
}

void PropertyGroup::MergeInVersion(const PropertyGroup& other) {
    if (&other == this) return;
    PK::Array<Replaced> replaced = std::move(_replaced);
    bool keepMine = false;
    if (!_guid.IsNull() && _guid != other._guid) {
        const bool mineLive = HostHasGroup(_guid);
        // Keeping a group that is gone would leave the connection, and every element associated since, without one.
        keepMine = mineLive && !other._guid.IsNull() && !HostHasGroup(other._guid);
        if (keepMine) {
            LOG_INFO("PropertyGroup({}) is kept in a merge: the other version's ({}) is gone", _guid, other._guid);
        } else {
            LOG_INFO("PropertyGroup({}) was replaced by ({}) in a merge", _guid, other._guid);
            // A group that is gone has no values left to carry over.
            if (mineLive) replaced.Push(Replaced{_guid, std::move(_tessaryPropertyNameToDefinitionGuids)});
        }
    }
    replaced.Append(other._replaced);
    if (!keepMine) {
        _guid = other._guid;
        _tessaryPropertyNameToDefinitionGuids = other._tessaryPropertyNameToDefinitionGuids;
    }
    KeepReplaced(std::move(replaced), false);
}

void PropertyGroup::KeepReplaced(PK::Array<Replaced>&& candidates, bool fromStoredBytes) {
    // Each group once, and never the kept one: deleting it would take every element's clause away.
    PK::HashSet<PK::Guid> seen;
    seen.Add(_guid);
    _replaced.Clear();
    for (Replaced& group : candidates) {
        if (!group.guid.IsNull() && seen.Add(group.guid))
            _replaced.Push(std::move(group));
        else if (fromStoredBytes)
            LOG_WARN("Replaced property group({}) is listed twice, or is the record's own: dropped", group.guid);
    }
}

PKErrCode PropertyGroup::Write(PK::OChannel& oc) const {
    // A record without replaced groups stays as earlier versions write it.
    PK::OutputFrame frame(oc, classInfo.GetId(), _replaced.IsEmpty() ? classInfo.GetVersion() : versionWithReplaced);
    if (PKErrCode err = oc.Write(_guid); err != PK::NoError) return err;
    if (PKErrCode err = oc.Write(_tessaryPropertyNameToDefinitionGuids); err != PK::NoError) return err;
    if (!_replaced.IsEmpty()) {
        if (PKErrCode err = oc.Write(static_cast<PK::UInt32>(_replaced.GetSize())); err != PK::NoError) return err;
        for (const Replaced& group : _replaced) {
            if (PKErrCode err = oc.Write(group.guid); err != PK::NoError) return err;
            if (PKErrCode err = oc.Write(group.definitions); err != PK::NoError) return err;
        }
    }
    frame.Close();
    return oc.GetOutputStatus();
}

PKErrCode PropertyGroup::Read(PK::IChannel& ic) {
    PK::InputFrame frame(ic, classInfo);
    Error::ThrowIfNewer(frame, classInfo);
    if (PKErrCode err = ic.GetInputStatus(); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_guid); err != PK::NoError) return err;
    if (PKErrCode err = ic.Read(_tessaryPropertyNameToDefinitionGuids); err != PK::NoError) return err;
    PK::Array<Replaced> replaced;
    // A record that lists no replaced groups may end after the table, whatever its version.
    if (frame.GetMinorVersion() >= versionWithReplaced.GetMinorVersion() && ic.GetAvailable() > 0) {
        PK::UInt32 count = 0;
        if (PKErrCode err = ic.Read(count); err != PK::NoError) return err;
        // One at a time: a damaged count fails at the first group that is not there.
        for (PK::UInt32 i = 0; i < count; ++i) {
            Replaced group;
            if (PKErrCode err = ic.Read(group.guid); err != PK::NoError) return err;
            if (PKErrCode err = ic.Read(group.definitions); err != PK::NoError) return err;
            replaced.Push(std::move(group));
        }
    }
    // Stored bytes are input: a list naming the record's own group would have it deleted.
    KeepReplaced(std::move(replaced), true);
    frame.Close();
    return ic.GetInputStatus();
}

std::ostream& operator<<(std::ostream& os, const PropertyGroup& group) {
    os << "{ _guid: " << group._guid << ", _tessaryPropertyNameToDefinitionGuids: {";
    const char* separator = "";
    for (const auto& [name, guid] : group._tessaryPropertyNameToDefinitionGuids) {
        os << separator << name << ": " << guid;
        separator = ", ";
    }
    os << "}";
    if (!group._replaced.IsEmpty()) {
        os << ", _replaced: [";
        separator = "";
        for (const PropertyGroup::Replaced& replaced : group._replaced) {
            os << separator << replaced.guid;
            separator = ", ";
        }
        os << "]";
    }
    return os << " }";
}

}  // namespace TessaryConnect::Model
