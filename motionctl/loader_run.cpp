#include "motionctl/loader_run.h"

#include "motionctl/command.h"
#include "motionctl/inputs.h"
#include "proglift/loader/job_display.h"
#include "proglift/loader/loader_job.h"

namespace motionctl {

jobfiles::LoaderSetup loaderSetup(const std::string& model, jobfiles::LoaderOperationKind kind,
                                  bool clearOnly) {
    jobfiles::LoaderSetup setup;
    setup.LineLimit = slotCount(model);
    setup.LineLimitText = std::to_string(slotCount(model));
    setup.ModelCode = model;
    setup.LoaderOperation = kind;
    setup.ClearOnly = clearOnly;
    return setup;
}

jobfiles::LoaderOutcome runLoaderJob(proglift::LoaderJob& job, Progress& progress) {
    job.start();
    while (!job.finished())
        job.tick();
    progress.finish();
    return job.outcome();
}

int forEachId(LinkSession& session, Output& out,
              const std::function<int(const std::string& id)>& work) {
    int result = kDone;
    for (const std::string& id : session.spec().ids) {
        int code = kDone;
        if (auto failure = session.open(id)) {
            out.object(QJsonObject{{"link", jsonText(session.spec().name(id))},
                                   {"id", QString::fromStdString(id)},
                                   {"ok", false},
                                   {"error", jsonText(*failure)}});
            code = out.fail(kLinkFailure, *failure);
        } else {
            code = work(id);
        }
        if (result == kDone) result = code;
    }
    return result;
}

int failId(Output& out, QJsonObject object, const std::string& error, int code) {
    object["ok"] = false;
    object["error"] = jsonText(error);
    out.object(object);
    return out.fail(code, error);
}

QJsonObject idObject(const LinkSession& session, const std::string& id) {
    return {{"link", jsonText(session.spec().name(id))}, {"id", QString::fromStdString(id)}};
}

} // namespace motionctl
