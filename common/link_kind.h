#pragma once
// The kinds of link to a controller, numbered as the connection state and the loader's set-up
// file number them.

#include <cstdint>

namespace transport {

enum LinkKind : int16_t { LinkUsb = 1, LinkSerial = 2, LinkEthernet = 3 };

} // namespace transport
