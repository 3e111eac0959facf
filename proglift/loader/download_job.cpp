#include "proglift/loader/download_job.h"

#include "jobfiles/compiled_program.h"
#include "jobfiles/file_names.h"
#include "link/port_diagnosis.h"
#include "proglift/loader/controller_models.h"

namespace proglift {

void DownloadJob::start() {
    display_.showPhase("Downloading new code...");
}

bool DownloadJob::writeResult() const {
    return jobfiles::writeDownloadResult(jobfiles::pathIn(folder_, jobfiles::kDownloadResultFile),
                                         outcome_);
}

void DownloadJob::step() {
    if (setup_.ClearOnly) {
        if (ClearStep == 1)
            startClear();
        else if (ClearStep == 2)
            clearAllSlots();
        else
            succeed();
        return;
    }
    if (downloadStep == 1)
        loadAndSendProgram();
    else
        clearRestOfPage();
}

void DownloadJob::setProgram(std::vector<std::string> lines) {
    downloadlist = std::move(lines);
    programGiven_ = true;
}

// A controller that refuses a line answers "?" and the command: going on would leave a program
// with a hole in it and report a success.
bool DownloadJob::writeSlot(int32_t slot, const std::string& line) {
    const std::string command = "SA" + std::to_string(slot) + "=" + line;
    std::string reply;
    if (!exchange(command, reply)) return false;
    if (!reply.empty() && reply.front() == '?') {
        fail("Slot " + std::to_string(slot) + " refused: " + reply);
        return false;
    }
    if (requireOk_) {
        std::string answer = reply;
        while (!answer.empty() && (answer.back() == '\r' || answer.back() == '\n'))
            answer.pop_back();
        if (answer != "OK") {
            fail("Slot " + std::to_string(slot) + ": the controller answered \"" +
                 transport::printableName(answer) + "\" instead of OK");
            return false;
        }
    }
    ++slotsWritten_;
    return true;
}

// Stopped part way, a download leaves the new lines before the failure and the old ones after it
// (a clear, empty slots before it): the controller holds neither program, and the user must know
// to download again or clear.
std::string DownloadJob::describeFailure(const std::string& text) const {
    if (slotsWritten_ == 0) return text;
    const std::string slots =
        slotsWritten_ == 1 ? "slot 0" : "slots 0 to " + std::to_string(slotsWritten_ - 1);
    return text + "; " + slots + (setup_.ClearOnly ? " emptied" : " written") +
           "; the controller holds a partial program";
}

// Everything that can refuse the download is checked before the first command goes out.
bool DownloadJob::prepareDownload() {
    if (!checkLineLimit()) return false;
    const auto pageSize = PageSize(setup_.ModelCode);
    if (!pageSize) {
        fail("Unknown controller model \"" + setup_.ModelCode + "\"!");
        return false;
    }
    if (!programGiven_) {
        auto program =
            jobfiles::LoadDownloadFile(folder_, setup_.ProgramFileName, *setup_.LineLimit);
        if (!program.ok) {
            fail(program.errorText);
            return false;
        }
        downloadlist = std::move(program.lines);
    }
    totalLine = static_cast<int32_t>(downloadlist.size());
    if (*setup_.LineLimit < totalLine) {
        fail("Controller can only support up to " + std::to_string(*setup_.LineLimit) +
             " lines of compiled code.");
        return false;
    }
    LastPageLine = proglift::LastPageLine(totalLine, *setup_.LineLimit, *pageSize);
    return true;
}

// The loops below stop when the tick's slice is used up and go on from flash_index at the next
// tick.
void DownloadJob::loadAndSendProgram() {
    if (!programLoaded_) {
        if (!prepareDownload()) return;
        setProgressMaximum(LastPageLine + 1);
        flash_index = 0;
        programLoaded_ = true;
    }
    while (flash_index < totalLine) {
        if (!writeSlot(flash_index, downloadlist[flash_index])) return;
        ++flash_index;
        setProgressValue(flash_index);
        if (sliceUsedUp()) return;
    }
    downloadStep = 2;
}

void DownloadJob::clearRestOfPage() {
    if (flash_index == totalLine) display_.showPhase("Clearing current page...");
    while (flash_index <= LastPageLine) {
        const int32_t i = flash_index;
        if (!writeSlot(i, "")) return;
        ++flash_index;
        setProgressValue(i);
        if (sliceUsedUp()) return;
    }
    succeed();
}

void DownloadJob::startClear() {
    if (!checkLineLimit()) return;
    display_.showPhase("Erasing flash memory...");
    LastPageLine = *setup_.LineLimit - 1;
    setProgressMaximum(*setup_.LineLimit);
    flash_index = 0;
    ClearStep = 2;
}

void DownloadJob::clearAllSlots() {
    while (flash_index <= LastPageLine) {
        if (!writeSlot(flash_index, "")) return;
        ++flash_index;
        setProgressValue(flash_index);
        if (sliceUsedUp()) return;
    }
    ClearStep = 3;
}

} // namespace proglift
