#pragma once

#include "platform/link/ilinktransport.h"

/** The link's byte line over an open port handle (port::read, port::write, port::flush). */
class cPortTransport : public iLinkTransport
{
public:
    explicit cPortTransport(void *handle);

    int write(const char *data, int length) override;
    int read(char *buffer, int capacity, int timeoutMs) override;
    void discardOutput() override;

private:
    void *m_handle;
};
