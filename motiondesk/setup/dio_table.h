#pragma once
// The digital I/O table: sixteen motion entries, numbered 0 to 15, that the controller carries
// out under digital-I/O control, each of five fields (move type, target, high speed, low speed,
// acceleration). Field f of row r is the controller's "MP<r><f>", with the row as one
// upper-case hexadecimal digit. The window "DIO Control" is thin over this; its controls are
// named after the field and the row: MoveType0 .. MoveType15, Target0 .., Hspd0 .., Lspd0 ..,
// Acc0 ...

#include <array>
#include <cstdint>
#include <string>

namespace transport {
class CommandChannel;
} // namespace transport
namespace ui {
class UserInterface;
}

namespace setup {

inline constexpr int kDioRows = 16;
inline constexpr int kDioFields = 5;

// The move types by list position; the position is what the controller stores.
inline constexpr std::array<const char*, 23> kMoveTypes = {
    "NONE",  "STOP",   "ABS",     "INC+",    "INC-",   "JOG+", "JOG-",   "HOME+",
    "HOME-", "ENABLE", "DISABLE", "ZHOME+",  "ZHOME-", "SSPD", "SCV_ON", "SCV_OFF",
    "SL_ON", "SL_OFF", "SET_POS", "SET_ENC", "Z+",     "Z-",   "SSPDM"};

inline bool isMoveType(int32_t position) {
    return position >= 0 && position < int32_t(kMoveTypes.size());
}

struct DioRow {
    int MoveType = 0; // list position
    std::string Target = "0";
    std::string Hspd = "0";
    std::string Lspd = "0";
    std::string Acc = "0";
};

struct DioPanel {
    std::array<DioRow, kDioRows> rows;
};

// The four text fields by field number (1 to 4): control name prefix, caption, member.
struct DioTextField {
    int field;
    const char* name;
    const char* caption;
    std::string DioRow::*member;
};

inline constexpr DioTextField kDioTextFields[] = {
    {1, "Target", "Target Pos", &DioRow::Target},
    {2, "Hspd", "High Spd", &DioRow::Hspd},
    {3, "Lspd", "Low Spd", &DioRow::Lspd},
    {4, "Acc", "Accel", &DioRow::Acc},
};

// "MP" + row digit + field digit: the query; the write appends "=" and the value.
std::string dioFieldCommand(int row, int field);
// The object name of a field's control in a row: "MoveType3", "Hspd10".
std::string dioControlName(const char* field, int row);

inline constexpr const char* kDioDownloadDone = "Download Done!";
inline constexpr const char* kDioUploadDone = "Upload Done!";

class DioTable {
public:
    DioTable(transport::CommandChannel& channel, ui::UserInterface& ui, DioPanel& panel);

    // "Down": 80 writes, row by row. Every text field must hold a whole number first (an empty
    // one becomes "0"); the first that does not is named and nothing is sent.
    void Download();
    // "Upload": 80 queries; silent for the window's own load. A reply that is not a number, or
    // a move type outside the list, leaves that control as it was.
    void Upload(bool silent = false);
    // "Store": to the controller's flash, after asking.
    void Store();

private:
    bool wholeNumbers(std::array<std::array<int32_t, kDioFields>, kDioRows>& values);

    transport::CommandChannel& channel_;
    ui::UserInterface& ui_;
    DioPanel& panel_;
};

} // namespace setup
