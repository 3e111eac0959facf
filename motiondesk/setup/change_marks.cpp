#include "motiondesk/setup/change_marks.h"

#include "controller/polarity_word.h"

#include <string_view>

namespace setup {

namespace {

// The window's order: frame by frame, top to bottom.
constexpr const char* kSettingOrder[] = {
    "RunOnBoot",
    "RunOnBoot2",
    "EOBOOT",
    "DOBOOT",
    "EnaDEC",
    "HCA",
    "LCA",
    "RZ",
    "IERR",
    "DeviceIDCombo",
    "baudCombo",
    "RT",
    "Watchdog",
    "VerimoveEnable",
    "VerimoveTolRange",
    "VerimoveErrorRange",
    "VerimoveMaxAttempt",
    "VerimoveRatio",
    "JoyMaxSpdX",
    "JoyMaxDeltaX",
    "JoyZeroTolX",
    "NegOuterX",
    "NegInnerX",
    "PosInnerX",
    "PosOuterX",
    "joyenable",
    "DIOenable",
    "MicrostepSelect",
    "RunCurrentSelect",
    "IdleCurrentSelect",
    "IdleTimeSelect",
};

std::string optionName(bool SetupPanel::*member) {
    const char* name = controlNameIn(kSetupOptions, member);
    return name ? name : "";
}

SetupSetting choiceSetting(const PolarityChoice& choice) {
    return {choice.caption,
            {optionName(choice.low), optionName(choice.high)},
            [low = choice.low, high = choice.high](const SetupPanel& panel) -> std::string {
                if (panel.*high) return "High";
                if (panel.*low) return "Low";
                return "neither";
            }};
}

SetupSetting encoderSetting() {
    SetupSetting setting{"Encoder", {}, [](const SetupPanel& panel) -> std::string {
                             for (const EncoderOption& option : kEncoderOptions)
                                 if (panel.*option.member) return option.caption;
                             return "neither";
                         }};
    for (const EncoderOption& option : kEncoderOptions)
        setting.controls.push_back(optionName(option.member));
    return setting;
}

std::string shownText(const std::string& text) {
    return text.empty() ? "(empty)" : text;
}

SetupSetting controlSetting(std::string_view name) {
    for (const auto& field : kSetupFields)
        if (name == field.name)
            return {
                field.description, {field.name}, [member = field.member](const SetupPanel& panel) {
                    return shownText(panel.*member);
                }};
    for (const auto& list : kSetupLists)
        if (name == list.name)
            return {list.description, {list.name}, [member = list.member](const SetupPanel& panel) {
                        return shownText(panel.*member);
                    }};
    for (const auto& check : kSetupChecks)
        if (name == check.name)
            return {check.description,
                    {check.name},
                    [member = check.member](const SetupPanel& panel) -> std::string {
                        return panel.*member ? "ticked" : "not ticked";
                    }};
    return {std::string(name), {}, [](const SetupPanel&) { return std::string(); }};
}

std::vector<SetupSetting> buildSettings() {
    std::vector<SetupSetting> settings;
    for (const PolarityChoice& choice : kPolarityChoices) {
        settings.push_back(choiceSetting(choice));
        if (std::string_view(choice.caption) == "Z Index") settings.push_back(encoderSetting());
    }
    for (const char* name : kSettingOrder)
        settings.push_back(controlSetting(name));
    return settings;
}

} // namespace

const std::vector<SetupSetting>& setupSettings() {
    static const std::vector<SetupSetting> settings = buildSettings();
    return settings;
}

void ChangeTracker::recordRead(const SetupPanel& panel,
                               const std::set<std::string>& filledControls) {
    const auto& settings = setupSettings();
    for (size_t i = 0; i < settings.size(); ++i)
        for (const std::string& control : settings[i].controls)
            if (filledControls.count(control)) {
                read_[i] = settings[i].value(panel);
                break;
            }
}

std::set<std::string> ChangeTracker::changedControls(const SetupPanel& panel) const {
    std::set<std::string> controls;
    const auto& settings = setupSettings();
    for (const auto& [index, value] : read_)
        if (settings[index].value(panel) != value)
            controls.insert(settings[index].controls.begin(), settings[index].controls.end());
    return controls;
}

std::vector<std::string> ChangeTracker::changedSettings(const SetupPanel& panel) const {
    std::vector<std::string> lines;
    const auto& settings = setupSettings();
    for (const auto& [index, value] : read_) {
        const std::string now = settings[index].value(panel);
        if (now != value)
            lines.push_back(settings[index].description + ": " + now + " (was " + value + ")");
    }
    return lines;
}

} // namespace setup
