#pragma once
// One run of the loader: the job named by proglift_setup.txt in folder, shown in its window,
// ending with its result file. Needs a QApplication.

#include "link/controller_link.h"

#include <string>

namespace proglift {

enum LoaderExitCode { LoaderSucceeded = 0, LoaderFailed = 1, LoaderNothingToDo = 0 };

// The exit code: 0 after a successful job or when there was nothing to do, 1 after a failure
// (including a result file that could not be written).
int runLoader(const std::string& folder, transport::LinkFactory factory);

} // namespace proglift
