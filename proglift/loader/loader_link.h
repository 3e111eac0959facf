#pragma once
// The link a loader run talks through, opened as its set-up file names it.

#include "jobfiles/loader_setup.h"
#include "link/controller_link.h"

#include <optional>
#include <string>

namespace proglift {

// The link the set-up file describes, with the loader's USB time-outs.
transport::LinkRequest linkRequestFor(const jobfiles::LoaderSetup& setup);

// Opens the link for the run; the failure text for the result file when it cannot. An upload
// that names no known link opens none and goes on: its first read then fails on the closed link.
std::optional<std::string> openLoaderLink(transport::ControllerLink& link,
                                          const jobfiles::LoaderSetup& setup);

} // namespace proglift
