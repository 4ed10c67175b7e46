#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>

/**
 * One typed status record recognised in a unit's log line, with its arguments already converted
 * to the widths of the parser's signal. Kinds are in the parser's signal declaration order.
 */
struct sLogRecord
{
    enum eKind {
        Nav, Gsm, Ain, Din, Fuel, CanLog, CanAin, CanDin, CanFuel, Vin, ExtVin, Vscap, Counter, Fmeter,
        CanCounter, Stor, Tracker, Sos, CallReq, Cpu, Mem, CanLogExt, KindCount
    };
    /** How one argument travels: its C++ type in the signal. */
    enum eArgType { U8, U16, I16, U32, I32, Bool, Real, Text };

    static constexpr int kMaxArgs = 9;

    eKind kind = Nav;
    qint64 values[kMaxArgs] {};   // integer and boolean arguments, by argument position
    double real = 0;              // the one floating-point argument of fuel, canFuel and cpu
    QString text;                 // the network name of gsm

    /** The signal's name as the parser declares it ("nav", "canLog" ...). */
    static const char *signalName(eKind kind);
    static int argumentCount(eKind kind);
    static const char *argumentName(eKind kind, int index);
    static eArgType argumentType(eKind kind, int index);

    /** One JSON object: "signal" and then the arguments in declaration order. */
    QByteArray toJson() const;
};

Q_DECLARE_METATYPE(sLogRecord)
