#include "TVSim/Alerts.hpp"

#include "PK/Runnable.hpp"
#include "TVSim/Resources.hpp"

#include <deque>
#include <map>
#include <string>

namespace {

struct State {
    std::vector<TVSim::Alerts::Shown> shown;
    std::deque<short> script;
    short defaultAnswer = 1;
    std::map<short, short> answers;
};

State& TheState() {
    static State state;
    return state;
}

// Fills the alert's texts from its resource file; false when there is none.
bool Load(TVSim::Alerts::Shown& alert) {
    return RSReadResource(
        TVAPI_OwnResModule, "Alert", alert.resID, [&](const std::string& key, const std::string& text) {
            const PK::UniString value(text);
            if (key == "title")
                alert.title = value;
            else if (key == "text")
                alert.text = value;
            else if (key == "button")
                alert.buttons.push_back(value);
        });
}

short Show(PKResModule resModule, short resID, const PK::UniString (&params)[4]) {
    State& state = TheState();
    TVSim::Alerts::Shown alert;
    alert.resID = resID;
    for (int i = 0; i < 4; ++i) alert.params[i] = params[i];
    alert.fromPostedTask = PK::MainMessageLoop::IsRunningTask();
    alert.found = resModule == TVAPI_OwnResModule && Load(alert);
    for (int i = 0; i < 4; ++i) {
        // Appended rather than "%" + std::string, which GCC 12 at -O3 falsely flags with -Wrestrict.
        std::string placeholder = "%";
        placeholder += std::to_string(i + 1);
        alert.text.ReplaceAll(PK::UniString(placeholder), params[i]);
    }
    if (alert.found) {
        if (!state.script.empty()) {
            alert.answer = state.script.front();
            state.script.pop_front();
        } else if (const auto it = state.answers.find(resID); it != state.answers.end()) {
            alert.answer = it->second;
        } else {
            alert.answer = state.defaultAnswer;
        }
    }
    state.shown.push_back(alert);
    return alert.answer;
}

}  // namespace

short DGResAlert(PKResModule resModule, short resID) { return Show(resModule, resID, {}); }

short DGResAlertParam(PKResModule resModule, short resID, const PK::UniString& param1, const PK::UniString& param2,
                      const PK::UniString& param3, const PK::UniString& param4) {
    return Show(resModule, resID, {param1, param2, param3, param4});
}

namespace TVSim::Alerts {
const std::vector<Shown>& GetShown() { return TheState().shown; }
void ScriptAnswers(const std::vector<short>& answers) { TheState().script.assign(answers.begin(), answers.end()); }
void SetDefaultAnswer(short answer) { TheState().defaultAnswer = answer; }
void SetAnswer(short resID, short answer) { TheState().answers[resID] = answer; }
void Clear() { TheState() = State(); }
}  // namespace TVSim::Alerts
