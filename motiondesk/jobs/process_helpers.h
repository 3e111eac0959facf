#pragma once
// The helper programs as processes of their own: started from their file by absolute path with
// no arguments (never through a shell), waited for without a time-out. While one runs, the
// windows keep repainting and answering the desktop, but take no input: the user sees the
// helper's own window at work and Motiondesk waiting with a busy cursor. A helper that crashes
// or is killed ends the wait at once.

#include "motiondesk/session/helper_programs.h"

namespace jobs {

class ProcessHelpers final : public session::HelperPrograms {
public:
    session::HelperRun run(const std::string& programPath) override;
};

} // namespace jobs
