#pragma once
// Names one host view: a database, and for a floor plan its story, for the
// 3D window whether it showed a perspective. An issue keeps one so the user
// can be brought back to where the problem was found.
#include <iosfwd>

#include "Torvel/Api/DatabaseId.hpp"

namespace TessaryConnect::Api {

class WindowId : public PK::Object {
public:
    static const PK::ClassInfo classInfo;

    WindowId() = default;
    WindowId(const DatabaseId& databaseId, PK::Int16 storyNumber, bool isPersp);
    ~WindowId() override;

    // The view that is active in the host now; host errors are thrown.
    static WindowId GetCurrent(Torvel& torvel);

    bool IsValid() const { return _databaseId.IsValid(); }
    API_WindowInfo GetWindowInfo() const { return _databaseId.GetWindowInfo(); }
    const DatabaseId& GetDatabaseId() const { return _databaseId; }
    PK::Int16 GetStoryNumber() const { return _storyNumber; }
    bool IsPersp() const { return _isPersp; }

    // A name of the view for the user.
    PK::UniString GetTitle(Torvel& torvel) const;
    // Brings the view back in the host.
    void OpenWindow(Torvel& torvel) const;

    const PK::ClassInfo* GetClassInfo() const override { return &classInfo; }
    PKErrCode Read(PK::IChannel& ic) override;
    PKErrCode Write(PK::OChannel& oc) const override;

private:
    DatabaseId _databaseId;
    PK::Int16 _storyNumber = 0;
    bool _isPersp = true;
};

std::ostream& operator<<(std::ostream& os, const WindowId& id);

}  // namespace TessaryConnect::Api

TC_OSTREAM_FORMATTER(TessaryConnect::Api::WindowId);
