#pragma once
// What a job window shows while a job runs: the phase, the command just sent and a progress bar.

#include <cstdint>
#include <string>

namespace proglift {

class JobDisplay {
public:
    virtual ~JobDisplay() = default;
    virtual void showPhase(const std::string& text) = 0;
    // Called for each command before it is sent; the window updates itself at once, since no
    // events are processed while a serial or USB job runs.
    virtual void showCommand(const std::string& command) = 0;
    virtual void setProgressMaximum(int32_t maximum) = 0;
    virtual void setProgressValue(int32_t value) = 0;
};

class NoDisplay final : public JobDisplay {
public:
    void showPhase(const std::string&) override {}
    void showCommand(const std::string&) override {}
    void setProgressMaximum(int32_t) override {}
    void setProgressValue(int32_t) override {}
};

} // namespace proglift
