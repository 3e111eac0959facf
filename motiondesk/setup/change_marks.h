#pragma once
// Which settings of the set-up window differ from what the window last read from the
// controller. Only settings the controller has answered for count: one the controller never
// reported (a firmware that lacks it, a reply the window could not show) has nothing to differ
// from. The window marks the controls of a changed setting, and "Store" lists them.

#include "controller/setup_panel.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace setup {

// One setting as the user sees it: a polarity choice with its option buttons, or one check
// box, entry field or list.
struct SetupSetting {
    std::string description;
    std::vector<std::string> controls;
    // The setting's value as the list of changes shows it ("High", "ticked", "0100").
    std::function<std::string(const SetupPanel&)> value;
};

// Every setting of the window, in the window's order.
const std::vector<SetupSetting>& setupSettings();

inline constexpr const char* kChangedMarkTip = "Changed since the window read the controller";

class ChangeTracker {
public:
    // The panel's values of the settings whose controls a read filled become the controller's.
    void recordRead(const SetupPanel& panel, const std::set<std::string>& filledControls);
    // The object names of the controls of every changed setting.
    std::set<std::string> changedControls(const SetupPanel& panel) const;
    // One line per changed setting: "Dir: High (was Low)".
    std::vector<std::string> changedSettings(const SetupPanel& panel) const;

private:
    std::map<size_t, std::string> read_; // setting index -> value as read
};

} // namespace setup
