#pragma once
// Test control of the headless dialog library: panels and their items
// (DG/Panel.hpp, DG/Items.hpp), the roll-down palette (UD/RollDownPalette.hpp),
// modal dialogs, icons and owner drawing (DG/Drawing.hpp). Alerts have their
// own control (TVSim/Alerts.hpp); posted work waits on the main loop
// (PK::MainMessageLoop: GetPendingCount, RunPending(1) runs one task,
// RunPending() runs all, those posted meanwhile included, Clear discards).
//
// What it enforces:
// - The user acts only on what a user could: an item that exists on the panel,
//   is bound to an object of the add-on, is enabled and visible, on a panel
//   whose items are enabled, on an enabled roll panel, in a modal dialog that
//   was not asked to close. An action refused returns false and fires nothing.
// - Every handler of the add-on that the library calls runs behind a barrier:
//   an exception it lets escape is recorded (GetEscapedExceptions) instead of
//   reaching the test, as a real host would not survive it.
// - Uses a real host would refuse are recorded as faults (GetFaults): an item
//   number that the panel's dialog resource lacks, two objects bound to one
//   item, a row, entry or tab field out of range, a missing dialog resource,
//   an EnableDraw without its DisableDraw, a close request of a modal dialog
//   that is not running.
//
// How tests drive it: build the add-on's panels as the add-on does (a
// UD::RollDownPalette makes roll panels, a DG::TabPage is built on a roll
// panel's tab control), then act as the user with the functions below and read
// the items back through the library's own getters (DG::ListBox::GetTabItemText,
// DG::PopUp::GetSelectedItem, DG::Item::IsEnabled, UD::IRollPanel::IsEnabled...).
// A modal dialog's Invoke calls the driver registered for its resource id,
// which acts as the user through the same functions and closes it (a button
// whose handler posts the close request); a driver that returns without a
// close request, or no driver at all, means Cancel.
//
//   TVSim::Dialogs::SetModalDriver(32610, [](DG::ModalDialog& dialog) {
//       TVSim::Dialogs::ChoosePopUpItem(dialog, 2, 2);
//       TVSim::Dialogs::Click(dialog, 3);
//   });
#include <functional>
#include <string>
#include <vector>

#include "DG/DialogState.hpp"
#include "DG/Items.hpp"
#include "DG/Panel.hpp"
#include "TVSim/Guard.hpp"

namespace TVSim::Dialogs {

// ---- the user ----

// PanelOpened, as when the panel is shown.
void Open(DG::Panel& panel);
// The panel grows by dx and dy; PanelResized tells the observers. The items stay.
void Resize(DG::Panel& panel, short dx, short dy);
// The close box: PanelCloseRequested; true when an observer accepted.
bool RequestClose(DG::Panel& panel);
// ButtonClicked of a button or icon button.
bool Click(DG::Panel& panel, short item);
// Selects the pop-up entry; PopUpChanged.
bool ChoosePopUpItem(DG::Panel& panel, short item, short entry);
// Selects the row (0: clicks beside the rows, deselecting); ListBoxSelectionChanged.
bool SelectRow(DG::Panel& panel, short item, short row);
// As SelectRow (the selection event only when the selection changed), then ListBoxClicked.
bool ClickRow(DG::Panel& panel, short item, short row);
// As SelectRow (the selection event only when the selection changed), then ListBoxDoubleClicked.
bool DoubleClickRow(DG::Panel& panel, short item, short row);
// Draws the list box: ListBoxTabFieldUpdate for every owner-drawn cell, row by
// row; the drawing calls of all cells in order, each cell's preceded by
// "cell <row>,<field> <width>x<height>". Nothing while drawing is suspended.
std::vector<std::string> Draw(DG::Panel& panel, short item);

// ---- what the library's own interface does not show ----

// DisableDraw calls not yet balanced by EnableDraw, and Redraw calls so far.
int GetDrawSuspension(const DG::ListBox& listBox);
int GetRedrawCount(const DG::ListBox& listBox);

// ---- modal dialogs ----

using Driver = std::function<void(DG::ModalDialog& dialog)>;
void SetModalDriver(short resID, Driver driver);
using Invocation = DG::Detail::ModalInvocation;
// Every Invoke so far: the dialog, whether it ran from a posted task, whether it was accepted.
const std::vector<Invocation>& GetInvocations();

// ---- icons ----

// Icons of that id have this size from now on (16 by 16 otherwise).
void SetIconSize(short resID, double width, double height);

// ---- the host's limits ----

// The host makes that many more roll panels, then answers null.
void LimitRollPanels(std::size_t count);

// ---- what went wrong ----

const std::vector<std::string>& GetEscapedExceptions();
const std::vector<std::string>& GetFaults();

// Forgets drivers, icon sizes, invocations, the roll-panel limit, faults and escaped exceptions.
void Reset();

}  // namespace TVSim::Dialogs
