#pragma once
// The library's side of the device sockets (protocol in socket_protocol.h): finding the
// devices and making one request of one of them, with a deadline on every step so that a
// device that does not answer can never hang the caller.

#include "zentorcom/socket_protocol.h"

#include <optional>
#include <string>
#include <vector>

namespace zentorcom {

// $ZENTORCOM_DIR, or /tmp/zentorcom-<uid>.
std::string socketFolder();

// Why the socket folder is refused (socket_folder.h), or nullopt when it may be used. A refusal is
// written to stderr (once while it lasts) and kept as the library's last error.
std::optional<std::string> refusedFolder(const std::string& folder);
// The text of the last refusal; empty once a folder has been accepted again.
std::string lastError();

// Sockets in the folder that someone listens on, sorted by name: the devices by index. None in a
// refused folder.
std::vector<std::string> liveDevices();

// Sends the request within writeTimeoutMs, then waits up to readTimeoutMs for the response;
// nullopt when the device cannot be reached, does not answer in time or lies in a refused folder.
std::optional<Response> call(const std::string& socketPath, const Request& request,
                             int writeTimeoutMs, int readTimeoutMs);

} // namespace zentorcom
