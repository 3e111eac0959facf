#pragma once
// Starting a helper program (Progsmith, Proglift) and waiting for it to end. The real one starts
// the program file as a process of its own and waits without a time-out while the windows keep
// repainting; tests put helpers of their own in its place.

#include <string>

namespace session {

struct HelperRun {
    enum Outcome {
        Finished,      // ended by itself; its result file tells how the job went
        FailedToStart, // missing, not executable, or refused by the system
        Crashed        // killed or crashed before it ended
    } outcome = Finished;
    int exitCode = 0;
    std::string errorText; // why it did not start or did not finish
};

class HelperPrograms {
public:
    virtual ~HelperPrograms() = default;
    // Runs the program at this absolute path, without arguments, and returns when it has ended.
    virtual HelperRun run(const std::string& programPath) = 0;
};

} // namespace session
