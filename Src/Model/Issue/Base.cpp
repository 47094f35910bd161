#include "Model/Issue/Base.hpp"

#include <ostream>

#include "Model/ConnectionWithSpecification.hpp"
#include "Model/Errors.hpp"
#include "PK/Time.hpp"
#include "Util/AddonRuntimeError.hpp"
#include "Torvel/Api/Error.hpp"
#include "Torvel/Api/ThrowError.hpp"
#include "Torvel/Api/Torvel.hpp"
#include "Util/Log.hpp"
#include "Util/LogCaught.hpp"

namespace TessaryConnect::Model::Issue {

const PK::ClassInfo Base::classInfo("Model::Issue::Base", PK::Guid("4de6d453-ce34-4f18-9ed7-8a50fc49748a"),
                                    PK::ClassVersion(1, 0));

Base::Base() = default;

Base::Base(Issue::Severity severity) : _guid(PK::Guid::Generate()), _creationTime(TIGetTime()), _severity(severity) {}

Base::~Base() = default;

const PK::ClassInfo* Base::GetClassInfo() const { return &classInfo; }

void Base::Fix(ConnectionWithSpecification&) {}

Outcome Base::Refresh(const ConnectionWithSpecification&, const PK::HashSet<PK::Guid>&) { return {}; }

bool Base::MergeCopy(const Base&) { return false; }

Base::MergeKey Base::MakeMergeKey(const PK::Guid& family, std::size_t valueHash) {
    const std::size_t seed = std::hash<PK::Guid>{}(family);
    return seed ^ (valueHash + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2));
}

void Base::GetMergeKeys(PK::Array<MergeKey>& keys) const { keys.Push(MakeMergeKey(GetClassInfo()->GetId(), 0)); }

PK::UniString Base::GetTextTemplate(const ConnectionWithSpecification& connection, Util::Resource::IssueText item,
                                    const Util::Fills& ownFills) {
    return FillText(connection, connection.TV().GetResource(Util::Resource::Of(item)), ownFills);
}

PK::UniString Base::FillText(const ConnectionWithSpecification& connection, const PK::UniString& text,
                             const Util::Fills& ownFills) {
    Util::Fills fills = connection.PlaceholderFills({}, {});
    fills.insert(fills.end(), ownFills.begin(), ownFills.end());
    return Util::FillPlaceholders(text, fills, "Issue::Base::GetString");
}

void Base::ThrowIfNewer(const PK::InputFrame& frame, const PK::ClassInfo& info) { Error::ThrowIfNewer(frame, info); }

void Base::RunFix(const std::function<void()>& work) const {
    try {
        LOG_INFO("{}", *this);
        work();
    } catch (...) {
        TC_LOG_CAUGHT(err);
    }
}

PKErrCode Base::Write(PK::OChannel& oc) const {
    return WriteLevel(
        oc, classInfo, [] { return PK::NoError; }, _guid, _creationTime, _severity);
}

PKErrCode Base::Read(PK::IChannel& ic) {
    return ReadLevel(
        ic, classInfo, [] { return PK::NoError; }, _guid, _creationTime, _severity);
}

void Base::DumpInner(std::ostream& os) const {
    os << "guid: " << _guid << ", severity: " << _severity << ", creationTime: " << _creationTime;
}

PKErrCode Base::WriteWithType(PK::OChannel& oc) const {
    if (PKErrCode err = oc.Write(GetClassInfo()->GetId()); err != PK::NoError) return err;
    return Write(oc);
}

std::unique_ptr<Base> Base::CreateAndRead(PK::IChannel& ic) {
    PK::Guid classId;
    if (PKErrCode err = ic.Read(classId); err != PK::NoError) TC_LOG_AND_THROW_ERRCODE(err);
    return CreateAndRead(classId, ic);
}

std::unique_ptr<Base> Base::CreateAndRead(const PK::Guid& classId, PK::IChannel& ic) {
    const PK::ClassInfo* currentClassInfo = PK::classManager.FindClassInfo(classId);
    if (!TC_ASSERT_MSG(critical, currentClassInfo != nullptr, "classId({})", classId))
        TC_THROW_RUNTIME("currentClassInfo is null");
    return CreateAndRead(*currentClassInfo, ic);
}

std::unique_ptr<Base> Base::CreateAndRead(const PK::ClassInfo& classInfo, PK::IChannel& ic) {
    const PK::ClassInfo* currentClassInfo = &classInfo;
    if (!TC_ASSERT_MSG(critical, currentClassInfo->HasConstructor(), "*currentClassInfo({})", *currentClassInfo))
        TC_THROW_RUNTIME("currentClassInfo no contr");

    std::unique_ptr<PK::Object> pkObj(currentClassInfo->Construct());
    if (!TC_ASSERT_MSG(critical, pkObj != nullptr, "*currentClassInfo({})", *currentClassInfo))
        TC_THROW_RUNTIME("Class creation null");
    if (!TC_ASSERT_MSG(critical, dynamic_cast<Base*>(pkObj.get()) != nullptr,
                       "*currentClassInfo({}), *pkObj->GetClassInfo()({})", *currentClassInfo, *pkObj->GetClassInfo()))
        TC_THROW_RUNTIME("Class is not an Model::Issue::Base");

    std::unique_ptr<Base> issue(static_cast<Base*>(pkObj.release()));
    if (PKErrCode err = issue->Read(ic); err != PK::NoError) TC_LOG_AND_THROW_ERRCODE(err);
    return issue;
}

std::ostream& operator<<(std::ostream& os, Severity severity) {
    switch (severity) {
        case Severity::Warning:
            return os << "Warning";
        case Severity::Error:
            return os << "Error";
    }
    return os;
}

std::ostream& operator<<(std::ostream& os, const Base& issue) {
    os << issue.GetClassInfo()->GetName() << "{";
    issue.DumpInner(os);
    return os << "}";
}

std::ostream& operator<<(std::ostream& os, const PK::Array<std::shared_ptr<Base>>& issues) {
    for (const auto& issue : issues)
        if (issue) os << *issue;
    return os;
}

}  // namespace TessaryConnect::Model::Issue
