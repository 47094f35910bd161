#pragma once
// The identity of the open project as the web page knows it: the plan id (the
// text form of a GUID) and the project's title. The page receives them as the
// document reference and name; connections tell the page which plan they
// belong to with them.
//
// The id is made locally and written into the project (the add-on object
// "PlanData") only when it must be shared, when a specification is connected.
// By then another team member may have stored an id of its own; that one is
// adopted. Reserving the add-on object keeps two members from writing it at
// the same moment; a reservation taken here is always given back.
#include <iosfwd>
#include <memory>

#include "PK/Channel.hpp"
#include "PK/ClassInfo.hpp"
#include "PK/Guid.hpp"
#include "PK/UniString.hpp"
#include "Util/Formatters.hpp"

namespace TessaryConnect::Api {
class PKHandleWrapper;
class Torvel;
}  // namespace TessaryConnect::Api

namespace TessaryConnect::Model {

class PlanData {
public:
    // The name of the project's one add-on object holding the id.
    static const PK::UniString AddonObjectName;
    static const PK::ClassInfo classInfo;
    // How often a creation that lost a race to another member is followed by
    // another look-up before giving up.
    static constexpr int maxCreateOrFindAttempts = 3;

    explicit PlanData(std::shared_ptr<Api::Torvel> tvApi);

    // Forgets the id, the add-on object and that they were in step.
    void Clear();
    // Empty until an id is loaded or generated.
    const PK::UniString& Id() const { return _id; }
    // The project's name, else its path, else "Untitled" for a project never
    // saved, else "unknown"; the empty text when no project is open or the
    // host cannot tell. Never throws.
    PK::UniString Title() const;
    // Forgets everything and takes a new local id.
    void GenerateNew();
    // Whether the id is known to be the one stored in the project.
    bool IsSynced() const { return _synced; }

    // Takes the id stored in the project, if it holds one; true then. A record
    // written by a newer version throws Error::VersionIncompatibility.
    bool LoadIfHas();
    // Makes the id here and the id in the project the same: adopts a stored
    // id (true) or stores this one (false). Another member holding the add-on
    // object throws AnotherUserIsInitingThePlanId; the local id then stays.
    bool Sync();
    // Reads the add-on object's content; true when it held an id, which is
    // then this object's id. Without content, or with an empty id, the id
    // here stays as it was.
    bool Load();
    // Finds the add-on object, or creates it; true when it created it.
    bool InitAddonObjectIfNeeded() const;

    PKErrCode Read(PK::IChannel& ic);
    PKErrCode Write(PK::OChannel& oc) const;

private:
    // The id stored in the add-on object; empty when it has no content or an empty id.
    PK::UniString ReadStoredId() const;
    PK::UniString IdIn(const Api::PKHandleWrapper& content) const;
    void StoreId();

    std::shared_ptr<Api::Torvel> _tvApi;
    mutable PK::Guid _addonObjectGuid;
    bool _synced = false;
    PK::UniString _id;
};

// "PlanData{_id: " the id "}".
std::ostream& operator<<(std::ostream& os, const PlanData& planData);

}  // namespace TessaryConnect::Model

TC_OSTREAM_FORMATTER(TessaryConnect::Model::PlanData);
