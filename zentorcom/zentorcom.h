#pragma once
// The USB communication library's C interface: seven functions, loaded by name at first use.
// Every function returns 1 on success and 0 on failure. Transfers are fixed 64-byte blocks.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ZENTORCOM_BLOCK_SIZE 64
#define ZENTORCOM_PRODUCT_BUFFER_SIZE 257

// Number of attached devices; they are then addressed by index 0 .. count - 1. Status 0 when the
// socket folder is refused (see ZENTORCOM_OPTION_LAST_ERROR).
int32_t fnZentorComGetNumDevices(int32_t* count);
// fnZentorComGetProductString with this option ignores the device index and gives the text of the
// library's last failure instead (a socket folder it refused), zero-terminated; status 0 when
// there is none. A caller can name the reason when no device is found.
#define ZENTORCOM_OPTION_LAST_ERROR 1

// The device's product text, zero-terminated, into a buffer of 257 bytes. option is 0 (or
// ZENTORCOM_OPTION_LAST_ERROR).
int32_t fnZentorComGetProductString(int32_t deviceIndex, uint8_t* buffer, int32_t option);
// Read and write time-outs in milliseconds for later opens and transfers.
int32_t fnZentorComSetTimeouts(int32_t readTimeoutMs, int32_t writeTimeoutMs);
// Opens a device by index; the handle stays valid until fnZentorComClose.
int32_t fnZentorComOpen(int32_t deviceIndex, int32_t* handle);
// Writes bytesToWrite bytes (64) of send, then fills bytesToRead bytes (64) of receive with the
// reply, zero-padded. A device that does not answer in time gives an all-zero block.
int32_t fnZentorComSendRecv(int32_t handle, const uint8_t* send, int32_t bytesToWrite,
                            int32_t bytesToRead, uint8_t* receive);
// Discards pending data.
int32_t fnZentorComFlush(int32_t handle);
// Releases the device.
int32_t fnZentorComClose(int32_t handle);

#ifdef __cplusplus
}
#endif
