#pragma once
// Helper programs for tests: each name (progsmith, proglift) runs a function the test gives,
// which can look at the job files the window wrote and write the result a real helper would.
// Every run is recorded with the program's path.

#include "motiondesk/session/helper_programs.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

class ScriptedHelpers final : public session::HelperPrograms {
public:
    using Helper = std::function<session::HelperRun()>;

    session::HelperRun run(const std::string& programPath) override {
        runs.push_back(programPath);
        const std::string name = programPath.substr(programPath.rfind('/') + 1);
        const auto helper = helpers.find(name);
        if (helper == helpers.end())
            return {session::HelperRun::FailedToStart, 0, "No such file or directory"};
        return helper->second();
    }

    std::map<std::string, Helper> helpers; // by file name
    std::vector<std::string> runs;         // program paths, in order
};

} // namespace testing_support
