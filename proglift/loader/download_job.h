#pragma once
// Download: the compiled program into slots 0 .. n-1, then the rest of the page it ends in
// emptied. Clear: every slot emptied. Both report through DownloadOut.txt.

#include "proglift/loader/loader_job.h"

#include <vector>

namespace proglift {

class DownloadJob final : public LoaderJob {
public:
    using LoaderJob::LoaderJob;

    void start() override;
    bool writeResult() const override;
    // The compiled lines to download, given in hand instead of read from the set-up's file.
    void setProgram(std::vector<std::string> lines);
    // Every write must be answered "OK": any other answer (garbage on the line) fails the job.
    // The loader takes any answer but a refusal, as it always has; the command line asks more.
    void requireOk() { requireOk_ = true; }
    // The slot after the last one the job writes: the end of the page the program ends in.
    int32_t lastPageLine() const { return LastPageLine; }

private:
    void step() override;
    std::string describeFailure(const std::string& text) const override;

    void loadAndSendProgram();
    void clearRestOfPage();
    void startClear();
    void clearAllSlots();
    bool prepareDownload();
    // Sends "SA<slot>=<line>"; false once the job has failed.
    bool writeSlot(int32_t slot, const std::string& line);

    int32_t downloadStep = 1;
    bool programLoaded_ = false;
    int32_t ClearStep = 1;
    int32_t totalLine = 0;
    int32_t flash_index = 0;
    int32_t LastPageLine = -1;
    std::vector<std::string> downloadlist;
    bool programGiven_ = false;
    bool requireOk_ = false;
    // Slots 0 .. slotsWritten_ - 1 have been written (or emptied) and answered.
    int32_t slotsWritten_ = 0;
};

} // namespace proglift
