#pragma once
// Resource alerts of the dialog library. An alert's texts live in the add-on's
// Resources folder as "Alert-<id>.txt", one "<key><TAB><text>" per line: a
// "title", a "text" (in which %1 to %4 stand for the parameters) and one
// "button" line per button, the first being answer 1; '#' starts a comment;
// "\n", "\t" and "\\" are escapes. An alert returns the number of the button
// pressed, or 0 when the alert does not exist.
//
// Nobody presses buttons here: TVSim::Alerts records every alert shown and
// answers from a script a test writes.
#include <deque>
#include <vector>

#include "PK/UniString.hpp"
#include "TVAPI/Resources.hpp"

short DGResAlert(PKResModule resModule, short resID);
short DGResAlertParam(PKResModule resModule, short resID, const PK::UniString& param1, const PK::UniString& param2 = {},
                      const PK::UniString& param3 = {}, const PK::UniString& param4 = {});

namespace TVSim::Alerts {

struct Shown {
    short resID = 0;
    PK::UniString params[4];
    bool found = false;  // the alert exists in the resources
    PK::UniString title;
    PK::UniString text;  // with the parameters filled in
    std::vector<PK::UniString> buttons;
    short answer = 0;
};

const std::vector<Shown>& GetShown();
// The next alerts are answered with these buttons, in order; after them the
// default answer (1 unless set) applies.
void ScriptAnswers(const std::vector<short>& answers);
void SetDefaultAnswer(short answer);
void Clear();

}  // namespace TVSim::Alerts
