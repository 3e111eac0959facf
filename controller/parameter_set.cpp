#include "controller/parameter_set.h"

#include "common/numbers.h"
#include "controller/polarity_word.h"
#include "link/clock.h"
#include "link/command_channel.h"

#include <charconv>
#include <utility>

namespace setup {

// How an upload query's reply reaches the window.
enum class Fill {
    Text,          // the reply as received, into an entry field or list
    CheckBox,      // 0 or 1 sets the box
    TickedWhenOne, // 1 ticks the box, any other number clears it
    BootBits,      // SLOAD: bit 0 Auto Run 0, bit 1 Auto Run 1
    BaudRate,      // DB: a code 1 to 5 shows its rate
    DeviceId,      // DN: the two digits after the model word
    Polarity,      // POL: the polarity and encoder choices
};

struct UploadStep {
    const char* query;
    Fill fill;
    const char* control; // for Text, CheckBox and TickedWhenOne
    int minimumFirmware; // asked only of this firmware or later
    bool checked;        // a failure says "Communication Error!"
};

namespace {

// In the order they are asked. Older firmware lacks the first nine; the status is looked at
// from "SL" on.
constexpr UploadStep kUploadSteps[] = {
    {"EDEC", Fill::CheckBox, "EnaDEC", 230, false},
    {"RZ", Fill::CheckBox, "RZ", 230, false},
    {"LCA", Fill::Text, "LCA", 230, false},
    {"HCA", Fill::Text, "HCA", 230, false},
    {"TOC", Fill::Text, "Watchdog", 222, false},
    {"IERR", Fill::CheckBox, "IERR", 222, false},
    {"EOBOOT", Fill::Text, "EOBOOT", 227, false},
    {"DOBOOT", Fill::Text, "DOBOOT", 222, false},
    {"IERR", Fill::CheckBox, "IERR", 222, false},
    {"SLOAD", Fill::BootBits, nullptr, 0, false},
    {"DB", Fill::BaudRate, nullptr, 0, false},
    {"SL", Fill::TickedWhenOne, "VerimoveEnable", 0, true},
    {"SLT", Fill::Text, "VerimoveTolRange", 0, true},
    {"SLE", Fill::Text, "VerimoveErrorRange", 0, true},
    {"SLA", Fill::Text, "VerimoveMaxAttempt", 0, true},
    {"SLR", Fill::Text, "VerimoveRatio", 0, true},
    {"DN", Fill::DeviceId, nullptr, 0, true},
    {"POL", Fill::Polarity, nullptr, 0, true},
    {"JV1", Fill::Text, "JoyMaxSpdX", 0, true},
    {"JV3", Fill::Text, "JoyMaxDeltaX", 0, true},
    {"JV5", Fill::Text, "JoyZeroTolX", 0, true},
    {"JL1", Fill::Text, "NegOuterX", 0, true},
    {"JL2", Fill::Text, "NegInnerX", 0, true},
    {"JL3", Fill::Text, "PosInnerX", 0, true},
    {"JL4", Fill::Text, "PosOuterX", 0, true},
    {"JS", Fill::TickedWhenOne, "joyenable", 0, true},
    {"EDIO", Fill::TickedWhenOne, "DIOenable", 0, true},
    {"RT", Fill::TickedWhenOne, "RT", 0, true},
    {"DRVMS", Fill::Text, "MicrostepSelect", 0, true},
    {"DRVRC", Fill::Text, "RunCurrentSelect", 0, true},
    {"DRVIC", Fill::Text, "IdleCurrentSelect", 0, true},
    {"DRVIT", Fill::Text, "IdleTimeSelect", 0, true},
};

// The driver settings: the list, what "Write" checks it for, and its commands.
struct DriverSetting {
    std::string SetupPanel::*list;
    const char* control;
    const char* whenEmpty;
    const char* command;
};

constexpr DriverSetting kDriverSettings[] = {
    {&SetupPanel::MicrostepSelect, "MicrostepSelect", "Select Microstep!", "DRVMS"},
    {&SetupPanel::RunCurrentSelect, "RunCurrentSelect", "Select Run Current!", "DRVRC"},
    {&SetupPanel::IdleCurrentSelect, "IdleCurrentSelect", "Select Idle Current!", "DRVIC"},
    {&SetupPanel::IdleTimeSelect, "IdleTimeSelect", "Select Idle Time!", "DRVIT"},
};

std::string bit(bool ticked) {
    return ticked ? "1" : "0";
}

std::string& zeroIfEmpty(std::string& text) {
    if (text.empty()) text = "0";
    return text;
}

bool isTwoDigitId(const std::string& id) {
    return id.size() == 2 && id[0] >= '0' && id[0] <= '9' && id[1] >= '0' && id[1] <= '9';
}

// Characters 4 and 5 of the "DN" reply: the model word comes first.
std::string deviceIdOf(const std::string& reply) {
    return reply.size() > 3 ? reply.substr(3, 2) : std::string();
}

std::string* textMember(SetupPanel& panel, const char* control) {
    if (auto member = memberNamed(kSetupFields, control)) return &(panel.*member);
    if (auto member = memberNamed(kSetupLists, control)) return &(panel.*member);
    return nullptr;
}

bool* checkMember(SetupPanel& panel, const char* control) {
    auto member = memberNamed(kSetupChecks, control);
    return member ? &(panel.*member) : nullptr;
}

int32_t bootBits(const SetupPanel& panel) {
    return (panel.RunOnBoot ? 1 : 0) + (panel.RunOnBoot2 ? 2 : 0);
}

// What "Down" sends as a setting is confirmed by "OK"; SR=0 and ABORT before it only stop.
bool isSetCommand(const std::string& command) {
    return command.find('=') != std::string::npos && command != "SR=0";
}

// A reply as a message shows it: control bytes as "?", at most 40 characters.
std::string shownReply(const std::string& reply) {
    std::string shown;
    for (const char c : reply.substr(0, 40))
        shown.push_back(static_cast<unsigned char>(c) < 32 ? '?' : c);
    return reply.size() > 40 ? shown + "..." : shown;
}

constexpr size_t kRefusalsShown = 20;

} // namespace

std::string refusedSettingsMessage(const std::vector<Refusal>& refusals) {
    std::string message = "The controller did not take these settings:\n";
    for (size_t i = 0; i < refusals.size() && i < kRefusalsShown; ++i)
        message += "    " + shownReply(refusals[i].command) + " (it answered \"" +
                   shownReply(refusals[i].reply) + "\")\n";
    if (refusals.size() > kRefusalsShown)
        message += "    and " + std::to_string(refusals.size() - kRefusalsShown) + " more\n";
    return message + "The other settings were downloaded.";
}

int baudCodeForRate(const std::string& rateText) {
    const size_t first = rateText.find_first_not_of(" \t");
    const size_t last = rateText.find_last_not_of(" \t");
    if (first == std::string::npos) return 0;
    double rate = 0;
    const char* end = rateText.data() + last + 1;
    const auto parsed = std::from_chars(rateText.data() + first, end, rate);
    if (parsed.ec != std::errc() || parsed.ptr != end) return 0;
    for (int code = 1; code <= 5; ++code)
        if (rate == std::stod(kBaudRates[code - 1])) return code;
    return 0;
}

std::string notWholeNumberMessage(const std::string& fieldName, const std::string& text) {
    return fieldName + " must be a whole number, not \"" + text + "\".";
}

ParameterSet::ParameterSet(transport::CommandChannel& channel, Questions& ui,
                           transport::Clock& clock, SetupPanel& panel,
                           const int16_t& firmwareVersion)
    : channel_(channel), ui_(ui), clock_(clock), panel_(panel), firmwareVersion_(firmwareVersion) {}

std::set<std::string> ParameterSet::takeFilledControls() {
    return std::exchange(filled_, {});
}

bool ParameterSet::stopped() const {
    return !channel_.linkOpen();
}

// The firmware a setting needs; 0 for one every firmware has.
int ParameterSet::firmwareNeeded(const std::string& command) {
    const std::string key = command.substr(0, command.find('='));
    for (const UploadStep& step : kUploadSteps)
        if (key == step.query) return step.minimumFirmware;
    return 0;
}

bool ParameterSet::send(const std::string& command, Status status) {
    if (leaveOutLacking_ && firmwareNeeded(command) > firmwareVersion_) return !stopped();
    const auto reply = query(command, status);
    if (refusals_ && reply && *reply != "OK" &&
        (isSetCommand(command) || command == "JO" || command == "JF"))
        refusals_->push_back({command, *reply});
    return !stopped();
}

std::optional<std::string> ParameterSet::query(const std::string& command, Status status) {
    std::string reply;
    const bool done = status == Status::Checked ? channel_.send(command, reply)
                                                : channel_.exchange(command, reply);
    if (!done) return std::nullopt;
    return reply;
}

bool ParameterSet::sendTexts(std::initializer_list<std::pair<const char*, std::string*>> commands,
                             Status status) {
    for (const auto& [prefix, text] : commands)
        if (!send(prefix + zeroIfEmpty(*text), status)) return false;
    return true;
}

// --- "Down" ---------------------------------------------------------------------------------

std::optional<int32_t> ParameterSet::wholeNumberField(std::string& text, const char* fieldName) {
    const auto value = common::toWholeNumber(zeroIfEmpty(text));
    if (!value) channel_.tell(notWholeNumberMessage(fieldName, text));
    return value;
}

// Checked before anything goes out, so a bad field sends nothing at all.
std::optional<ParameterSet::VerimoveNumbers> ParameterSet::verimoveNumbers() {
    const auto tolerance = wholeNumberField(panel_.VerimoveTolRange, "Tol Range");
    if (!tolerance) return std::nullopt;
    const auto error = wholeNumberField(panel_.VerimoveErrorRange, "Error Range");
    if (!error) return std::nullopt;
    const auto attempts = wholeNumberField(panel_.VerimoveMaxAttempt, "Max Attempt");
    if (!attempts) return std::nullopt;
    return VerimoveNumbers{*tolerance, *error, *attempts};
}

// Every reply is read: a setting the controller refused is named instead of the success message.
void ParameterSet::DownloadParameters() {
    if (stopped()) return;
    const auto verimove = verimoveNumbers();
    if (!verimove) return;
    std::vector<Refusal> refusals;
    refusals_ = &refusals;
    const bool sent = downloadAll(*verimove);
    refusals_ = nullptr;
    if (!sent) return;
    channel_.tell(refusals.empty() ? kSettingsDownloaded : refusedSettingsMessage(refusals));
}

bool ParameterSet::downloadAll(const VerimoveNumbers& verimove) {
    // Up to the baud rate the status is not looked at.
    const Status quiet = Status::Unchecked;
    if (!send("SR=0", quiet) || !send("ABORT", quiet) ||
        !sendSetting("POL", "POL=" + std::to_string(PolarityWord(panel_)), quiet) ||
        !sendSetting("SLOAD", "SLOAD=" + std::to_string(bootBits(panel_)), quiet) ||
        !sendTexts(
            {{"TOC=", &panel_.Watchdog}, {"DOBOOT=", &panel_.DOBOOT}, {"EOBOOT=", &panel_.EOBOOT}},
            quiet) ||
        !sendSetting("EDEC", "EDEC=" + bit(panel_.EnaDEC), quiet) ||
        !sendTexts({{"HCA=", &panel_.HCA}, {"LCA=", &panel_.LCA}}, quiet) ||
        !sendSetting("RZ", "RZ=" + bit(panel_.RZ), quiet) ||
        !sendSetting("IERR", "IERR=" + bit(panel_.IERR), quiet) || !downloadDeviceId() ||
        !downloadBaudRate())
        return false;

    const Status checked = Status::Checked;
    return sendSetting("SL", panel_.VerimoveEnable ? "SL=1" : "SL=0", checked) &&
           send("SLT=" + std::to_string(verimove.tolerance), checked) &&
           send("SLE=" + std::to_string(verimove.error), checked) &&
           send("SLA=" + std::to_string(verimove.attempts), checked) &&
           sendTexts({{"SLR=", &panel_.VerimoveRatio},
                      {"JV1=", &panel_.JoyMaxSpdX},
                      {"JV3=", &panel_.JoyMaxDeltaX},
                      {"JV5=", &panel_.JoyZeroTolX},
                      {"JL1=", &panel_.NegOuterX},
                      {"JL2=", &panel_.NegInnerX},
                      {"JL3=", &panel_.PosInnerX},
                      {"JL4=", &panel_.PosOuterX}},
                     checked) &&
           sendSetting("JS", panel_.joyenable ? "JO" : "JF", checked) &&
           sendSetting("EDIO", panel_.DIOenable ? "EDIO=1" : "EDIO=0", checked) &&
           sendSetting("RT", panel_.RT ? "RT=1" : "RT=0", checked);
}

bool ParameterSet::sendSetting(const std::string& query, const std::string& command,
                               Status status) {
    if (leftAsItIs(query)) return !stopped();
    return send(command, status);
}

// The value a panel holds for a setting that has a query of its own.
int32_t ParameterSet::heldValue(const std::string& query, const SetupPanel& panel) {
    if (query == "POL") return PolarityWord(panel);
    if (query == "SLOAD") return bootBits(panel);
    for (const UploadStep& step : kUploadSteps)
        if (query == step.query && step.control)
            if (auto member = memberNamed(kSetupChecks, step.control)) return panel.*member;
    return 0;
}

void ParameterSet::notRead(const std::string& query, std::vector<std::string> controls) {
    unread_[query] = {std::move(controls), heldValue(query, panel_)};
}

bool ParameterSet::leftAsItIs(const std::string& query) {
    const auto unread = unread_.find(query);
    if (unread == unread_.end()) return false;
    if (unread->second.heldValue == heldValue(query, panel_)) return true;
    unread_.erase(unread);
    return false;
}

std::set<std::string> ParameterSet::unreadControls(const SetupPanel& shown) const {
    std::set<std::string> controls;
    for (const auto& [query, setting] : unread_)
        if (setting.heldValue == heldValue(query, shown))
            controls.insert(setting.controls.begin(), setting.controls.end());
    return controls;
}

bool ParameterSet::downloadDeviceId() {
    const auto reply = query("DN", Status::Unchecked);
    if (stopped()) return false;
    const std::string current = deviceIdOf(reply.value_or(""));
    const std::string wanted = panel_.DeviceIDCombo;
    if (current == wanted) return true;
    if (!ui_.askYesNo("Are you sure you want change Device ID to " + wanted + "?",
                      kDeviceIdTitle)) {
        // Back to what the controller holds, when its reply said.
        if (isTwoDigitId(current)) panel_.DeviceIDCombo = current;
        return true;
    }
    const auto answer = query("DN=KTR" + wanted, Status::Unchecked);
    channel_.tell(answer == "OK" ? kDeviceIdSet : kDeviceIdFailed);
    return !stopped();
}

// The window's own port keeps its rate: the new one takes effect after a store and a restart.
bool ParameterSet::downloadBaudRate() {
    const auto reply = query("DB", Status::Unchecked);
    if (stopped()) return false;
    const int code = baudCodeForRate(panel_.baudCombo);
    if (code == 0) return true;
    const std::string wanted = "DB=" + std::to_string(code);
    if (wanted == "DB=" + reply.value_or("")) return true;
    if (!ui_.askYesNo(kBaudrateQuestion, kDeviceIdTitle)) return true;
    const auto answer = query(wanted, Status::Unchecked);
    channel_.tell(answer == "OK" ? kBaudrateDone : kBaudrateFailed);
    return !stopped();
}

// --- "Upload" -------------------------------------------------------------------------------

void ParameterSet::UploadParameters(bool silent) {
    if (stopped()) return;
    for (const UploadStep& step : kUploadSteps) {
        if (firmwareVersion_ < step.minimumFirmware) continue;
        if (!uploadStep(step)) return;
    }
    if (!silent) channel_.tell(kSettingsUploaded);
}

// A reply that the control cannot show leaves it as it was.
bool ParameterSet::uploadStep(const UploadStep& step) {
    const auto reply = query(step.query, step.checked ? Status::Checked : Status::Unchecked);
    if (stopped()) return false;
    if (!reply) return true;
    switch (step.fill) {
    case Fill::Text:
        fillText(step.control, *reply);
        break;
    case Fill::CheckBox:
        fillCheck(step, *reply, false);
        break;
    case Fill::TickedWhenOne:
        fillCheck(step, *reply, true);
        break;
    case Fill::BootBits:
        fillBootBits(*reply);
        break;
    case Fill::BaudRate:
        fillBaudRate(*reply);
        break;
    case Fill::DeviceId:
        fillDeviceId(*reply);
        break;
    case Fill::Polarity:
        fillPolarity(*reply);
        break;
    }
    return true;
}

void ParameterSet::fillText(const char* control, const std::string& reply) {
    if (std::string* text = textMember(panel_, control)) {
        *text = reply;
        filled(control);
    }
}

// A reply the box cannot show (a text, or a number other than 0 and 1 where only those mean
// something) leaves it as it was and not read.
void ParameterSet::fillCheck(const UploadStep& step, const std::string& reply,
                             bool anyOtherNumberClears) {
    bool* box = checkMember(panel_, step.control);
    if (!box) return;
    const auto value = common::toWholeNumber(reply);
    if (!value || (*value != 0 && *value != 1 && !anyOtherNumberClears))
        return notRead(step.query, {step.control});
    *box = *value == 1;
    unread_.erase(step.query);
    filled(step.control);
}

void ParameterSet::fillBootBits(const std::string& reply) {
    const auto value = common::toWholeNumber(reply);
    if (!value) return notRead("SLOAD", {"RunOnBoot", "RunOnBoot2"});
    panel_.RunOnBoot = (*value & 1) != 0;
    panel_.RunOnBoot2 = (*value & 2) != 0;
    unread_.erase("SLOAD");
    filled("RunOnBoot");
    filled("RunOnBoot2");
}

void ParameterSet::fillBaudRate(const std::string& reply) {
    const auto code = common::toWholeNumber(reply);
    if (!code || *code < 1 || *code > 5) return;
    panel_.baudCombo = kBaudRates[*code - 1];
    filled("baudCombo");
}

void ParameterSet::fillDeviceId(const std::string& reply) {
    const std::string id = deviceIdOf(reply);
    if (!isTwoDigitId(id)) return;
    panel_.DeviceIDCombo = id;
    filled("DeviceIDCombo");
}

void ParameterSet::fillPolarity(const std::string& reply) {
    const auto word = common::toWholeNumber(reply);
    if (!word) {
        std::vector<std::string> choices;
        for (const auto& option : kSetupOptions)
            choices.push_back(option.name);
        return notRead("POL", std::move(choices));
    }
    applyPolarityWord(*word, panel_);
    unread_.erase("POL");
    for (const auto& option : kSetupOptions)
        filled(option.name);
}

// --- "Store", joystick ----------------------------------------------------------------------

void ParameterSet::StoreToFlash(const std::vector<std::string>& changedSettings) {
    if (stopped()) return;
    std::string question;
    if (!changedSettings.empty()) {
        question = "Changed in this window since it read the controller:\n";
        for (const std::string& change : changedSettings)
            question += "    " + change + "\n";
        question += "\n";
    }
    question += kStoreQuestion;
    if (!ui_.askYesNo(question, kStoreTitle)) return;
    const auto reply = query("STORE", Status::Unchecked);
    channel_.tell(reply == "OK" ? kStoreDone : kStoreFailed);
}

void ParameterSet::JoystickOn() {
    if (!stopped()) send("JO", Status::Checked);
}

void ParameterSet::JoystickOff() {
    if (!stopped()) send("JF", Status::Checked);
}

// --- "Read" / "Write" of the driver settings -----------------------------------------------

void ParameterSet::ReadDriverSettings() {
    transferDriverSettings(false);
}

void ParameterSet::WriteDriverSettings() {
    transferDriverSettings(true);
}

bool ParameterSet::driverListsChosen() {
    for (const DriverSetting& setting : kDriverSettings) {
        if (!(panel_.*setting.list).empty()) continue;
        channel_.tell(setting.whenEmpty);
        return false;
    }
    return true;
}

// The driver is reached over the lines that Verimove, digital-I/O control and the joystick use,
// so each of them that is on is switched off for the transfer and back on after it.
void ParameterSet::transferDriverSettings(bool write) {
    if (stopped()) return;
    if (write && !driverListsChosen()) return;
    const auto isOne = [](const std::optional<std::string>& reply) {
        return reply && common::toWholeNumber(*reply) == 1;
    };
    const auto enable = query("EO", Status::Checked);
    if (!enable) return;
    const bool enableWasOn = isOne(enable);

    struct LineUser {
        const char* query;
        const char* off;
        const char* on;
        bool wasOn;
    } users[] = {{"SL", "SL=0", "SL=1", false},
                 {"EDIO", "EDIO=0", "EDIO=1", false},
                 {"JS", "JF", "JO", false}};
    for (LineUser& user : users) {
        const auto reply = query(user.query, Status::Checked);
        if (!reply) return;
        user.wasOn = isOne(reply);
        if (user.wasOn && !send(user.off, Status::Unchecked)) return;
    }
    if (write)
        for (const DriverSetting& setting : kDriverSettings)
            if (!send(std::string(setting.command) + "=" + panel_.*setting.list, Status::Checked))
                return;

    if (!send(write ? "RW" : "RR", Status::Unchecked)) return;
    clock_.sleepMs(kDriverTransferWaitMs);
    const auto check = query(write ? "R4" : "R2", Status::Unchecked);
    if (stopped()) return;
    if (!isOne(check)) return channel_.tell(kDriverTransferFailed);

    if (!write)
        for (const DriverSetting& setting : kDriverSettings) {
            const auto reply = query(setting.command, Status::Checked);
            if (!reply) return;
            panel_.*setting.list = *reply;
            filled(setting.control);
        }
    for (const LineUser& user : users)
        if (user.wasOn && !send(user.on, Status::Unchecked)) return;
    if (!send(enableWasOn ? "EO=1" : "EO=0", Status::Unchecked)) return;
    channel_.tell(write ? kDriverWriteDone : kDriverReadDone);
}

} // namespace setup
