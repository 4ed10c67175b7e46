#pragma once

/** The byte line under the link client: a serial port, a pseudo-terminal or an in-process pipe. */
class iLinkTransport
{
public:
    virtual ~iLinkTransport() = default;

    /** Writes all or part of the bytes; returns the count written (0..length), negative on failure. */
    virtual int write(const char *data, int length) = 0;
    /** Waits up to timeoutMs for bytes; returns the count read, 0 on time-out, negative when the line is gone. */
    virtual int read(char *buffer, int capacity, int timeoutMs) = 0;
    /** Drops bytes written but not yet sent (used on cancel so the line goes idle at once). */
    virtual void discardOutput() = 0;
};
