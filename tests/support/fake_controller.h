#pragma once
// A controller for window tests, answering on a scripted serial link: each command gets the
// reply set for it (or a plausible default), and every command is logged without its address.
// Replies can be changed between ticks; a command can be made to go unanswered, or the whole
// controller can vanish.

#include "support/scripted_serial_link.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace testing_support {

class FakeController {
public:
    FakeController() {
        replies = {{"DN", "KTR01"},  {"VER", "V230"}, {"ID", "01"},   {"EO", "0"},
                   {"HSPD", "1000"}, {"LSPD", "300"}, {"ACC", "300"}, {"DEC", "300"},
                   {"SSPDM", "0"},   {"EDIO", "0"},   {"LTS", "0"},   {"SYNS", "0"},
                   {"MM", "0"},      {"SASTAT", "0"}, {"SPC", "0"},   {"DX", "0"},
                   {"PX", "0"},      {"EX", "0"},     {"PS", "0"},    {"MST", "0"},
                   {"SLS", "0"},     {"SCV", "0"},    {"AI1", "0"},   {"AI2", "0"},
                   {"DI", "63"},     {"DO", "0"},     {"LTP", "0"},   {"LTE", "0"}};
    }

    // The reply to one command, logged; empty when it goes unanswered.
    std::string answer(const std::string& command) {
        commands.push_back(command);
        if (onCommand) onCommand(command);
        if (vanished || silent.count(command)) return {};
        const auto reply = replies.find(command);
        return reply != replies.end() ? reply->second : std::string("OK");
    }

    // What goes back on the line for one written frame "@01" + command + CR.
    std::string respond(const std::string& frame) {
        std::string command = frame.substr(3);
        if (!command.empty() && command.back() == '\r') command.pop_back();
        const std::string reply = answer(command);
        return reply.empty() ? reply : reply + "\r";
    }

    void attach(testing_support::ScriptedSerialLink& link) {
        link.responder = [this](const std::string& frame) { return respond(frame); };
    }

    std::map<std::string, std::string> replies;
    std::set<std::string> silent;
    bool vanished = false;
    std::vector<std::string> commands;
    // Called with every command as it arrives (a test that acts at that moment).
    std::function<void(const std::string&)> onCommand;
};

} // namespace testing_support
