// motionctl params save FILE.par LINK
// motionctl params load FILE.par LINK [--store]

#include "motionctl/command.h"
#include "motionctl/inputs.h"
#include "motionctl/loader_run.h"

#include "controller/parameter_file_format.h"
#include "controller/parameter_set.h"
#include "controller/status_decoding.h"
#include "link/clock.h"
#include "link/command_channel.h"
#include "link/failure_notices.h"

#include <set>

namespace motionctl {

namespace {

void options(QCommandLineParser& parser) {
    parser.addPositionalArgument("ACTION", "save (from the controller) or load (into it).");
    parser.addPositionalArgument("FILE.par", "The parameter file.");
    addLinkOptions(parser);
    parser.addOption({"store", "After load, store the settings in the controller's flash."});
}

// What the parameter set tells the user, kept to be judged and shown.
class Messages final : public transport::FailureNotices {
public:
    void showMessage(const std::string& text) override { texts.push_back(text); }
    void quitProgram() override {}
    bool said(const std::string& text) const {
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
    std::vector<std::string> texts;
};

// The command line changes no device ID or baud rate on the controller: on a line with several
// controllers that would take one off the line. It stores only when --store asked for it.
class Answers final : public setup::Questions {
public:
    explicit Answers(bool store) : store_(store) {}
    bool askYesNo(const std::string& text, const std::string& title) override {
        if (title == setup::kStoreTitle) return store_;
        declined.push_back(text);
        return false;
    }
    std::vector<std::string> declined;

private:
    bool store_;
};

int run(const QCommandLineParser& parser, Output& out) {
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 2 || (arguments[0] != "save" && arguments[0] != "load"))
        return out.usage("write params save FILE.par LINK or params load FILE.par LINK.");
    const bool save = arguments[0] == "save";
    const std::string path = arguments[1].toStdString();
    const LinkSpec link = linkOption(parser, out);
    if (save && parser.isSet("store")) return out.usage("--store goes with load.");
    std::vector<std::string> fileLines;
    if (!save) {
        fileLines = readTextLines(path, setup::kLargestSetupFileBytes, "parameter file", out);
        // Checked before anything is sent: loading stops the controller's programs first.
        if (const auto problem = setup::parameterFileProblem(fileLines))
            return out.fail(kFileFailure, path + " is no parameter file: " + *problem + ".");
    }

    LinkSession session(link);
    return forEachId(session, out, [&](const std::string& id) {
        QJsonObject object = idObject(session, id);
        const auto failed = [&](const std::string& error) {
            return failId(out, object, error, kLinkFailure);
        };
        Messages messages;
        Answers answers(parser.isSet("store"));
        transport::CommandChannel channel(session.transport(), messages);
        transport::RealClock clock;
        std::string version;
        if (session.transport().SendCommand("VER", version) < 0) return failed(session.failure(id));
        const int16_t firmware = controller::firmwareVersionFromReply(version);
        setup::SetupPanel panel;
        setup::ParameterSet parameters(channel, answers, clock, panel, firmware);
        parameters.leaveOutWhatTheFirmwareLacks();
        // A file that ends early leaves the settings it does not reach as the controller has
        // them, so the controller's come first.
        parameters.UploadParameters(true);
        if (!channel.linkOpen()) return failed(session.failure(id));
        // A setting whose reply is no value it can take is garbage on the line, not a setting.
        const std::set<std::string> unread = parameters.unreadControls(panel);
        if (!unread.empty()) {
            std::string names;
            for (const std::string& name : unread)
                names += (names.empty() ? "" : ", ") + name;
            return failed(link.name(id) + ": the controller's replies for " + names +
                          " are no values they take.");
        }
        const std::vector<std::string> lines = setup::parameterFileLines(panel);
        for (const std::string& line : lines)
            if (!isPrintable(line))
                return failed(link.name(id) + ": the controller answered \"" + printable(line) +
                              "\" for a setting.");
        if (save) {
            const std::string file = perIdPath(path, id, link.ids.size() > 1);
            writeLines(file, lines, FileKind::Text, out);
            object["file"] = jsonText(file);
            object["ok"] = true;
            out.object(object);
            out.line(link.name(id) + ": settings saved to " + file);
            return int(kDone);
        }
        setup::applyParameterFileLines(fileLines, panel);
        parameters.DownloadParameters();
        bool ok = channel.linkOpen() && messages.said(setup::kSettingsDownloaded);
        if (ok && parser.isSet("store")) {
            parameters.StoreToFlash();
            ok = channel.linkOpen() && messages.said(setup::kStoreDone);
        }
        for (const std::string& question : answers.declined)
            out.note(link.name(id) +
                     ": left as it is (not asked on the command line): " + question);
        object["file"] = jsonText(path);
        object["stored"] = ok && parser.isSet("store");
        object["ok"] = ok;
        if (!ok) {
            // The parameter set's messages, on one line.
            std::string said;
            for (const std::string& text : messages.texts)
                said += (said.empty() ? "" : " ") + text;
            for (char& c : said)
                if (c == '\r' || c == '\n') c = ' ';
            std::string error = link.name(id) + ": " + said;
            if (!channel.linkOpen()) error = session.failure(id);
            object["error"] = jsonText(error);
            out.object(object);
            return out.fail(kLinkFailure, error);
        }
        out.object(object);
        out.line(link.name(id) + ": settings loaded from " + path +
                 (parser.isSet("store") ? " and stored" : ""));
        return int(kDone);
    });
}

} // namespace

const Command kParamsCommand{
    "params",
    "save FILE.par LINK | load FILE.par LINK [--store]",
    "the set-up parameters to a file and back",
    "save reads the controller's set-up parameters into a parameter file (the set-up window's "
    ".par). load sends a parameter file's settings to the controller; --store then stores them "
    "in its flash. A device ID or baud rate in the file that differs from the controller's is "
    "left as the controller has it.",
    options,
    run};

} // namespace motionctl
