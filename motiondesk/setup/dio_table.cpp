#include "motiondesk/setup/dio_table.h"

#include "common/numbers.h"
#include "controller/parameter_set.h"
#include "link/command_channel.h"
#include "motiondesk/ui/user_interface.h"

namespace setup {

std::string dioFieldCommand(int row, int field) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    return std::string("MP") + kHexDigits[row & 15] + char('0' + field);
}

std::string dioControlName(const char* field, int row) {
    return field + std::to_string(row);
}

DioTable::DioTable(transport::CommandChannel& channel, ui::UserInterface& ui, DioPanel& panel)
    : channel_(channel), ui_(ui), panel_(panel) {}

bool DioTable::wholeNumbers(std::array<std::array<int32_t, kDioFields>, kDioRows>& values) {
    for (int row = 0; row < kDioRows; ++row) {
        DioRow& entry = panel_.rows[size_t(row)];
        values[size_t(row)][0] = entry.MoveType;
        for (const DioTextField& field : kDioTextFields) {
            std::string& text = entry.*field.member;
            if (text.empty()) text = "0";
            const auto value = common::toWholeNumber(text);
            if (!value) {
                channel_.tell(notWholeNumberMessage(
                    "Row " + std::to_string(row) + " " + field.caption, text));
                return false;
            }
            values[size_t(row)][size_t(field.field)] = *value;
        }
    }
    return true;
}

void DioTable::Download() {
    if (!channel_.linkOpen()) return;
    std::array<std::array<int32_t, kDioFields>, kDioRows> values{};
    if (!wholeNumbers(values)) return;
    // Every reply is read: an entry the controller refused is named instead of the success
    // message.
    std::vector<Refusal> refusals;
    for (int row = 0; row < kDioRows; ++row)
        for (int field = 0; field < kDioFields; ++field) {
            const std::string command = dioFieldCommand(row, field) + "=" +
                                        std::to_string(values[size_t(row)][size_t(field)]);
            std::string reply;
            if (!channel_.send(command, reply)) return;
            if (reply != "OK") refusals.push_back({command, reply});
        }
    channel_.tell(refusals.empty() ? kDioDownloadDone : refusedSettingsMessage(refusals));
}

void DioTable::Upload(bool silent) {
    if (!channel_.linkOpen()) return;
    for (int row = 0; row < kDioRows; ++row) {
        DioRow& entry = panel_.rows[size_t(row)];
        for (int field = 0; field < kDioFields; ++field) {
            std::string reply;
            if (!channel_.send(dioFieldCommand(row, field), reply)) return;
            const auto value = common::toWholeNumber(reply);
            if (!value) continue;
            if (field == 0) {
                if (isMoveType(*value)) entry.MoveType = *value;
            } else {
                entry.*kDioTextFields[field - 1].member = std::to_string(*value);
            }
        }
    }
    if (!silent) channel_.tell(kDioUploadDone);
}

void DioTable::Store() {
    if (!channel_.linkOpen()) return;
    if (!ui_.askYesNo(kStoreQuestion, kStoreTitle)) return;
    std::string reply;
    if (!channel_.send("STORE", reply)) return;
    channel_.tell(reply == "OK" ? kStoreDone : kStoreFailed);
}

} // namespace setup
