#pragma once
// The door to the add-on's one palette. The host's entry points come here (the
// menu command opens it, palette messages act on it, unloading closes it), and
// whatever must reach the palette later (a posted step, a panel asking another
// panel) looks it up here when it runs instead of holding a pointer to it: a
// palette closed in between is simply not found.
//
//   UI::PaletteManager::GetInstance().Open(manager);
//   ...
//   UI::MainMessageLoop::Execute([] { UI::PaletteManager::GetInstance().ExpandIssueRiveduv(); });
#include <memory>

#include "PK/Types.hpp"
#include "PK/UniString.hpp"
#include "TVAPI/APIRecords.hpp"

namespace TessaryConnect::Model {
class Manager;
}

namespace TessaryConnect::UI {

class Palette;

class PaletteManager {
public:
    static PaletteManager& GetInstance();

    PaletteManager(const PaletteManager&) = delete;
    PaletteManager& operator=(const PaletteManager&) = delete;
    // A palette still open at program exit is closed as by Close.
    ~PaletteManager();

    // Builds and shows the palette; nothing at all while one is open, shown or hidden.
    void Open(const std::shared_ptr<Model::Manager>& manager);
    // Hides the palette and ends its event processing (unless a close request
    // did so already), then deletes it.
    void Close();
    // The open palette, or null.
    Palette* GetPalette() const { return _palette.get(); }

    void SelectVirtualType(const PK::UniString& virtualTypeId);
    void ExpandIssueRiveduv();
    // The host's palette messages; always answers NoError.
    PKErrCode HandleControlCallBack(API_PaletteMessageID messageId, PK::Int64 param);

private:
    PaletteManager() = default;

    std::unique_ptr<Palette> _palette;
};

}  // namespace TessaryConnect::UI
