#pragma once
// Nobody presses buttons in the simulated host: it records every resource
// alert shown (DG/Alerts.hpp) and answers from a script a test writes: first
// the answers scripted in sequence, then the answer set for the alert's id,
// then the default answer. An alert that does not exist answers 0. The
// alerts' texts come from the folder TVSim::Resources points at.
#include <vector>

#include "DG/Alerts.hpp"
#include "PK/UniString.hpp"
#include "TVSim/Guard.hpp"
#include "TVSim/Resources.hpp"

namespace TVSim::Alerts {

struct Shown {
    short resID = 0;
    PK::UniString params[4];
    bool found = false;  // the alert exists in the resources
    PK::UniString title;
    PK::UniString text;  // with the parameters filled in
    std::vector<PK::UniString> buttons;
    short answer = 0;
    bool fromPostedTask = false;  // shown while a task posted to the main loop ran
};

const std::vector<Shown>& GetShown();
// The next alerts are answered with these buttons, in order; after them the
// default answer (1 unless set) applies.
void ScriptAnswers(const std::vector<short>& answers);
void SetDefaultAnswer(short answer);
// Alert resID is answered with this button whenever no sequence answer is left.
void SetAnswer(short resID, short answer);
void Clear();

}  // namespace TVSim::Alerts
