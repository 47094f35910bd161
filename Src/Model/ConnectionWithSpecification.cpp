#include "Model/ConnectionWithSpecification.hpp"

#include <exception>
#include <ostream>
#include <utility>

#include <fmt/format.h>

#include "Model/Errors.hpp"
#include "Model/Issue/BaseWithText.hpp"
#include "Model/Issue/UnknownError.hpp"
#include "Model/PlanData.hpp"
#include "Model/TessaryPtr.hpp"
#include "PK/Time.hpp"
#include "Tessary/Api/Tessary.hpp"
#include "Torvel/Api/ModulDataWrapper.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Model {

const PK::ClassInfo ConnectionWithSpecification::classInfo("Model::ConnectionWithSpecification",
                                                           PK::Guid("f3b8e9d5-43ba-4ade-9c7b-23796c5d28f3"),
                                                           PK::ClassVersion(1, 0));

const PK::UniString ConnectionWithSpecification::modulDataNamePrefix = "ConnectionWithSpecification:";

namespace {

std::vector<char> BytesOf(const API_ModulData& record) {
    if (record.dataHdl == nullptr) return {};
    const char* bytes = *record.dataHdl;
    return std::vector<char>(bytes, bytes + BMGetHandleSize(record.dataHdl));
}

}  // namespace

ConnectionWithSpecification::ConnectionWithSpecification(const std::shared_ptr<Api::Torvel>& tvApi,
                                                         const std::shared_ptr<TessaryPtr>& tessaryPtr,
                                                         const std::shared_ptr<PlanData>& planData)
    : _tvApi(tvApi),
      _tessaryPtr(tessaryPtr),
      _planData(planData),
      _classificationSystem(*this),
      _propertyGroup(*this),
      _issueCollection(std::make_unique<Issue::Collection>(*this)),
      _unassociatedElementsCache(*this) {}

ConnectionWithSpecification::ConnectionWithSpecification(
    const std::shared_ptr<Api::Torvel>& tvApi, const std::shared_ptr<TessaryPtr>& tessaryPtr,
    const std::shared_ptr<PlanData>& planData, const PK::Guid& classificationSystem,
    const PK::UniString& tessarySpecificationId, const PK::UniString& tessarySpecificationTitle,
    const PK::UniString& tessaryProjectId, const PK::UniString& tessaryProjectTitle)
    : _tvApi(tvApi),
      _tessaryPtr(tessaryPtr),
      _planData(planData),
      _classificationSystem(*this, classificationSystem),
      _propertyGroup(*this),
      _issueCollection(std::make_unique<Issue::Collection>(*this)),
      _tessarySpecificationId(tessarySpecificationId),
      _tessarySpecificationTitle(tessarySpecificationTitle),
      _tessaryProjectId(tessaryProjectId),
      _tessaryProjectTitle(tessaryProjectTitle),
      _unassociatedElementsCache(*this) {
    LOG_TRACE("ConnectionWithSpecification: connect");
    _classificationSystem.Check();
    _propertyGroup.Create();
    try {
        for (const PK::UniString& name : Api::Properties::Name::AllVisible)
            _propertyGroup.CreatePropertyIfNotExists(name);
        ReconnectWithTessarySpecification();
        Store();
    } catch (...) {
        // A connection that is not made leaves no group of its own behind.
        try {
            _propertyGroup.Remove();
        } catch (...) {
            TC_LOG_CAUGHT(err);
        }
        throw;
    }
    LOG_INFO("Specification was connected: {}", *this);
}

ConnectionWithSpecification::~ConnectionWithSpecification() = default;

// ---- names and placeholders ----

PK::UniString ConnectionWithSpecification::GetModulDataName() const {
    return GetModulDataNameForSpecId(_tessarySpecificationId);
}

bool ConnectionWithSpecification::IsModulDataNameOfThisType(const PK::UniString& name) {
    return name.BeginsWith(modulDataNamePrefix);
}

PK::UniString ConnectionWithSpecification::GetModulDataNameForSpecId(const PK::UniString& tessarySpecificationId) {
    return modulDataNamePrefix + tessarySpecificationId;
}

Util::Fills ConnectionWithSpecification::PlaceholderFills(const PK::UniString& tessarySpecificationId,
                                                          const PK::UniString& tessarySpecificationTitle,
                                                          const PK::UniString& tessaryProjectId,
                                                          const PK::UniString& tessaryProjectTitle) {
    return {
        {"{OrvoTessarySpecificationId}", tessarySpecificationId},
        {"{OrvoTessarySpecificationTitle}", tessarySpecificationTitle},
        {"{OrvoTessaryProjectId}", tessaryProjectId},
        {"{OrvoTessaryProjectTitle}", tessaryProjectTitle},
    };
}

Util::Fills ConnectionWithSpecification::PlaceholderFills(const PK::UniString& newSpecificationTitle,
                                                          const PK::UniString& newProjectTitle) const {
    return PlaceholderFills(_tessarySpecificationId,
                            newSpecificationTitle.IsEmpty() ? _tessarySpecificationTitle : newSpecificationTitle,
                            _tessaryProjectId, newProjectTitle.IsEmpty() ? _tessaryProjectTitle : newProjectTitle);
}

PK::UniString ConnectionWithSpecification::ResolveVariables(const PK::UniString& text,
                                                            const PK::UniString& tessarySpecificationId,
                                                            const PK::UniString& tessarySpecificationTitle,
                                                            const PK::UniString& tessaryProjectId,
                                                            const PK::UniString& tessaryProjectTitle) {
    return Util::FillPlaceholders(text,
                                  PlaceholderFills(tessarySpecificationId, tessarySpecificationTitle, tessaryProjectId,
                                                   tessaryProjectTitle),
                                  "ConnectionWithSpecification::ResolveVariables");
}

PK::UniString ConnectionWithSpecification::ResolveVariables(const PK::UniString& text,
                                                            const PK::UniString& newSpecificationTitle,
                                                            const PK::UniString& newProjectTitle) const {
    return Util::FillPlaceholders(text, PlaceholderFills(newSpecificationTitle, newProjectTitle),
                                  "ConnectionWithSpecification::ResolveVariables");
}

// ---- storing ----

void ConnectionWithSpecification::Store() const {
    // clang-format off
    if (!TC_ASSERT(err, !this->_markedAsDeleted)) return;
    // clang-format on
    const PK::UniString name = GetModulDataName();
    _lastModificationTime = TIGetTime();
    LOG_TRACE("name({}), timestamp({})", name, _lastModificationTime);
    const Api::ModulDataWrapper data = Api::ModulDataWrapper::CreateForObject(*this);
    // The host keeps module data only inside a command. Inside one (an
    // association, say) this runs at once as part of it; outside (an issue
    // removed from the palette, a virtual type made before its association)
    // it is a step of its own, outside the undo history.
    TV().Helper_CallCommandAndRethrow(Api::Torvel::CommandKind::Plain, name,
                                      [&] { TV().ModulData_Store(name, data.Get()); });
    _knownRecord = BytesOf(data.Get());
    if (_clauseValuesSeen != nullptr) *_clauseValuesSeen = GetClauseValues();
}

bool ConnectionWithSpecification::ReadStored(const Api::ModulDataWrapper& record) {
    // Taken before reading: a record that cannot be read is not read again at every step.
    _knownRecord = BytesOf(record.Get());
    if (!record.FillObject(*this)) return false;
    if (_clauseValuesSeen != nullptr) *_clauseValuesSeen = GetClauseValues();
    return true;
}

PKErrCode ConnectionWithSpecification::Write(PK::OChannel& oc) const {
    PK::OutputFrame frame(oc, classInfo);
    if (PKErrCode err = oc.Write(_markedAsDisconnected); err != PK::NoError) return err;
    if (PKErrCode err = _classificationSystem.Write(oc); err != PK::NoError) return err;
    if (PKErrCode err = _propertyGroup.Write(oc); err != PK::NoError) return err;
    for (const PK::UniString* text :
         {&_tessarySpecificationId, &_tessarySpecificationTitle, &_tessaryProjectId, &_tessaryProjectTitle})
        if (PKErrCode err = oc.Write(*text); err != PK::NoError) return err;
    if (PKErrCode err = oc.Write(static_cast<PK::UInt32>(_virtualTypes.GetSize())); err != PK::NoError) return err;
    for (const auto& [clauseId, virtualType] : _virtualTypes)
        if (PKErrCode err = virtualType->Write(oc); err != PK::NoError) return err;
    if (PKErrCode err = _issueCollection->Write(oc); err != PK::NoError) return err;
    frame.Close();
    return oc.GetOutputStatus();
}

PKErrCode ConnectionWithSpecification::Read(PK::IChannel& ic) {
    if (PKErrCode err = ic.GetInputStatus(); err != PK::NoError) return err;
    PK::InputFrame frame(ic, classInfo);
    Error::ThrowIfNewer(frame, classInfo);

    // Everything is read aside first and taken over only when the whole
    // record was read: a failure half-way must leave the connection as it
    // was, or the next Store would write the half-read state over good data.
    bool markedAsDisconnected = false;
    Model::ClassificationSystem classificationSystem(*this);
    Model::PropertyGroup propertyGroup(*this);
    PK::UniString texts[4];
    if (PKErrCode err = ic.Read(markedAsDisconnected); err != PK::NoError) return err;
    if (PKErrCode err = classificationSystem.Read(ic); err != PK::NoError) return err;
    if (PKErrCode err = propertyGroup.Read(ic); err != PK::NoError) return err;
    for (PK::UniString& text : texts)
        if (PKErrCode err = ic.Read(text); err != PK::NoError) return err;

    PK::UInt32 count = 0;
    if (PKErrCode err = ic.Read(count); err != PK::NoError) return err;
    VirtualTypes virtualTypes;
    for (PK::UInt32 i = 0; i < count; ++i) {
        auto virtualType = std::make_shared<VirtualType>(*this);
        if (PKErrCode err = virtualType->Read(ic); err != PK::NoError) return err;
        const PK::UniString clauseId = virtualType->ClauseId();
        virtualTypes.Add(clauseId, std::move(virtualType));  // of two under one clause id the first stays
    }

    auto issueCollection = std::make_unique<Issue::Collection>(*this);
    try {
        if (PKErrCode err = issueCollection->Read(ic); err != PK::NoError) return err;
    } catch (const std::exception& e) {
        LOG_ERROR("{}", e);
        issueCollection->Clear();
        issueCollection->Add<Issue::UnknownError>(PK::UniString("Issue::Collection read error: ") + e.what());
    } catch (...) {
        LOG_ERROR("unknown exception type");
        issueCollection->Clear();
        issueCollection->Add<Issue::UnknownError>(PK::UniString("Issue::Collection read error: unknown"));
    }
    frame.Close();
    if (PKErrCode err = ic.GetInputStatus(); err != PK::NoError) return err;

    _markedAsDisconnected = markedAsDisconnected;
    _classificationSystem.MergeIn(classificationSystem);
    _propertyGroup.MergeIn(propertyGroup);
    _tessarySpecificationId = std::move(texts[0]);
    _tessarySpecificationTitle = std::move(texts[1]);
    _tessaryProjectId = std::move(texts[2]);
    _tessaryProjectTitle = std::move(texts[3]);
    _virtualTypes = std::move(virtualTypes);
    _issueCollection = std::move(issueCollection);

    Notify(&ConnectionWithSpecificationObserver::ConnEvent_VirtualTypeListChanged);
    Notify(&ConnectionWithSpecificationObserver::ConnEvent_IssueListChanged);
    return ic.GetInputStatus();
}

// ---- marks ----

void ConnectionWithSpecification::MarkAsDisconnected() {
    LOG_TRACE("MarkAsDisconnected");
    _markedAsDisconnected = true;
    Store();
}

void ConnectionWithSpecification::ReconnectWithTessarySpecification() {
    LOG_TRACE("ReconnectWithTessarySpecification");
    const std::shared_ptr<Api::Tessary> page = _tessaryPtr != nullptr ? _tessaryPtr->Lock() : nullptr;
    if (page == nullptr) return;
    // clang-format off
    if (!TC_ASSERT(err, this->_planData != nullptr)) return;
    // clang-format on
    page->AssociateSpec(_tessarySpecificationId, _planData->Id(), _planData->Title());
    if (!_markedAsDisconnected) return;
    _markedAsDisconnected = false;
    Store();
}

// ---- virtual types ----

const VirtualType& ConnectionWithSpecification::GetVirtualType(const PK::UniString& tessaryClauseId) const {
    return *_virtualTypes.Get(tessaryClauseId);
}

VirtualType& ConnectionWithSpecification::GetVirtualType(const PK::UniString& tessaryClauseId) {
    return *_virtualTypes.Get(tessaryClauseId);
}

void ConnectionWithSpecification::EnumerateVirtualTypes(const std::function<void(const VirtualType&)>& function) const {
    for (const auto& [clauseId, virtualType] : _virtualTypes) function(*virtualType);
}

void ConnectionWithSpecification::_OnlyForVT_VirtualTypeChanged() const { Store(); }

void ConnectionWithSpecification::_OnlyForUC_UnassociatedElementTypeChanged(const PK::HashSet<Element::Type>& types) {
    Notify(&ConnectionWithSpecificationObserver::ConnEvent_UnassociatedElementTypeChanged, types);
}

// ---- issues ----

PK::Array<Issue::BaseWithText> ConnectionWithSpecification::GetIssuesWithText() {
    PK::Array<Issue::BaseWithText> issues;
    issues.Reserve(_issueCollection->Get().GetSize());
    const std::shared_ptr<ConnectionWithSpecification> self = shared_from_this();
    for (const auto& issue : _issueCollection->Get()) issues.PushNew(self, issue);
    return issues;
}

void ConnectionWithSpecification::RemoveIssue(const std::shared_ptr<Issue::Base>& issue) {
    // Held here: the argument may be the collection's own entry, which a re-read replaces.
    const std::shared_ptr<Issue::Base> held = issue;
    // An issue the re-read record no longer holds is gone already.
    RefreshIfStoredChanged();
    if (_markedAsDeleted) return;
    _issueCollection->Remove(held);
    Store();
    Notify(&ConnectionWithSpecificationObserver::ConnEvent_IssueListChanged);
}

void ConnectionWithSpecification::AddIssues(Issue::Collection::Issues&& issues,
                                            const PK::Array<PK::Guid>& handledElements) {
    if (_issueCollection->AddIssues(std::move(issues))) {
        _issueCollection->RefreshAndRemoveIrrelevantElems(handledElements);
    } else if (handledElements.IsEmpty() || !_issueCollection->RefreshAndRemoveIrrelevantElems(handledElements)) {
        return;
    }
    Store();
    Notify(&ConnectionWithSpecificationObserver::ConnEvent_IssueListChanged);
}

void ConnectionWithSpecification::AddIssue(std::shared_ptr<Issue::Base> issue) {
    Issue::Collection::Issues issues;
    issues.Push(std::move(issue));
    AddIssues(std::move(issues), {});
}

// ---- failure funnel and commands ----

bool ConnectionWithSpecification::HandleExceptions(const std::function<void()>& body) {
    try {
        body();
        return true;
    } catch (const Api::ErrorPropertyManagerNoAccessRight& e) {
        LOG_INFO("{}", e);
        Notify(&ConnectionWithSpecificationObserver::ConnEvent_ErrorPropertyManagerNoAccessRight);
    } catch (const Api::ErrorClassificationManagerNoAccessRight& e) {
        LOG_INFO("{}", e);
        Notify(&ConnectionWithSpecificationObserver::ConnEvent_ErrorClassificationManagerNoAccessRight);
    } catch (const Error::IssueErrorBase& e) {
        LOG_INFO("{}", e);
        std::shared_ptr<Issue::Base> issue(e.GetIssue().Clone());
        AddIssue(issue);
        Notify(&ConnectionWithSpecificationObserver::ConnEvent_IssueWereThrown, issue);
    } catch (...) {
        TC_LOG_CAUGHT(err);
        AddIssue(std::make_shared<Issue::UnknownError>());
    }
    return false;
}

bool ConnectionWithSpecification::CallUndoableCmd(const PK::UniString& name, const std::function<void()>& body) {
    bool succeeded = false;
    const auto step = [&] {
        succeeded = HandleExceptions(body);
        // A member who takes the reservation only around its own work may never receive while holding it: the
        // groups a merge replaced are finished in the step the member takes anyway.
        try {
            TakeOverReplacedPropertyGroupsWhileReserved();
        } catch (...) {
            TC_LOG_CAUGHT(err, "; connection: {}", GetModulDataName());
        }
    };
    TV().CallUndoableCommand(name, Api::Torvel::Command(step));
    return succeeded;
}

std::optional<PK::HashSet<PK::Guid>> ConnectionWithSpecification::GroupsOfOtherConnections() const {
    PK::HashSet<PK::Guid> groups;
    const PK::UniString own = GetModulDataName();
    for (const PK::UniString& name : TV().ModulData_GetList()) {
        if (!IsModulDataNameOfThisType(name) || name == own) continue;
        try {
            Api::ModulDataWrapper data;
            if (!TV().ModulData_Get(name, *data.GetPtr())) continue;
            ConnectionWithSpecification other(_tvApi, nullptr, nullptr);
            if (data.FillObject(other)) groups.Add(other._propertyGroup.Guid());
        } catch (const Api::Error<APIERR_NOMODULEDATA>&) {
            // gone meanwhile: it keeps no group
        } catch (...) {
            TC_LOG_CAUGHT(warn, "; modulDataName: {}", name);
            return std::nullopt;
        }
    }
    return groups;
}

bool ConnectionWithSpecification::Cmd_Disconnect(bool tellPage) {
    const PK::UniString name =
        ResolveVariables(TV().GetResource(Util::Resource::Of(Util::Resource::UndoName::Disconnect)), {}, {});
    CallUndoableCmd(name, [&] {
        // A group another connection keeps as its own is never deleted because this record lists it.
        if (!_propertyGroup.GetReplacedGroups().IsEmpty()) {
            const auto keptElsewhere = GroupsOfOtherConnections();
            _propertyGroup.ForgetReplacedKeptElsewhere(keptElsewhere ? &*keptElsewhere : nullptr);
        }
        _propertyGroup.Remove();
        const std::shared_ptr<Api::Tessary> page = _tessaryPtr != nullptr ? _tessaryPtr->Lock() : nullptr;
        if (tellPage && page != nullptr) page->RemoveSpecAssociation(_tessarySpecificationId, _planData->Id());
        try {
            TV().ModulData_Erase(GetModulDataName());
        } catch (const Api::Error<APIERR_NOMODULEDATA>&) {
            // gone already: nothing left to erase
        }
        _markedAsDeleted = true;
        LOG_INFO("Specification was disconnected: {}", *this);
        Notify(&ConnectionWithSpecificationObserver::ConnEvent_Disconnected);
    });
    return _markedAsDeleted;
}

VirtualType& ConnectionWithSpecification::GetOrCreateVirtualType(const PK::UniString& tessaryClauseId,
                                                                 const Api::Properties& properties) {
    if (std::shared_ptr<VirtualType>* existing = _virtualTypes.GetPtr(tessaryClauseId)) return **existing;
    return AddVirtualType(std::make_shared<VirtualType>(*this, tessaryClauseId, properties));
}

VirtualType& ConnectionWithSpecification::AddVirtualType(std::shared_ptr<VirtualType> virtualType) {
    LOG_DEBUG("Generating virtual type({})", *virtualType);
    VirtualType& created = *virtualType;
    const PK::UniString clauseId = created.ClauseId();
    _virtualTypes.Add(clauseId, std::move(virtualType));
    Store();
    Notify(&ConnectionWithSpecificationObserver::ConnEvent_VirtualTypeListChanged);
    return created;
}

// ---- team work: refresh and merge ----

void ConnectionWithSpecification::RefreshFromStored() {
    LOG_TRACE("RefreshFromStored: {}, {}", _tessarySpecificationTitle, _tessarySpecificationId);
    Api::ModulDataWrapper data;
    if (!FetchStored(data)) return;
    // The elements this member wrote carry the values held before.
    const ClauseValues before = GetClauseValues();
    RefreshFrom(data);
    NoteReceivedValues(before);
}

ConnectionWithSpecification::ClauseValues ConnectionWithSpecification::GetClauseValues() const {
    ClauseValues values;
    for (const auto& [clauseId, virtualType] : _virtualTypes) values.Add(clauseId, virtualType->Properties());
    return values;
}

void ConnectionWithSpecification::KeepClauseValuesIn(std::shared_ptr<ClauseValues> seen) {
    _clauseValuesSeen = std::move(seen);
    if (_clauseValuesSeen != nullptr) *_clauseValuesSeen = GetClauseValues();
}

namespace {

// The names whose values differ between the two, in the order of now.
PK::Array<PK::UniString> ChangedNames(const Api::Properties& before, const Api::Properties& now) {
    PK::Array<PK::UniString> names;
    for (const auto& [name, value] : now) {
        const PK::UniString* oldValue = before.GetPtr(name);
        if (oldValue == nullptr || *oldValue != value) names.Push(name);
    }
    return names;
}

}  // namespace

void ConnectionWithSpecification::NoteReceivedValues(const ClauseValues& before) {
    for (const auto& [clauseId, virtualType] : _virtualTypes) {
        if (const Api::Properties* old = before.GetPtr(clauseId)) NoteReceivedValues(clauseId, *old);
    }
}

void ConnectionWithSpecification::NoteReceivedValues(const PK::UniString& clauseId, const Api::Properties& before) {
    PK::Array<PK::UniString> changed = ChangedNames(before, _virtualTypes.Get(clauseId)->Properties());
    if (changed.IsEmpty()) return;
    PK::Array<PK::UniString>* noted = _clausesWithReceivedValues.GetPtr(clauseId);
    if (noted == nullptr) {
        _clausesWithReceivedValues.Add(clauseId, std::move(changed));
        return;
    }
    for (PK::UniString& name : changed)
        if (!noted->Contains(name)) noted->Push(std::move(name));
}

bool ConnectionWithSpecification::RefreshIfStoredChanged() {
    // One that never wrote or read its record has nothing to tell a change by.
    if (_markedAsDeleted || _knownRecord.empty()) return false;
    Api::ModulDataWrapper data;
    if (!FetchStored(data)) return true;
    if (BytesOf(data.Get()) == _knownRecord) return false;
    LOG_INFO("The stored record changed under the connection: {}", GetModulDataName());
    RefreshFrom(data);
    return true;
}

bool ConnectionWithSpecification::IsAsStored(const API_ModulData& record) const {
    return !_knownRecord.empty() && BytesOf(record) == _knownRecord;
}

bool ConnectionWithSpecification::FetchStored(Api::ModulDataWrapper& data) {
    const PK::UniString name = GetModulDataName();
    try {
        if (TV().ModulData_Get(name, *data.GetPtr())) return true;
        LOG_DEBUG("modul data: {}", name);
    } catch (const Api::Error<APIERR_NOMODULEDATA>& e) {
        LOG_DEBUG("modul data: {}, {}", name, e);
    }
    LOG_INFO("Moduldata probably deleted on another TW client");
    _markedAsDeleted = true;
    return false;
}

void ConnectionWithSpecification::RefreshFrom(const Api::ModulDataWrapper& data) {
    const PK::UniString name = GetModulDataName();
    try {
        if (!ReadStored(data)) {
            LOG_ERROR("No modul data");
            return;
        }
        LOG_INFO("Loaded: {}: {}", name, *this);
        _unassociatedElementsCache.Reset(true);
    } catch (const std::exception& e) {
        LOG_DEBUG("ConnectionWithSpecification read error: {}: modulDataName: {}, data: {}", e, name,
                  data.ToHexEncodedString());
        LOG_CRITICAL("ConnectionWithSpecification read error: {}", e);
        // Another member's newer add-on wrote it: this one must never store over it.
        if (dynamic_cast<const Error::VersionIncompatibility*>(&e) != nullptr) _markedAsDeleted = true;
    } catch (...) {
        LOG_DEBUG("ConnectionWithSpecification read error: unknown exception type: name: {}, data: {}", name,
                  data.ToHexEncodedString());
        LOG_CRITICAL("ConnectionWithSpecification read error");
    }
}

bool ConnectionWithSpecification::MergeIn(const ConnectionWithSpecification& toMerge) {
    LOG_DEBUG("ConnectionWithSpecification::MergeIn: {} and {}", *this, toMerge);
    // clang-format off
    if (!TC_ASSERT(critical, this->_tessarySpecificationId == toMerge._tessarySpecificationId)) return false;
    // clang-format on
    _markedAsDeleted = false;
    _markedAsDisconnected = toMerge._markedAsDisconnected;
    _classificationSystem.MergeIn(toMerge._classificationSystem);
    // A group of this version's that the other's replaces is kept as replaced:
    // elements may carry their clause values only there (Cmd_TakeOverReplacedPropertyGroups).
    _propertyGroup.MergeInVersion(toMerge._propertyGroup);
    _tessarySpecificationId = toMerge._tessarySpecificationId;
    _tessarySpecificationTitle = toMerge._tessarySpecificationTitle;
    _tessaryProjectId = toMerge._tessaryProjectId;
    _tessaryProjectTitle = toMerge._tessaryProjectTitle;

    bool virtualTypeAdded = false;
    bool valuesChanged = false;
    for (const auto& [clauseId, virtualType] : toMerge._virtualTypes) {
        if (const std::shared_ptr<VirtualType>* mine = _virtualTypes.GetPtr(clauseId)) {
            const Api::Properties before = (*mine)->Properties();
            if ((*mine)->MergeIn(*virtualType)) {
                valuesChanged = true;
                // Dirty names alone ask nothing of this member's elements, which carry the values kept.
                NoteReceivedValues(clauseId, before);
            }
            continue;
        }
        // A virtual type answers to its own connection, and the other one may
        // be gone soon: this connection gets one of its own.
        _virtualTypes.Add(clauseId, std::make_shared<VirtualType>(*this, *virtualType));
        virtualTypeAdded = true;
    }
    const bool issuesChanged = _issueCollection->MergeIn(*toMerge._issueCollection);

    if (virtualTypeAdded || valuesChanged)
        Notify(&ConnectionWithSpecificationObserver::ConnEvent_VirtualTypeListChanged);
    if (issuesChanged) Notify(&ConnectionWithSpecificationObserver::ConnEvent_IssueListChanged);
    return virtualTypeAdded || valuesChanged || issuesChanged;
}

// ---- element look-ups ----

bool ConnectionWithSpecification::HandleLookUpExceptions(const std::function<void()>& body) {
    try {
        return HandleExceptions(body);
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
    return false;
}

VirtualTypesOfElements ConnectionWithSpecification::FindVirtualTypeIdsForElements(const PK::Array<PK::Guid>& elements) {
    ClauseTally tally(*this);
    tally.Begin();
    for (const PK::Guid& element : elements) tally.Add(element);
    return tally.Result(elements);
}

ConnectionWithSpecification::ClauseTally::ClauseTally(ConnectionWithSpecification& connection)
    : _connection(connection) {}

void ConnectionWithSpecification::ClauseTally::Begin() {
    if (_begun) return;
    _begun = true;
    const bool looked = _connection.HandleLookUpExceptions([&] {
        try {
            _definition = _connection._propertyGroup.GetPropertyGuid(Api::Properties::Name::ClauseId);
        } catch (const Error::MissingProperty& e) {
            LOG_DEBUG("{}", e);
            LOG_WARN(
                "we has no property so we are pretty sure thereis no associaiton to clause. Still a bit unexpected "
                "though");
            _allUnassociated = true;
            return;
        }
        _reader.emplace(_connection._propertyGroup);
    });
    if (!looked) _stopped = true;
}

void ConnectionWithSpecification::ClauseTally::Add(const PK::Guid& element) {
    Begin();
    if (_stopped) return;
    if (_allUnassociated) {
        _result.unassociatedElements.Push(element);
        return;
    }
    try {
        const PK::UniString& clauseId = _reader->Read(element);
        if (clauseId.IsEmpty())
            _result.unassociatedElements.Push(element);
        else
            _clauseIds.Add(clauseId);
    } catch (const Api::Error<APIERR_BADID>&) {
        // also an element deleted in this session (APIERR_DELETED)
        LOG_INFO("Element({}) propably deleted meanwhile", element);
    } catch (const Api::GeneralError& e) {
        LOG_DEBUG("unknown error({}), but we assume that the element({}) is not associated, ({})", e, element,
                  _definition);
        LOG_ERROR("GeneralError: {}", e);
        _result.unassociatedElements.Push(element);
    } catch (...) {
        // Nothing about one element explains it: the tally ends here, and the failure is the connection's.
        _stopped = true;
        const std::exception_ptr failure = std::current_exception();
        _connection.HandleLookUpExceptions([&] { std::rethrow_exception(failure); });
    }
}

VirtualTypesOfElements ConnectionWithSpecification::ClauseTally::Result(const PK::Array<PK::Guid>& elements) {
    VirtualTypesOfElements result = std::move(_result);
    _result = {};
    if (_stopped || _allUnassociated) return result;
    for (const PK::UniString& clauseId : _clauseIds) {
        if (const std::shared_ptr<VirtualType>* virtualType = _connection._virtualTypes.GetPtr(clauseId))
            result.virtualTypes.Push(*virtualType);
        else
            LOG_INFO("not exitsing virtual type for clauseId({}), elements({})", clauseId, fmt::join(elements, ", "));
    }
    return result;
}

PK::Array<PK::Guid> ConnectionWithSpecification::GetAssociatedElements(const PK::UniString& tessaryClauseId) {
    const std::shared_ptr<VirtualType>* virtualType = _virtualTypes.GetPtr(tessaryClauseId);
    if (virtualType == nullptr) {
        TC_ASSERT_FAILED(err, "this->_virtualTypes.ContainsKey(virtualTypeId), virtualTypeId({})", tessaryClauseId);
        return {};
    }
    PK::Array<PK::Guid> elements;
    HandleLookUpExceptions([&] { elements = (*virtualType)->GetAssociatedElements(); });
    return elements;
}

std::ostream& operator<<(std::ostream& os, const ConnectionWithSpecification& connection) {
    os << "{ \"_lastModificationTime\": " << connection._lastModificationTime
       << ", \"_markedAsDeleted\": " << (connection._markedAsDeleted ? 1 : 0)
       << ", \"_markedAsDisconnected\": " << (connection._markedAsDisconnected ? 1 : 0)
       << ", \"_tessarySpecificationTitle\": " << connection._tessarySpecificationTitle
       << ", \"_tessaryProjectTitle\": " << connection._tessaryProjectTitle
       << ", \"_classificationSystem\": " << connection._classificationSystem
       << ", \"_tessarySpecificationId\": " << connection._tessarySpecificationId
       << ", \"_tessaryProjectId\": " << connection._tessaryProjectId
       << ", \"_propertyGroup\": " << connection._propertyGroup << ", _virtualTypes: [";
    const char* separator = "";
    for (const auto& [clauseId, virtualType] : connection._virtualTypes) {
        os << separator << *virtualType;
        separator = ", ";
    }
    return os << "], \"_issueCollection\": " << *connection._issueCollection << " }";
}

}  // namespace TessaryConnect::Model
