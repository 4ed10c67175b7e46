#pragma once

#include <QByteArray>
#include <QString>

#include <random>

class cSimHardware;

/**
 * Writes the unit's text log: every kind of status record the unit prints (navigation, GSM,
 * inputs, fuel, CAN values, supply voltages, counters, storage and tracker channels,
 * buttons, CPU and memory), with values that drift the way a vehicle's do, mixed with free
 * text. Each line ends with "\r\n", except the edge profile's lines that show other endings.
 * Digital inputs use the unit's coding: 1 active, 2 inactive, 4 short to ground, 8 short to
 * vcc, 16 line break.
 */
class cSimLogGenerator
{
public:
    /** edge: every round also prints one of the bad-day lines (edgeCaseCount() of them in turn). */
    cSimLogGenerator(quint64 seed, const cSimHardware *hardware, bool edge = false);

    /** Starts the log of a fresh boot; nowUs is the unit's clock. */
    void reboot(qint64 nowUs, bool selfTest);
    /** The next line of the log at time nowUs. */
    QByteArray nextLine(qint64 nowUs);
    /** Lets the vehicle's values move on to nowUs without printing (the unit's commands read them). */
    void update(qint64 nowUs);
    /** Number of record kinds in one round of the log; each appears at least once per round. */
    int roundLength() const;
    /** Number of bad-day lines the edge profile goes through. */
    static int edgeCaseCount();

    /** Values the unit's own commands report too, so answers agree with the log. */
    quint32 supplyMv() const { return m_vinMv; }
    quint32 externalMv() const { return m_extVinMv; }
    quint32 supercapMv() const { return m_vscapMv; }
    bool gsmRegistered() const { return m_netState == 1; }
    QString gsmNetwork() const;
    quint8 gsmCsq() const { return m_csq; }
    quint32 recordsStored() const { return m_stored; }
    quint32 recordsSent() const { return m_acked; }
    quint32 storageFree() const { return m_storageFree; }

private:
    QByteArray item(int index, qint64 nowUs);
    QByteArray freeText(qint64 nowUs);
    QByteArray edgeCase();
    double uniform(double lo, double hi);
    int pick(int lo, int hi);

    const cSimHardware *m_hw;
    std::mt19937_64 m_rng;
    qint64 m_bootUs = 0;
    qint64 m_lastUs = 0;
    quint64 m_lineNo = 0;
    int m_next = 0;
    bool m_selfTest = false;
    bool m_lastIgn = true;
    const bool m_edge;
    int m_nextEdge = 0;

    // Vehicle state.
    double m_latMas = 0;     // milliarcseconds
    double m_lonMas = 0;
    double m_altM = 0;
    double m_courseDeg = 0;
    double m_speedKmh = 0;
    double m_targetKmh = 0;
    int m_sats = 0;
    double m_odometerM = 0;
    double m_engineS = 0;
    double m_fuelUsedL = 0;
    double m_fuelLevel = 0;
    double m_fuelTank2 = 0;
    int m_rpm = 0;
    int m_engineTemp = 0;
    quint32 m_vinMv = 0;
    quint32 m_extVinMv = 0;
    quint32 m_vscapMv = 0;
    quint8 m_csq = 0;
    quint8 m_netState = 0;
    int m_network = 0;
    quint32 m_counter[2] {};
    quint32 m_fmeter = 0;
    quint32 m_canCounter = 0;
    quint32 m_stored = 0;
    quint32 m_acked = 0;
    quint32 m_ackedRealtime = 0;
    quint32 m_noAck = 0;
    quint32 m_connects = 0;
    quint32 m_storageFree = 0;
    quint32 m_idMin = 0;
    quint32 m_sosPress = 0;
    quint32 m_sosRelease = 0;
    quint32 m_callPress = 0;
    quint32 m_callRelease = 0;
    quint32 m_canFlagsHigh = 0;
    quint32 m_canFlagsLow = 0;
    double m_cpu = 0;
    quint32 m_heapUsed = 0;
    quint32 m_heapMin = 0;
    quint32 m_partUsed = 0;
};
