#pragma once
// Resource alerts of the dialog library. An alert's texts live in the add-on's
// Resources folder as "Alert-<id>.txt", one "<key><TAB><text>" per line: a
// "title", a "text" (in which %1 to %4 stand for the parameters) and one
// "button" line per button, the first being answer 1; '#' starts a comment;
// "\n", "\t" and "\\" are escapes. An alert returns the number of the button
// pressed, or 0 when the alert does not exist.
//
// Nobody presses buttons in the simulated host: TVSim/Alerts.hpp.
#include "PK/UniString.hpp"
#include "RS/Resources.hpp"

short DGResAlert(PKResModule resModule, short resID);
short DGResAlertParam(PKResModule resModule, short resID, const PK::UniString& param1, const PK::UniString& param2 = {},
                      const PK::UniString& param3 = {}, const PK::UniString& param4 = {});
