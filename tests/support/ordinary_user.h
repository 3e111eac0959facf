#pragma once
// Root writes into any folder, read-only or not. A test that needs a read-only folder to be
// read-only for the program it starts runs that program as an ordinary user (nobody) when the
// test itself runs as root; otherwise the program runs as the test's own user.

#include <QProcess>

#include <grp.h>
#include <unistd.h>

namespace testing_support {

inline void startsAsOrdinaryUser(QProcess& process) {
    if (::geteuid() != 0) return;
    process.setChildProcessModifier([] {
        constexpr uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
            ::_exit(127);
    });
}

} // namespace testing_support
