// motionctl upload LINK [-o OUT] [--compiled]
// motionctl clear LINK

#include "motionctl/command.h"
#include "motionctl/inputs.h"
#include "motionctl/loader_run.h"

#include "common/textfile.h"
#include "proglift/loader/download_job.h"
#include "proglift/loader/upload_job.h"
#include "progsmith/compiler/decompiler.h"
#include "progsmith/compiler/indent.h"

namespace motionctl {

namespace {

void uploadOptions(QCommandLineParser& parser) {
    addLinkOptions(parser);
    addModelOption(parser);
    addOutputOption(parser, "the program");
    parser.addOption({"compiled", "Write the compiled lines as read, not the decompiled text."});
}

void clearOptions(QCommandLineParser& parser) {
    addLinkOptions(parser);
    addModelOption(parser);
}

int upload(const QCommandLineParser& parser, Output& out) {
    const LinkSpec link = linkOption(parser, out);
    const std::string model = controllerModel(parser, link, out);
    if (!parser.positionalArguments().isEmpty())
        return out.usage("unexpected argument \"" + parser.positionalArguments()[0].toStdString() +
                         "\".");
    const bool severalIds = link.ids.size() > 1;
    if (severalIds && !parser.isSet("output"))
        return out.usage("with several IDs, name the files with -o (each gets -<id>).");
    const bool compiled = parser.isSet("compiled");

    LinkSession session(link);
    return forEachId(session, out, [&](const std::string& id) {
        Progress progress("Uploading");
        ProgressDisplay display(progress);
        proglift::UploadJob job(loaderSetup(model, jobfiles::Upload, false), "",
                                &session.transport(), display);
        const jobfiles::LoaderOutcome outcome = runLoaderJob(job, progress);
        QJsonObject object = idObject(session, id);
        object["model"] = QString::fromStdString(model);
        if (!outcome.success) {
            return failId(out, object, link.name(id) + ": " + outcome.LastErrorText, kLinkFailure);
        }
        // A slot holds a compiled line; bytes no controller sends are garbage on the line.
        for (size_t slot = 0; slot < outcome.uploadedLines.size(); ++slot) {
            if (isPrintable(outcome.uploadedLines[slot])) continue;
            const std::string error = link.name(id) + ": slot " + std::to_string(slot) +
                                      " answered \"" + printable(outcome.uploadedLines[slot]) +
                                      "\", which is no compiled line.";
            return failId(out, object, error, kLinkFailure);
        }
        object["slots_read"] = qint64(outcome.uploadedLines.size());
        std::vector<std::string> lines = outcome.uploadedLines;
        if (!compiled)
            lines = common::splitLines(progsmith::AddSpacesToProg(
                progsmith::Decompiler(compilerModel(model)).DecompileProgram(lines)));
        if (parser.isSet("output")) {
            const std::string path =
                perIdPath(parser.value("output").toStdString(), id, severalIds);
            writeLines(path, lines, compiled ? FileKind::Compiled : FileKind::Text, out);
            object["output"] = jsonText(path);
        } else if (out.json()) {
            object["text"] = jsonLines(lines);
        } else {
            out.write(joinLines(lines));
        }
        object["ok"] = true;
        out.object(object);
        return int(kDone);
    });
}

int clear(const QCommandLineParser& parser, Output& out) {
    const LinkSpec link = linkOption(parser, out);
    const std::string model = controllerModel(parser, link, out);
    if (!parser.positionalArguments().isEmpty())
        return out.usage("unexpected argument \"" + parser.positionalArguments()[0].toStdString() +
                         "\".");
    LinkSession session(link);
    return forEachId(session, out, [&](const std::string& id) {
        Progress progress("Clearing");
        ProgressDisplay display(progress);
        proglift::DownloadJob job(loaderSetup(model, jobfiles::DownloadOrClear, true), "",
                                  &session.transport(), display);
        job.requireOk();
        const jobfiles::LoaderOutcome outcome = runLoaderJob(job, progress);
        QJsonObject object = idObject(session, id);
        object["model"] = QString::fromStdString(model);
        if (!outcome.success)
            return failId(out, object, link.name(id) + ": " + outcome.LastErrorText, kLinkFailure);
        object["ok"] = true;
        object["slots_emptied"] = slotCount(model);
        out.object(object);
        out.line(link.name(id) + ": " + std::to_string(slotCount(model)) + " slots emptied");
        return int(kDone);
    });
}

} // namespace

const Command kUploadCommand{
    "upload",
    "LINK [-o OUT] [--compiled]",
    "read the slots back; decompiled unless --compiled",
    "Reads the program slots up to the first empty one and writes the program text (or, with "
    "--compiled, the compiled lines). With several IDs, -o is needed and each controller's "
    "program goes to OUT with -<id> before its extension.",
    uploadOptions,
    upload};

const Command kClearCommand{
    "clear",      "LINK", "clear the program memory", "Empties every program slot.",
    clearOptions, clear};

} // namespace motionctl
