#include "motiondesk/session/handler_runner.h"

#include "link/command_channel.h"
#include "motiondesk/ui/user_interface.h"

#include <exception>

namespace session {

HandlerRunner::HandlerRunner(ui::UserInterface& ui, std::function<void()> before,
                             std::function<void()> after)
    : ui_(ui), before_(std::move(before)), after_(std::move(after)) {}

bool HandlerRunner::run(const std::function<void()>& handler, bool takeInput, bool showValues) {
    if (busy_) return false;
    busy_ = true;
    try {
        if (before_ && takeInput) before_();
        handler();
    } catch (const std::exception& error) {
        ui_.showMessage(error.what());
    } catch (...) {
        ui_.showMessage(transport::kCommunicationError);
    }
    try {
        if (after_ && showValues) after_();
    } catch (const std::exception& error) {
        ui_.showMessage(error.what());
    }
    busy_ = false;
    return true;
}

} // namespace session
