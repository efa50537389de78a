#pragma once

#include "engine/engine_listener.h"

#include <vector>

namespace rl4 {

// The engine has one listener; the windows are several. The hub passes every notice on to each window that
// joined, in the order they joined, so that a window added later only has to join to be told.
class ListenerHub : public EngineListener {
public:
    void join(EngineListener* listener);
    void leave(EngineListener* listener);

    void historyRowAdded(const HistoryRow& row) override { each(&EngineListener::historyRowAdded, row); }
    void onLineChanged(bool onLine) override { each(&EngineListener::onLineChanged, onLine); }
    void portSearchStarted() override { each(&EngineListener::portSearchStarted); }
    void portSearchProgress(int port) override { each(&EngineListener::portSearchProgress, port); }
    void portSearchFinished() override { each(&EngineListener::portSearchFinished); }

    void sheetColumnsChanged() override { each(&EngineListener::sheetColumnsChanged); }
    void sheetFilled() override { each(&EngineListener::sheetFilled); }
    void sheetRowChanged(int destination) override { each(&EngineListener::sheetRowChanged, destination); }
    void currentRowChanged() override { each(&EngineListener::currentRowChanged); }
    void statusTextChanged(const std::string& text) override {
        each(&EngineListener::statusTextChanged, text);
    }
    void vcaPanelChanged() override { each(&EngineListener::vcaPanelChanged); }
    void storeButtonChanged(bool enabled) override { each(&EngineListener::storeButtonChanged, enabled); }
    void statusReadingStarted() override { each(&EngineListener::statusReadingStarted); }
    void statusReadingProgress(const std::string& layerText, int output) override {
        each(&EngineListener::statusReadingProgress, layerText, output);
    }
    void statusReadingFinished() override { each(&EngineListener::statusReadingFinished); }
    void inputGainChanged(int level, const std::string& text) override {
        each(&EngineListener::inputGainChanged, level, text);
    }
    void inputModeChanged(bool balanced) override { each(&EngineListener::inputModeChanged, balanced); }
    void switcherChanged() override { each(&EngineListener::switcherChanged); }
    void titleChanged(const std::string& title) override { each(&EngineListener::titleChanged, title); }
    void sheetChecksChanged() override { each(&EngineListener::sheetChecksChanged); }
    void switcherFollowReport(int destination, int source) override {
        each(&EngineListener::switcherFollowReport, destination, source);
    }
    void configDialogChanged() override { each(&EngineListener::configDialogChanged); }
    void windowRequested(int menuId) override { each(&EngineListener::windowRequested, menuId); }
    void quitRequested() override { each(&EngineListener::quitRequested); }
    void menuChecksChanged() override { each(&EngineListener::menuChecksChanged); }
    void switcherModelChanged() override { each(&EngineListener::switcherModelChanged); }
    void historyModelChanged() override { each(&EngineListener::historyModelChanged); }
    void eepromWindowShown() override { each(&EngineListener::eepromWindowShown); }
    void eepromWindowChanged() override { each(&EngineListener::eepromWindowChanged); }
    void eepromUploadRunning(bool running) override { each(&EngineListener::eepromUploadRunning, running); }
    void debugModelChanged() override { each(&EngineListener::debugModelChanged); }
    void debugStepDone() override { each(&EngineListener::debugStepDone); }
    void debugLetEventsRun() override { each(&EngineListener::debugLetEventsRun); }

    void routingReported(Layer layer, int destination, int source) override {
        each(&EngineListener::routingReported, layer, destination, source);
    }
    void vcaReported(int destination, int level) override {
        each(&EngineListener::vcaReported, destination, level);
    }
    void lineLost(const std::string& reason) override { each(&EngineListener::lineLost, reason); }
    void lineBack() override { each(&EngineListener::lineBack); }
    void commandRefused() override { each(&EngineListener::commandRefused); }

private:
    // A window may close (and leave) or open (and join) while another is being told: the round goes over
    // the list as it stood when the notice came, without those that left meanwhile.
    template <typename Notice, typename... Args>
    void each(Notice notice, const Args&... args) {
        const std::vector<EngineListener*> listeners = listeners_;
        for (EngineListener* listener : listeners) {
            if (joined(listener))
                (listener->*notice)(args...);
        }
    }
    bool joined(const EngineListener* listener) const;

    std::vector<EngineListener*> listeners_;
};

} // namespace rl4
