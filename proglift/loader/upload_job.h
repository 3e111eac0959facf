#pragma once
// Upload: slots read with SA0, SA1, ... until the first empty one, into UploadOut.txt.

#include "proglift/loader/loader_job.h"

namespace proglift {

class UploadJob final : public LoaderJob {
public:
    using LoaderJob::LoaderJob;

    void start() override;
    bool writeResult() const override;

private:
    void step() override;

    void readSlots();
    void finish();

    bool readingStarted_ = false;
    int32_t linesComcounted = 0;
};

} // namespace proglift
