#include "platform/plugman/cporttransport.h"

#include "platform/port/port.h"

cPortTransport::cPortTransport(void *handle)
    : m_handle(handle)
{
}

int cPortTransport::write(const char *data, int length)
{
    int count = 0;
    if (port::write(m_handle, data, length, &count) != 1)
        return -1;
    return count;
}

int cPortTransport::read(char *buffer, int capacity, int timeoutMs)
{
    int count = 0;
    if (port::read(m_handle, buffer, capacity, &count, timeoutMs) != 1)
        return -1;
    return count;
}

void cPortTransport::discardOutput()
{
    port::discard_output(m_handle);
}
