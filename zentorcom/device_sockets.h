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

// Sockets in the folder that someone listens on, sorted by name: the devices by index.
std::vector<std::string> liveDevices();

// Sends the request within writeTimeoutMs, then waits up to readTimeoutMs for the response;
// nullopt when the device cannot be reached or does not answer in time.
std::optional<Response> call(const std::string& socketPath, const Request& request,
                             int writeTimeoutMs, int readTimeoutMs);

} // namespace zentorcom
