#pragma once

#include "platform/link/linkprotocol.h"
#include "platform/link/slinkframe.h"

#include <QByteArray>
#include <QList>

/** A piece of the received byte stream: either plain text or one checked frame. */
struct sLinkChunk
{
    bool isFrame = false;
    QByteArray text;
    sLinkFrame frame;
};

/**
 * Splits one byte stream into plain text and checked frames, incrementally. Text around and
 * between frames comes out in order; a damaged frame (bad CRC, bad escape, too long, cut by a
 * new start marker) is dropped and counted; a start marker is never taken for text.
 */
class cLinkDecoder
{
public:
    explicit cLinkDecoder(int maxPayload = zlink::kMaxPayload);

    /** Decodes the bytes; what is complete is appended to out in stream order. */
    void feed(const char *data, int length, QList<sLinkChunk> *out);
    void reset();

    bool inFrame() const { return m_inFrame; }
    quint64 framesDecoded() const { return m_good; }
    quint64 framesDamaged() const { return m_damaged; }

private:
    void endFrame(QList<sLinkChunk> *out);
    void dropFrame();

    int m_maxPayload;
    bool m_inFrame = false;
    bool m_escaped = false;
    bool m_skipping = false;
    QByteArray m_frame;
    quint64 m_good = 0;
    quint64 m_damaged = 0;
};
