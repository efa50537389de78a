#pragma once

#include "link/link.h"
#include "sheet/port_map_model.h"
#include "sheet/settings.h"
#include "sheet/sheet_listener.h"
#include "text/message_table.h"

#include <functional>
#include <string>
#include <vector>

namespace rl4 {

// The VCA slope is the low nibble of the VCA setup byte.
inline constexpr int kSlopeMaximum = 15;

// How the matrix sets its VCAs at power-on: the high nibble of the VCA setup byte.
enum class VcaPowerOn { Max, Min, Mem }; // optvcamax, optvcamin, optvcamem

// What `lblslope` shows for a slope value: the matrix counts the slope in fifths of a second.
std::string slopeText(int slope);

// The configuration dialog `frmconfig`: serial port, protocol length, language and the matrix's VCA
// power-on mode and slope. The window draws the fields below, sets the option groups as the operator picks
// them and forwards the other events.
class ConfigDialogModel {
public:
    // `storeStatus` makes the matrix keep its status, so that it keeps the new VCA setup.
    ConfigDialogModel(Link& link, Settings& settings, MessageTable& messages,
                      std::function<void()> storeStatus);

    void setListener(SheetListener* listener) { listener_ = listener; }
    // The port map the dialog shows beside the port list; none in a program without a folder of its own.
    void setPortMap(PortMapModel* ports) { ports_ = ports; }
    PortMapModel* portMap() const { return ports_; }

    // Fills the dialog from the program and asks the matrix for its VCA setup.
    void frmconfig_Load();
    // The port changes at once, whether the dialog is then confirmed or not.
    void lbcom_Click(int index);
    void slislope_Change(int value);
    void confok_Click();
    void confcncl_Click();

    // The option groups, as the operator picks them; they take effect at confok_Click.
    void setProtocolChoice(int length) { protocolChoice_ = length; }
    void setLanguageChoice(int language) { languageChoice_ = language; }
    void setPowerOn(VcaPowerOn powerOn) { powerOn_ = powerOn; }

    const std::vector<std::string>& lbcom() const { return lbcom_; } // "COM 1" .. "COM 16"
    int lbcomIndex() const { return lbcomIndex_; }                   // the port's entry, -1 for no port
    const std::string& frcom() const { return frcom_; }              // caption of the port frame
    int protocolChoice() const { return protocolChoice_; }           // opt4oct / opt5oct
    int languageChoice() const { return languageChoice_; }           // optenglish / optfrancais
    VcaPowerOn powerOn() const { return powerOn_; }
    int slislope() const { return slislope_; }
    const std::string& lblslope() const { return lblslope_; }
    bool visible() const { return visible_; }

private:
    void showPort(int port);
    void changed();

    Link& link_;
    Settings& settings_;
    MessageTable& messages_;
    std::function<void()> storeStatus_;
    SheetListener* listener_ = nullptr;
    PortMapModel* ports_ = nullptr;

    std::vector<std::string> lbcom_;
    int lbcomIndex_ = -1;
    std::string frcom_;
    int protocolChoice_ = 5;
    int languageChoice_ = kLanguageEnglish;
    VcaPowerOn powerOn_ = VcaPowerOn::Max;
    int slislope_ = 0;
    std::string lblslope_;
    bool visible_ = false;
};

} // namespace rl4
