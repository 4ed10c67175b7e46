#pragma once

#include "platform/port/siodevice.h"

#include <QList>

#include <functional>

/**
 * The unit's ports. All byte-level calls return 1 for success and anything else for failure;
 * they may be called from any thread and never block past their time-out. A handle that was
 * closed or never opened is refused, never dereferenced.
 */
namespace port {

/** Opens every sub-device of the unit exclusively and fills their handles; false when any fails. */
bool open_port(sIODevice &device);
/** Closes the unit's sub-devices, waiting up to timeoutMs for pending output to drain. */
bool close_port(const sIODevice &device, int timeoutMs);
/** The I/O handle of the unit's (first) serial line while it is open; null otherwise. */
void *calc_io_handle(const sIODevice &device);

int open(void *handle);
int close(void *handle);
int is_open(void *handle);
int flush(void *handle);
/** Drops output written but not yet sent (a protocol abandoning what it queued); input stays. */
int discard_output(void *handle);
int set_baud_rate(void *handle, unsigned int rate);
int read(void *handle, void *buffer, int capacity, int *count, int timeoutMs);
int write(void *handle, const void *data, int length, int *count);
int gpio_get_state(void *handle, const char *name, unsigned char *state);
int gpio_set_state(void *handle, const char *name, unsigned char state);
int i2c_read(void *handle, unsigned char address, void *buffer, int count, int *readCount);
int i2c_write(void *handle, unsigned char address, const void *data, int length, int *written);

/** Units offered now: registered units (the simulated one), the adapter file's, then plain serial ports. */
QList<sIODevice> enumerate();
/** Offers a unit in every enumeration until it is unregistered (used for the embedded simulated unit). */
void registerUnit(const sIODevice &device);
void unregisterUnit(const QString &id);
/**
 * Calls listener with every I/O handle whose port closes, by close_port() or close(), from the
 * closing thread and after the handle stopped working. Listeners stay for the life of the process.
 */
void addCloseListener(std::function<void(void *handle)> listener);
/** The adapter file that enumerate() reads; ZOVAN_ADAPTERS overrides it. */
QString adapterFilePath();

} // namespace port
