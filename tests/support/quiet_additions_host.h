#pragma once
// An additions host for tests that merge or save without a window: the nickname is "test",
// feedback, timers, controls and log lines go nowhere.
#include <string>

#include "additions.h"

class QuietHost : public AdditionsHost {
public:
    std::string ask_pseudo() override { return "test"; }
    void show_feedback(int, int, const std::string&, const std::string&) override {}
    void setAutosaveTimer(bool) override {}
    void setSaveControlsEnabled(bool) override {}
    void log(const std::string&) override {}
};
