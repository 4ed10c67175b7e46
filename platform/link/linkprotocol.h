#pragma once

#include "platform/link/linklimits.h"

#include <QtGlobal>

/**
 * Constants of the unit link: how frames look on the line and the operations a request can
 * carry; the limits both ends enforce are in linklimits.h. docs/unit-protocol.md describes the whole protocol.
 */
namespace zlink {

// Marker bytes never occur in ASCII or valid UTF-8 text, so the unit's log text cannot start a frame.
constexpr quint8 kStartMarker = 0xC0;
constexpr quint8 kEndMarker = 0xC1;
constexpr quint8 kEscape = 0xF5;
constexpr quint8 kEscapeXor = 0x20;

// Unstuffed frame: type(1) id(2) seq(4) length(2) payload(length) crc32(4), little-endian.
constexpr int kHeaderSize = 9;
constexpr int kCrcSize = 4;
constexpr int kMaxPayload = kMaxBlockSize + 2 * kMaxPathBytes; // a whole block, or a rename's two paths, and arguments

enum eFrameType : quint8 {
    FrameRequest = 1, // client -> unit: id = request id, payload = op + arguments
    FrameAnswer = 2,  // unit -> client: id = request id, payload = status + result
    FrameData = 3,    // either way: id = transfer id, seq = block index, payload = block bytes
    FrameAck = 4      // either way: id = transfer id, seq = blocks received in order, payload = last + bitmap
};

enum eOp : quint8 {
    OpHello = 1,
    OpCommand = 2,
    OpList = 3,
    OpGet = 4,
    OpPut = 5,
    OpCommit = 6,
    OpAbort = 7,
    OpMakeDir = 8,
    OpDeleteFile = 9,
    OpDeleteDir = 10,
    OpRename = 11
};

enum eStatus : quint8 {
    StatusOk = 0,
    StatusFailed = 1,     // the unit could not do it; an error text follows
    StatusTooLarge = 2,   // announced size above the limit
    StatusUnknownOp = 3,
    StatusBadRequest = 4, // malformed arguments
    StatusNoTransfer = 5, // commit/abort of a transfer the unit does not know
    StatusChecksum = 6    // whole-file CRC of an upload does not match
};

constexpr quint16 kProtocolVersion = 1;

} // namespace zlink
