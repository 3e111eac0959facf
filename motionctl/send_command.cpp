// motionctl send LINK COMMAND...
// motionctl status LINK

#include "motionctl/command.h"
#include "motionctl/inputs.h"
#include "motionctl/loader_run.h"

#include "controller/status_decoding.h"

#include <functional>
#include <optional>

namespace motionctl {

namespace {

void sendOptions(QCommandLineParser& parser) {
    parser.addPositionalArgument("COMMAND", "Commands to send, one exchange each.", "COMMAND...");
    addLinkOptions(parser);
}

void statusOptions(QCommandLineParser& parser) {
    addLinkOptions(parser);
}

// A command goes out as one line of single-byte text: a carriage return or line feed in it
// would be a second command the controller runs unasked, and a character beyond Latin-1 has no
// byte to go out as.
std::optional<std::string> unsendable(const QStringList& commands) {
    for (const QString& command : commands) {
        if (command.contains('\r') || command.contains('\n') || command.isEmpty())
            return command.toStdString();
        for (const QChar c : command)
            if (c.unicode() > 0xFF) return command.toStdString();
    }
    return std::nullopt;
}

int send(const QCommandLineParser& parser, Output& out) {
    const LinkSpec link = linkOption(parser, out);
    const QStringList commands = parser.positionalArguments();
    if (commands.isEmpty()) return out.usage("name at least one command to send.");
    if (const auto bad = unsendable(commands))
        return out.usage("a command must be one line of single-byte text, not \"" + *bad + "\".");
    LinkSession session(link);
    return forEachId(session, out, [&](const std::string& id) {
        for (const QString& text : commands) {
            const std::string command = text.toLatin1().toStdString();
            std::string reply;
            QJsonObject object = idObject(session, id);
            object["command"] = jsonText(command);
            if (session.transport().SendCommand(command, reply) < 0) {
                return failId(out, object, session.failure(id), kLinkFailure);
            }
            object["reply"] = jsonText(reply);
            object["ok"] = true;
            out.object(object);
            // One reply to a line: a line break or a control byte in it is shown as \xNN.
            out.line(link.ids.size() > 1 ? id + " " + printable(reply) : printable(reply));
        }
        return int(kDone);
    });
}

// One value of the snapshot: its name, the query that reads it and what the reply shows.
struct StatusField {
    const char* name;
    const char* query;
    std::function<QJsonObject(int32_t)> show;
};

QJsonObject one(const char* name, const QJsonValue& value) {
    return {{name, value}};
}

QJsonValue orNumber(const std::optional<std::string>& text, int32_t value) {
    return text ? QJsonValue(QString::fromStdString(*text)) : QJsonValue(value);
}

// The values the main window shows, in the order it reads them.
std::vector<StatusField> statusFields() {
    using namespace controller;
    auto number = [](const char* name) {
        return [name](int32_t value) { return one(name, value); };
    };
    return {
        {"mode", "MM",
         [](int32_t v) { return one("mode", QString::fromStdString(motionModeText(v))); }},
        {"program", "SASTAT",
         [](int32_t v) { return one("program", orNumber(programStatusText(v), v)); }},
        {"program_line", "SPC", number("program_line")},
        {"delta", "DX", number("delta")},
        {"position", "PX", number("position")},
        {"encoder", "EX", number("encoder")},
        {"speed", "PS", number("speed")},
        {"motion", "MST",
         [](int32_t v) {
             const MotionStatus s = decodeMotionStatus(v);
             return QJsonObject{{"motion", QString::fromStdString(s.Stat)},
                                {"limit_plus", s.PosLim},
                                {"limit_minus", s.NegLim},
                                {"home", s.Home},
                                {"latch_input", s.LatchIn},
                                {"z_index", s.ZIndex}};
         }},
        {"step_loop", "SLS",
         [](int32_t v) { return one("step_loop", orNumber(stepLoopStatusText(v), v)); }},
        {"s_curve", "SCV", [](int32_t v) { return one("s_curve", v == 1); }},
        {"sync", "SYNS", [](int32_t v) { return one("sync", orNumber(syncStatusText(v), v)); }},
        {"driver_enabled", "EO", [](int32_t v) { return one("driver_enabled", v != 0); }},
        {"analog_in1", "AI1", number("analog_in1")},
        {"analog_in2", "AI2", number("analog_in2")},
        {"inputs", "DI",
         [](int32_t v) {
             const InputLamps in = decodeDigitalInputs(v);
             return QJsonObject{{"start_in", in.StartDI}, {"abort_in", in.AbortDI},
                                {"in1", in.In1},          {"in2", in.In2},
                                {"in3", in.In3},          {"in4", in.In4}};
         }},
        {"outputs", "DO",
         [](int32_t v) {
             const OutputLamps o = decodeDigitalOutputs(v);
             return QJsonObject{{"in_position_out", o.InPosDO}, {"alarm_out", o.AlarmDO}};
         }},
        {"latch", "LTS",
         [](int32_t v) { return one("latch", QString::fromStdString(latchStatusText(v))); }},
        {"latch_position", "LTP", number("latch_position")},
        {"latch_encoder", "LTE", number("latch_encoder")},
    };
}

std::string plain(const QJsonValue& value) {
    if (value.isBool()) return value.toBool() ? "on" : "off";
    if (value.isDouble()) return std::to_string(qint64(value.toDouble()));
    return value.toString().toStdString();
}

int status(const QCommandLineParser& parser, Output& out) {
    const LinkSpec link = linkOption(parser, out);
    if (!parser.positionalArguments().isEmpty())
        return out.usage("unexpected argument \"" + parser.positionalArguments()[0].toStdString() +
                         "\".");
    LinkSession session(link);
    return forEachId(session, out, [&](const std::string& id) {
        QJsonObject values;
        std::vector<std::pair<QString, QJsonValue>> inOrder;
        QJsonObject object = idObject(session, id);
        const auto failed = [&](const std::string& error) {
            return failId(out, object, error, kLinkFailure);
        };
        for (const StatusField& field : statusFields()) {
            std::string reply;
            if (session.transport().SendCommand(field.query, reply) < 0)
                return failed(session.failure(id));
            // Every value of the snapshot is a number; anything else is not the controller's.
            const auto value = controller::replyNumber(reply);
            if (!value)
                return failed(link.name(id) + ": " + field.query + " answered \"" +
                              printable(reply) + "\", which is no number.");
            const QJsonObject shown = field.show(*value);
            for (auto it = shown.begin(); it != shown.end(); ++it) {
                values[it.key()] = it.value();
                inOrder.emplace_back(it.key(), it.value());
            }
        }
        object["values"] = values;
        object["ok"] = true;
        out.object(object);
        if (link.ids.size() > 1) out.line("ID " + id);
        for (const auto& [name, value] : inOrder)
            out.line(name.toStdString() + ": " + plain(value));
        return int(kDone);
    });
}

} // namespace

const Command kSendCommand{
    "send",
    "LINK COMMAND...",
    "one exchange per command; one reply per line",
    "Sends each command and prints the controller's reply on a line of its own (with several "
    "IDs, the ID before it).",
    sendOptions,
    send};

const Command kStatusCommand{
    "status",
    "LINK",
    "one status snapshot (the values the main window shows)",
    "Reads the axis, program, I/O and latch values once and prints them as name: value.",
    statusOptions,
    status};

} // namespace motionctl
