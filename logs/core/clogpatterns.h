#pragma once

class QRegularExpression;

namespace logpattern {
// The firmware's record patterns, in the order of its table.
enum ePattern {
    SensNd, MngGsm, VehBus, CanLogRec, AinRec, DinRec, FuelRec, FuelCanRec, CanAinRec, CanDinRec, VinRec, ExtVinRec,
    VscapRec, CounterRec, FmeterRec, CanCounterRec, StorRec, TrackerRec, SosRec, CallReqRec, CpuRec, MemRec,
    CanLogExtRec, PatternCount
};
} // namespace logpattern

/** The unit firmware's status record patterns, compiled once for the program's lifetime. */
class cLogPatterns
{
public:
    static const QRegularExpression &pattern(int which);
};
