#pragma once
// What the set-up window's buttons send: the whole parameter set down to the controller and
// back, storing it in the controller's flash, the microstep driver's settings (read and written
// through the controller) and the joystick buttons. Each method is one button; the window only
// forwards the click.
//
// Every operation sends nothing while the link is unusable, and stops once an exchange has
// left it so: the transport has told the user, and what follows would only act on a silent
// line (questions about an ID nobody answered, a closing message for settings that never
// arrived). Where a step's status is looked at, a failure also says "Communication Error!".

#include "controller/questions.h"
#include "controller/setup_panel.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace transport {
class CommandChannel;
} // namespace transport
namespace transport {
class Clock;
}
namespace setup {

struct UploadStep;

inline constexpr const char* kSettingsDownloaded = "Settings downloaded!";
inline constexpr const char* kSettingsUploaded = "Settings uploaded!";
inline constexpr const char* kStoreQuestion = "Are you sure you want to save parameters to flash?";
inline constexpr const char* kStoreTitle = "Store to Flash";
inline constexpr const char* kStoreDone = "Store to Flash done!";
inline constexpr const char* kStoreFailed = "Error setting flash!";
inline constexpr const char* kDeviceIdTitle = "Device ID";
inline constexpr const char* kDeviceIdSet =
    "Device ID Set.  Perform store to flash and reset power "
    "for new Device ID to take effect.";
inline constexpr const char* kDeviceIdFailed = "Error setting device ID";
inline constexpr const char* kBaudrateQuestion = "Are you sure you want change the baudrate?";
inline constexpr const char* kBaudrateDone = "Baudrate change done.  Store to flash, exit "
                                             "program, and reset power for new baudrate to take "
                                             "effect.";
inline constexpr const char* kBaudrateFailed = "Error setting baudrate.";
inline constexpr const char* kDriverReadDone = "Driver settings uploaded!";
inline constexpr const char* kDriverWriteDone = "Driver settings downloaded!";
inline constexpr const char* kDriverTransferFailed =
    "Microstep driver communication error! Make sure to disable Verimove, DIO control and "
    "Joystick control.";
// The wait between the driver transfer command and its check.
inline constexpr int kDriverTransferWaitMs = 2000;

// The rates of the "DB" codes 1 to 5, in code order.
inline constexpr const char* kBaudRates[] = {"9600", "19200", "38400", "57600", "115200"};

// The "DB" code (1 to 5) of a rate text compared as a number; 0 for any other rate.
int baudCodeForRate(const std::string& rateText);

// The message for a field that must hold a whole number but does not.
std::string notWholeNumberMessage(const std::string& fieldName, const std::string& text);

// A set command the controller did not confirm with "OK", and what it answered instead.
struct Refusal {
    std::string command;
    std::string reply;
};
// What the user is told instead of the success message when the controller refused settings.
std::string refusedSettingsMessage(const std::vector<Refusal>& refusals);

inline constexpr const char* kNotReadTip =
    "Not read: the controller's reply could not be shown. \"Down\" leaves this setting as the "
    "controller has it, unless you set it here.";

class ParameterSet {
public:
    // firmwareVersion is the controller's, read by the main window; it gates the upload.
    ParameterSet(transport::CommandChannel& channel, Questions& ui, transport::Clock& clock,
                 SetupPanel& panel, const int16_t& firmwareVersion);

    void DownloadParameters(); // "Down"
    // "Upload"; silent for the window's own load, which ends without the closing message.
    void UploadParameters(bool silent = false);
    // "Store": the question lists the changed settings above it, when there are any.
    void StoreToFlash(const std::vector<std::string>& changedSettings = {});
    void ReadDriverSettings();  // "Read"
    void WriteDriverSettings(); // "Write"
    void JoystickOn();          // "ON"
    void JoystickOff();         // "OFF"

    // "Down" sends no setting the controller's firmware lacks (the command line does this; the
    // set-up window sends them all, and the controller refuses them).
    void leaveOutWhatTheFirmwareLacks() { leaveOutLacking_ = true; }

    // The controls filled from the controller's replies since the last call.
    std::set<std::string> takeFilledControls();
    // The controls whose last reply could not be shown (a text where a number belongs, a number
    // a check box cannot show) and which still hold in shown what they held then: "Down" leaves
    // their setting alone until the user sets it.
    std::set<std::string> unreadControls(const SetupPanel& shown) const;

private:
    enum class Status { Unchecked, Checked };
    // A setting whose reply could not be shown: its query, its controls and the value the
    // window held for it then.
    struct UnreadSetting {
        std::vector<std::string> controls;
        int32_t heldValue;
    };
    struct VerimoveNumbers {
        int32_t tolerance, error, attempts;
    };

    // Sends command; false once the operation is to stop (the link is unusable, or a checked
    // exchange failed).
    bool send(const std::string& command, Status status);
    // The reply of a query, or nullopt when the exchange failed. Check stopped() afterwards.
    std::optional<std::string> query(const std::string& command, Status status);
    bool stopped() const;
    static int firmwareNeeded(const std::string& command);

    std::optional<VerimoveNumbers> verimoveNumbers();
    std::optional<int32_t> wholeNumberField(std::string& text, const char* fieldName);
    bool sendTexts(std::initializer_list<std::pair<const char*, std::string*>> commands,
                   Status status);
    bool downloadDeviceId();
    bool downloadBaudRate();

    bool uploadStep(const UploadStep& step);
    void fillText(const char* control, const std::string& reply);
    void fillCheck(const UploadStep& step, const std::string& reply, bool anyOtherNumberClears);
    void fillBootBits(const std::string& reply);
    void fillBaudRate(const std::string& reply);
    void fillDeviceId(const std::string& reply);
    void fillPolarity(const std::string& reply);
    void notRead(const std::string& query, std::vector<std::string> controls);
    // True when the setting was not read and the user has not set it since: "Down" skips it.
    bool leftAsItIs(const std::string& query);
    // Sends a set command of "Down" unless its setting is left as it is.
    bool sendSetting(const std::string& query, const std::string& command, Status status);
    static int32_t heldValue(const std::string& query, const SetupPanel& panel);
    // The commands of "Down" in order; false once the operation is to stop.
    bool downloadAll(const VerimoveNumbers& verimove);

    void transferDriverSettings(bool write);
    bool driverListsChosen();
    void filled(const char* control) { filled_.insert(control); }

    transport::CommandChannel& channel_;
    Questions& ui_;
    transport::Clock& clock_;
    SetupPanel& panel_;
    const int16_t& firmwareVersion_;
    std::set<std::string> filled_;
    std::map<std::string, UnreadSetting> unread_; // by query
    // While "Down" runs: the set commands the controller refused.
    std::vector<Refusal>* refusals_ = nullptr;
    bool leaveOutLacking_ = false;
};

} // namespace setup
