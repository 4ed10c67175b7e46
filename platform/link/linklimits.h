#pragma once

#include <QtGlobal>

class QByteArray;

/**
 * The limits of the unit link that both ends enforce, in one place: a request the host lets
 * through is one the unit accepts, and the unit refuses only what a broken host would send.
 */
namespace zlink {

// Paths and names are counted in bytes as they travel; the unit may count characters, never more.
constexpr int kMaxPathBytes = 1024;
constexpr int kMaxNameBytes = 255;     // one component of a path
constexpr int kMaxCommandBytes = 1024; // one unit command, as long as the unit's command line takes

constexpr int kMinBlockSize = 64;
constexpr int kMaxBlockSize = 16384;
constexpr int kDefaultBlockSize = 768; // best balance of header cost and loss on a noisy 115200 baud line
constexpr int kMinWindow = 1;
constexpr int kMaxWindow = 64;
constexpr int kDefaultWindow = 8;
constexpr int kDefaultRetries = 3;
constexpr int kDefaultTimeoutMs = 5000;
constexpr qint64 kDefaultMaxFileSize = qint64(64) * 1024 * 1024;
constexpr qint64 kHardMaxFileSize = qint64(1024) * 1024 * 1024;

// Repeat times. A receiver of blocks repeats its ack while the sender is silent; the host sends
// an unanswered request again after kFirstResendMs, doubling the wait up to kMaxResendMs.
constexpr int kAckRepeatMs = 150;
constexpr int kFirstResendMs = 300;
constexpr int kMaxResendMs = 2000;
// The unit drops a transfer nobody talked about for this long.
constexpr int kAbandonMs = 30000;

// An upload is written under its path with this suffix and renamed when whole and checked.
constexpr char kUploadSuffix[] = ".zt-part";
constexpr int kUploadSuffixBytes = int(sizeof(kUploadSuffix)) - 1;

/**
 * Whether a path fits: not empty, at most kMaxPathBytes, no component above kMaxNameBytes, with
 * reserve bytes left free after the last name (an upload's temporary suffix).
 */
bool pathFits(const QByteArray &path, int reserve = 0);

} // namespace zlink
