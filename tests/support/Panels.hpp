#pragma once
// A page of the palette on a roll panel of its own, over the standard project with the add-on started; the palette is
// not shown (opened) until a test shows it. PanelProject<VirtualTypeTabPage> p; p.palette.Show(); p.Rows().
#include <memory>
#include <string>
#include <vector>

#include "DG/Items.hpp"
#include "UD/RollDownPalette.hpp"
#include "support/AddOn.hpp"

namespace TestSupport {

template <typename Page>
struct PanelProject : AddOnProject {
    explicit PanelProject(std::shared_ptr<Api::Torvel> host = std::make_shared<Implementation::Torvel>())
        : AddOnProject(true, std::move(host)) {}

    DG::ListBox& List() const { return *dynamic_cast<DG::ListBox*>(page->GetItem(1)); }
    // The text of each row's first tab field.
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (short row = 1; row <= List().GetItemCount(); ++row) rows.push_back(Text(List().GetTabItemText(row, 1)));
        return rows;
    }
    std::string TextOf(short item) const { return Text(dynamic_cast<DG::TextItem*>(page->GetItem(item))->GetText()); }

    UD::RollDownPalette palette{PK::Guid(), 4, 0, 0};
    UD::IRollPanel* rollPanel = palette.GetRollDownSurface()->GetPanelContainer()->CreateRollPanel(0);
    std::shared_ptr<Page> page = std::make_shared<Page>(rollPanel, addOn->manager);
};

}  // namespace TestSupport
