// motionctl download PROGRAM.prg|COMPILED LINK [--verify]

#include "motionctl/command.h"
#include "motionctl/inputs.h"
#include "motionctl/loader_run.h"

#include "proglift/loader/download_job.h"

#include <chrono>
#include <cstdio>

namespace motionctl {

namespace {

void options(QCommandLineParser& parser) {
    parser.addPositionalArgument("PROGRAM",
                                 "Program text (.prg, compiled first) or compiled lines.");
    addLinkOptions(parser);
    addModelOption(parser);
    parser.addOption(
        {"verify", "Read every written slot back and compare it with what was written."});
}

// A reply over TCP comes as the controller framed it.
std::string bare(std::string reply) {
    while (!reply.empty() && (reply.back() == '\r' || reply.back() == '\n'))
        reply.pop_back();
    return reply;
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Slots 0 .. lastSlot hold the program and then empty slots; the first one that does not is
// named.
int verifySlots(LinkSession& session, const std::string& id, const std::vector<std::string>& lines,
                int32_t lastSlot, std::string& error, Output& out) {
    Progress progress("Verifying");
    progress.setMaximum(lastSlot + 1);
    for (int32_t slot = 0; slot <= lastSlot; ++slot) {
        std::string reply;
        if (session.transport().SendCommand("SA" + std::to_string(slot), reply) < 0) {
            progress.finish();
            error = session.failure(id) + " (verifying)";
            return out.fail(kLinkFailure, error);
        }
        const std::string written = size_t(slot) < lines.size() ? lines[size_t(slot)] : "";
        if (bare(reply) != written) {
            progress.finish();
            error = session.spec().name(id) + ": slot " + std::to_string(slot) + " holds " +
                    quoted(printable(bare(reply))) + ", not " + quoted(written) + " as written.";
            return out.fail(kVerifyMismatch, error);
        }
        progress.setValue(slot + 1);
    }
    return kDone;
}

int run(const QCommandLineParser& parser, Output& out) {
    const LinkSpec link = linkOption(parser, out);
    const std::string model = controllerModel(parser, link, out);
    const std::string path = onlyArgument(parser, out, "program to download");
    const ProgramLines program = readProgram(path, model, out);
    const bool verify = parser.isSet("verify");

    LinkSession session(link);
    return forEachId(session, out, [&](const std::string& id) {
        const auto started = std::chrono::steady_clock::now();
        Progress progress("Downloading");
        ProgressDisplay display(progress);
        proglift::DownloadJob job(loaderSetup(model, jobfiles::DownloadOrClear, false), "",
                                  &session.transport(), display);
        job.setProgram(program.lines);
        job.requireOk();
        const jobfiles::LoaderOutcome outcome = runLoaderJob(job, progress);
        QJsonObject object = idObject(session, id);
        object["model"] = QString::fromStdString(model);
        object["lines"] = qint64(program.lines.size());
        if (!outcome.success) {
            return failId(out, object, link.name(id) + ": " + outcome.LastErrorText, kLinkFailure);
        }
        const int32_t lastSlot = job.lastPageLine();
        object["slots_written"] = qint64(lastSlot + 1);
        std::string error;
        const int verified =
            verify ? verifySlots(session, id, program.lines, lastSlot, error, out) : kDone;
        if (!error.empty()) object["error"] = jsonText(error);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        object["verified"] = verify && verified == kDone;
        object["seconds"] = seconds;
        object["ok"] = verified == kDone;
        out.object(object);
        if (verified != kDone) return verified;
        char time[32];
        std::snprintf(time, sizeof time, "%.2f s", seconds);
        out.line(link.name(id) + ": " + std::to_string(program.lines.size()) +
                 " lines in slots 0 to " + std::to_string(lastSlot) + (verify ? ", verified" : "") +
                 ", " + time);
        return int(kDone);
    });
}

} // namespace

const Command kDownloadCommand{
    "download",
    "PROGRAM.prg|COMPILED LINK [--verify]",
    "into the program slots; .prg is compiled first",
    "Writes the program into the controller's program slots and empties the rest of the page it "
    "ends in. --verify reads every written slot back (the emptied ones too) and ends with exit "
    "code 3 at the first one that differs. A download that fails part way says which slots were "
    "written.",
    options,
    run};

} // namespace motionctl
