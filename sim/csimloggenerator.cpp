#include "sim/csimloggenerator.h"

#include "sim/csimhardware.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace {

enum eItem {
    Nav, Gsm, Vin, ExtVin, Vscap, Ain1, Ain2, Din1, Din2, Din3, Din4, Fuel1, Fuel2, CanFuel11, CanFuel12,
    CanAin1, CanDin1, VehBus, CanLog, CanLogExt, Counter1, Counter2, Fmeter1, CanCounter1, Stor0, Stor1,
    Tracker0, Tracker1, Sos, CallReq, Cpu, Mem, Text, Edge
};

// One round of the log. Navigation comes more often, as on a real unit; free text in between.
const eItem kRound[] = {
    Nav, Gsm, Vin, ExtVin, Vscap, Text, Ain1, Ain2, Din1, Din2, Din3, Din4, Nav, Text,
    Fuel1, Fuel2, CanFuel11, CanFuel12, CanAin1, CanDin1, Text, VehBus, CanLog, CanLogExt, Nav,
    Counter1, Counter2, Fmeter1, CanCounter1, Text, Stor0, Stor1, Tracker0, Tracker1, Nav,
    Sos, CallReq, Text, Cpu, Mem,
};
constexpr int kRoundLength = int(sizeof kRound / sizeof kRound[0]);
// The edge profile puts a bad-day line after every few records.
constexpr int kEdgeEvery = 4;
constexpr int kEdgeCases = 20;

// Digital input states as the unit codes them.
constexpr int kDinActive = 1;
constexpr int kDinInactive = 2;
const int kDinFaults[] = {4, 8, 16};

const char *const kNetworks[] = {"MegaFon", "Beeline", "MTS"};

constexpr double kMasPerDeg = 3600000.0;
constexpr double kMetersPerDeg = 111320.0;
constexpr double kPi = 3.14159265358979323846;
constexpr quint32 kStorageBytes = 4u * 1024 * 1024;
constexpr quint32 kRecordBytes = 64;
constexpr quint32 kHeapTotal = 196608;
constexpr quint32 kPartitionTotal = 2097152;

QByteArray num(qint64 v)
{
    return QByteArray::number(v);
}

QByteArray body(std::initializer_list<std::pair<const char *, QByteArray>> pairs)
{
    QByteArray b("{ ");
    bool first = true;
    for (const auto &[key, value] : pairs) {
        if (!first)
            b += ", ";
        first = false;
        b += key;
        b += " = ";
        b += value;
    }
    b += " }";
    return b;
}

} // namespace

cSimLogGenerator::cSimLogGenerator(quint64 seed, const cSimHardware *hardware, bool edge)
    : m_hw(hardware)
    , m_rng(seed ^ 0x5a4f56414eULL)
    , m_edge(edge)
{
    // A vehicle parked in central Moscow, with a few years of service behind it.
    m_latMas = 55.7512 * kMasPerDeg;
    m_lonMas = 37.6184 * kMasPerDeg;
    m_altM = 156;
    m_courseDeg = 45;
    m_odometerM = 128437700;
    m_engineS = 3411.0 * 3600;
    m_fuelUsedL = 24188;
    m_fuelLevel = 62.5;
    m_fuelTank2 = 40.2;
    m_engineTemp = 20;
    m_network = 0;
    m_counter[0] = 1204;
    m_counter[1] = 77;
    m_fmeter = 58311;
    m_canCounter = 912;
    m_stored = 233017;
    m_acked = 233010;
    m_ackedRealtime = 220114;
    m_noAck = 12;
    m_connects = 87;
    m_idMin = 200000;
    m_sosPress = m_sosRelease = 2;
    m_callPress = m_callRelease = 5;
    m_canFlagsHigh = 0x00000104;
    m_canFlagsLow = 0x8000a021;
    m_cpu = 12;
    m_heapUsed = 90000;
    m_heapMin = 60000;
    m_partUsed = 611328;
}

int cSimLogGenerator::roundLength() const
{
    return m_edge ? kRoundLength + kRoundLength / kEdgeEvery : kRoundLength;
}

int cSimLogGenerator::edgeCaseCount()
{
    return kEdgeCases;
}

// What a unit prints on a bad day, one case per call, in turn. Each is a line the host must
// still read right (or, for a broken record, at least show).
QByteArray cSimLogGenerator::edgeCase()
{
    const QByteArray idx = "[" + num(m_lineNo % 100000) + "] = ";
    const int n = m_nextEdge;
    m_nextEdge = (m_nextEdge + 1) % kEdgeCases;
    const qint64 unixNow = QDateTime::currentSecsSinceEpoch();
    switch (n) {
    case 0: // south of the equator, west of Greenwich
        return "sens_nd" + idx + body({{"timestamp", num(unixNow)}, {"latitude", num(-121896000 - pick(0, 999))},
                                       {"longitude", num(-253656000 - pick(0, 999))}, {"altitude", num(-12)},
                                       {"sat_count", num(7)}, {"is_valid", num(1)}});
    case 1: return "sens_nd" + idx + body({{"timestamp", num(unixNow)}, {"sat_count", num(3)}, {"is_valid", num(2)}});
    case 2: return "mng_gsm" + idx + body({{"net_name", "Telia"}, {"csq", num(pick(5, 12))}, {"net_state", num(2)}});
    case 3: return "ain12" + idx + body({{"mv", num(pick(0, 30000))}});
    case 4: return "din10" + idx + body({{"value", num(kDinFaults[pick(0, 2)])}});
    case 5: return "fuel10" + idx + body({{"value", "12.25"}, {"t", num(3)}});
    case 6: return "fuel2_1_can" + idx + body({{"value", QByteArray::number(m_fuelTank2, 'f', 1)}, {"t", num(15)}});
    case 7: return "can_ain10" + idx + body({{"mv", num(4321)}});
    case 8: return "counter11" + idx + body({{"value", num(Q_INT64_C(4294967296) + pick(0, 9))}});
    case 9: return "fmeter10" + idx + body({{"value", num(Q_INT64_C(4294967295))}});
    case 10:
        return "can_log" + idx + body({{"engine_turn_speed", num(70000)}, {"fuel_level", num(65536 + 40)},
                                       {"engine_temperature", num(-25)}, {"engine_time_all", num(Q_INT64_C(5000000000))},
                                       {"fuel_consumption_all", num(qint64(m_fuelUsedL))}, {"track_all", num(-1)}});
    case 11:
        return "can_log_ext" + idx + body({{"flags_low", num(m_canFlagsLow)}, {"flags_high", num(m_canFlagsHigh | 0x400)}});
    case 12: return "vin" + idx + "{ mv = " + num(m_vinMv);   // cut off: no closing brace
    case 13: return "tracker_12" + idx + body({{"cnt_ack", num(5)}, {"cnt_noack", num(1)}});
    case 14: return "[EDGE] a line ended by LF alone\n";
    case 15: return "[EDGE] a line ended by CR alone\r[EDGE] and the text after it";
    case 16: return QByteArray("[GSM] \xd0\xbe\xd0\xbf\xd0\xb5\xd1\x80\xd0\xb0\xd1\x82\xd0\xbe\xd1\x80 \xc2\xabTelia\xc2\xbb, Pr\xc3\xbc"
                               "fung \xe2\x9c\x93");
    case 17: return "stor_chnl_3" + idx + body({{"id_max", num(9)}, {"id_min", num(1)}});
    case 18: return "flag_sos" + idx + body({{"state", num(1)}, {"off_on_counter", num(m_sosPress + 1)}});
    default: return "[SYS] cpu USAGE: 99.5%, cnt_tasks: " + num(70000);
    }
}

QString cSimLogGenerator::gsmNetwork() const
{
    return QString::fromLatin1(kNetworks[m_network]);
}

double cSimLogGenerator::uniform(double lo, double hi)
{
    return std::uniform_real_distribution<double>(lo, hi)(m_rng);
}

int cSimLogGenerator::pick(int lo, int hi)
{
    return std::uniform_int_distribution<int>(lo, hi)(m_rng);
}

void cSimLogGenerator::reboot(qint64 nowUs, bool selfTest)
{
    m_bootUs = nowUs;
    m_lastUs = nowUs;
    m_next = 0;
    m_selfTest = selfTest;
    m_netState = 0;
    m_csq = 99;   // "not known" until the modem has registered
    m_rpm = 0;
    m_speedKmh = 0;
    m_sats = 0;
    m_cpu = 35;
    m_connects += 1;
    m_heapUsed = 70000;
    m_heapMin = kHeapTotal - m_heapUsed;
    m_network = pick(0, 2);
    m_targetKmh = uniform(30.0, 70.0);
    m_lastIgn = m_hw->ignition();
}

void cSimLogGenerator::update(qint64 nowUs)
{
    const double dt = std::clamp(double(nowUs - m_lastUs) / 1e6, 0.0, 10.0);
    m_lastUs = std::max(m_lastUs, nowUs);
    const double up = double(nowUs - m_bootUs) / 1e6;
    const bool ign = m_hw->ignition();

    // Driving: speed wanders, the course turns gently, the position follows.
    if (uniform(0, 1) < dt / 20.0)
        m_targetKmh = pick(0, 4) == 0 ? 0.0 : uniform(20.0, 85.0);
    const double target = (ign && up > 2.0) ? m_targetKmh : 0.0;
    const double step = std::min(std::abs(target - m_speedKmh), 3.0 * dt);
    m_speedKmh = std::clamp(m_speedKmh + (target > m_speedKmh ? step : -step) + uniform(-0.5, 0.5) * dt, 0.0, 95.0);
    m_courseDeg = std::fmod(m_courseDeg + uniform(-6.0, 6.0) * dt + 360.0, 360.0);
    const double meters = m_speedKmh / 3.6 * dt;
    const double latDeg = m_latMas / kMasPerDeg;
    m_latMas += meters * std::cos(m_courseDeg * kPi / 180.0) / kMetersPerDeg * kMasPerDeg;
    m_lonMas += meters * std::sin(m_courseDeg * kPi / 180.0) / (kMetersPerDeg * std::cos(latDeg * kPi / 180.0))
                * kMasPerDeg;
    m_altM = std::clamp(m_altM + uniform(-0.6, 0.6) * dt, 120.0, 200.0);
    m_odometerM += meters;
    if (up > 1.5 && m_sats < 4)
        m_sats = pick(6, 9);
    else if (m_sats > 0 && uniform(0, 1) < 0.2 * dt)
        m_sats = std::clamp(m_sats + pick(-1, 1), 5, 14);

    // Engine.
    if (ign) {
        m_engineS += dt;
        m_rpm = int(800 + m_speedKmh * 28 + uniform(-40, 40));
        if (m_engineTemp < 88 && uniform(0, 1) < 0.5 * dt)
            ++m_engineTemp;
        const double litres = (0.8 + m_speedKmh * 0.02) * dt / 3600.0;
        m_fuelUsedL += litres;
        m_fuelLevel = std::max(5.0, m_fuelLevel - litres * 1.4);
        m_fuelTank2 = std::max(5.0, m_fuelTank2 - litres * 0.9);
    } else {
        m_rpm = 0;
        if (m_engineTemp > 20 && uniform(0, 1) < 0.2 * dt)
            --m_engineTemp;
    }

    // Power: the alternator charges while the engine runs.
    const double vin = ign ? 13850 + uniform(-120, 120) : 12420 + uniform(-40, 40);
    m_vinMv = quint32(vin);
    m_extVinMv = quint32(24100 + uniform(-150, 150));
    m_vscapMv = quint32(std::min(2750.0, 2300.0 + up * 40.0) + uniform(-8, 8));

    // Modem: searches for a few seconds after boot, then the signal wanders.
    if (up > 3.0 && m_netState == 0) {
        m_netState = 1;
        m_csq = quint8(pick(14, 20));
    } else if (m_netState == 1 && uniform(0, 1) < 0.8 * dt) {
        m_csq = quint8(std::clamp(int(m_csq) + pick(-2, 2), 6, 31));
    }

    // Counters only go up.
    if (uniform(0, 1) < 0.3 * dt)
        ++m_counter[0];
    if (uniform(0, 1) < 0.05 * dt)
        ++m_counter[1];
    if (ign)
        m_fmeter += quint32(std::lround(uniform(0, 3) * dt));
    if (uniform(0, 1) < 0.2 * dt)
        ++m_canCounter;

    // Records: one stored every two seconds or so, acknowledged a little later.
    if (uniform(0, 1) < 0.5 * dt)
        ++m_stored;
    if (m_netState == 1 && m_acked < m_stored && uniform(0, 1) < 0.6 * dt) {
        ++m_acked;
        if (uniform(0, 1) < 0.9)
            ++m_ackedRealtime;
    }
    if (uniform(0, 1) < 0.01 * dt)
        ++m_noAck;
    if (m_stored - m_idMin > 50000)
        m_idMin += 1000;
    m_storageFree = kStorageBytes - std::min(kStorageBytes, (m_stored - m_idMin) * kRecordBytes);

    // Buttons: a press now and then, released again a moment later.
    if (m_sosPress > m_sosRelease && uniform(0, 1) < 1.5 * dt)
        ++m_sosRelease;
    else if (uniform(0, 1) < 0.005 * dt)
        ++m_sosPress;
    if (m_callPress > m_callRelease && uniform(0, 1) < 1.5 * dt)
        ++m_callRelease;
    else if (uniform(0, 1) < 0.01 * dt)
        ++m_callPress;

    if (uniform(0, 1) < 0.05 * dt)
        m_canFlagsLow ^= 1u << pick(0, 31);
    if (uniform(0, 1) < 0.01 * dt)
        m_canFlagsHigh ^= 1u << pick(0, 15);

    // Load settles after boot.
    m_cpu = std::clamp(m_cpu + uniform(-3.0, 3.0) * std::min(dt * 5, 1.0) - (m_cpu > 25 ? 1.0 : 0.0), 4.0, 85.0);
    m_heapUsed = quint32(std::clamp(int(m_heapUsed) + pick(-2048, 2048), 40000, int(kHeapTotal) - 20000));
    m_heapMin = std::min(m_heapMin, kHeapTotal - m_heapUsed);
    m_partUsed = 611328 + (m_stored % 4096) * 16;
}

QByteArray cSimLogGenerator::freeText(qint64 nowUs)
{
    const qint64 up = (nowUs - m_bootUs) / 1000000;
    const bool ign = m_hw->ignition();
    if (ign != m_lastIgn) {
        m_lastIgn = ign;
        return ign ? "[IO] ignition on" : "[IO] ignition off";
    }
    if (m_selfTest && pick(0, 3) == 0)
        return "[SELFTEST] voice test mode active, waiting for the operator";
    switch (pick(0, 9)) {
    case 0: return "[APP] heartbeat, uptime " + num(up) + " s";
    case 1: return m_sats >= 4 ? "[NAV] fix 3D, hdop 0." + num(pick(7, 9)) : QByteArray("[NAV] searching satellites");
    case 2:
        return m_netState == 1 ? "[NET] sent " + num(pick(1, 4)) + " records to the server"
                               : QByteArray("[GSM] searching network");
    case 3: return "[CAN] bus active, 250 kbit/s, errors 0";
    case 4: return "[STOR] flash write ok, sector " + num(m_stored % 512);
    case 5: return ign ? QByteArray("[IO] engine running") : QByteArray("[IO] parked");
    case 6: return "[NET] server connection " + num(m_connects) + " alive, ping " + num(pick(80, 400)) + " ms";
    case 7: return "[ACC] motion " + QByteArray(m_speedKmh > 1.0 ? "detected" : "none");
    case 8: return "[GSM] signal " + num(m_csq) + "/31";
    default: return "[SYS] watchdog fed";
    }
}

QByteArray cSimLogGenerator::item(int index, qint64 nowUs)
{
    const QByteArray idx = "[" + num(m_lineNo / kRoundLength % 100000) + "] = ";
    const auto fuel = [](double v) { return QByteArray::number(v, 'f', 1); };
    const int temp = int(std::lround(m_hw->temperature(nowUs - m_bootUs)));
    const qint64 unixNow = QDateTime::currentSecsSinceEpoch();
    switch (eItem(index)) {
    case Nav:
        return "sens_nd" + idx
               + body({{"timestamp", num(unixNow)},
                       {"latitude", num(qint64(std::llround(m_latMas)))},
                       {"longitude", num(qint64(std::llround(m_lonMas)))},
                       {"altitude", num(qint64(std::llround(m_altM)))},
                       {"speed", num(qint64(std::llround(m_speedKmh)))},
                       {"course", num(qint64(m_courseDeg))},
                       {"sat_count", num(m_sats)},
                       {"is_valid", num(m_sats >= 4 ? 1 : 0)}});
    case Gsm:
        return "mng_gsm" + idx
               + body({{"net_name", m_netState == 1 ? QByteArray(kNetworks[m_network]) : QByteArray("nil")},
                       {"csq", num(m_csq)},
                       {"net_state", num(m_netState)}});
    case Vin: return "vin" + idx + body({{"mv", num(m_vinMv)}});
    case ExtVin: return "ext_vin" + idx + body({{"mv", num(m_extVinMv)}});
    case Vscap: return "vscap" + idx + body({{"mv", num(m_vscapMv)}});
    case Ain1:
        return "ain1" + idx + body({{"mv", num(qint64(m_vinMv * 0.98 + uniform(-15, 15)))}, {"raw", num(pick(3300, 3400))}});
    case Ain2:
        return "ain2" + idx + body({{"mv", num(qint64(4950 + uniform(-30, 30)))}, {"raw", num(pick(1350, 1380))}});
    case Din1:
    case Din2:
    case Din3:
    case Din4: {
        const int n = index - Din1 + 1;
        const bool on = m_hw->line(QStringLiteral("IN%1").arg(n));
        return "din" + num(n) + idx + body({{"value", num(on ? kDinActive : kDinInactive)}});
    }
    case Fuel1: return "fuel1" + idx + body({{"value", fuel(m_fuelLevel)}, {"t", num(std::max(0, temp - 4))}});
    case Fuel2: return "fuel2" + idx + body({{"value", fuel(m_fuelTank2)}, {"t", num(std::max(0, temp - 5))}});
    case CanFuel11:
        return "fuel1_1_can" + idx + body({{"value", fuel(m_fuelLevel + 0.4)}, {"t", num(std::max(0, temp - 3))}});
    case CanFuel12:
        return "fuel1_2_can" + idx + body({{"value", fuel(m_fuelTank2 - 0.3)}, {"t", num(std::max(0, temp - 3))}});
    case CanAin1: return "can_ain1" + idx + body({{"mv", num(qint64(5010 + uniform(-20, 20)))}});
    case CanDin1: return "can_din1" + idx + body({{"value", num(m_rpm > 0 ? kDinActive : kDinInactive)}});
    case VehBus:
    case CanLog: {
        const QByteArray name = index == VehBus ? "veh_bus__values__log" : "can_log";
        return name + idx
               + body({{"engine_turn_speed", num(m_rpm)},
                       {"fuel_level", num(qint64(std::lround(m_fuelLevel)))},
                       {"engine_temperature", num(m_engineTemp)},
                       {"engine_time_all", num(qint64(m_engineS / 3600.0))},
                       {"fuel_consumption_all", num(qint64(m_fuelUsedL))},
                       {"track_all", num(qint64(m_odometerM / 1000.0))}});
    }
    case CanLogExt:
        return "can_log_ext" + idx + body({{"flags_high", num(m_canFlagsHigh)}, {"flags_low", num(m_canFlagsLow)}});
    case Counter1: return "counter1" + idx + body({{"value", num(m_counter[0])}});
    case Counter2: return "counter2" + idx + body({{"value", num(m_counter[1])}});
    case Fmeter1: return "fmeter1" + idx + body({{"value", num(m_fmeter)}});
    case CanCounter1: return "can_counter1" + idx + body({{"value", num(m_canCounter)}});
    case Stor0:
    case Stor1: {
        const bool main = index == Stor0;
        const quint32 unack = m_stored - m_acked;
        const quint32 idMax = main ? m_stored : m_stored / 16;
        const quint32 idMin = main ? m_idMin : m_idMin / 16;
        const qint64 oldest = unixNow - qint64(idMax - idMin) * 2;
        return "stor_chnl_" + num(main ? 0 : 1) + idx
               + body({{"id_max", num(idMax)},
                       {"id_min", num(idMin)},
                       {"tm_oldest", num(oldest)},
                       {"tm_oldest_unack", num(unixNow - qint64(main ? unack : 0) * 2)},
                       {"cnt_unack", num(main ? unack : 0)},
                       {"cnt_unack_losted", num(main ? m_noAck / 4 : 0)},
                       {"cnt_ack_from_start", num(main ? m_acked % 100000 : m_acked / 16 % 100000)},
                       {"cnt_add_from_start", num(main ? m_stored % 100000 : m_stored / 16 % 100000)}});
    }
    case Tracker0:
    case Tracker1: {
        const bool main = index == Tracker0;
        return "tracker_" + num(main ? 0 : 1) + idx
               + body({{"cnt_ack", num(main ? m_acked : m_acked / 16)},
                       {"cnt_ack_realtime", num(main ? m_ackedRealtime : m_ackedRealtime / 16)},
                       {"cnt_noack", num(main ? m_noAck : 0)},
                       {"cnt_connect", num(main ? m_connects : m_connects / 3)}});
    }
    case Sos:
        return "flag_sos" + idx
               + body({{"off_on_counter", num(m_sosPress)},
                       {"on_off_counter", num(m_sosRelease)},
                       {"state", num(m_sosPress > m_sosRelease ? 1 : 0)}});
    case CallReq:
        return "flag_call_request" + idx
               + body({{"off_on_counter", num(m_callPress)},
                       {"on_off_counter", num(m_callRelease)},
                       {"state", num(m_callPress > m_callRelease ? 1 : 0)}});
    case Cpu:
        return "[SYS] Cpu usage: " + QByteArray::number(m_cpu, 'f', 1) + "%, Cnt_tasks: " + num(14 + m_lineNo % 3);
    case Mem:
        return "[SYS] Partition total/used/free: " + num(kPartitionTotal) + "/" + num(m_partUsed) + "/"
               + num(kPartitionTotal - m_partUsed) + ". Heap total/used/free: " + num(kHeapTotal) + "/"
               + num(m_heapUsed) + "/" + num(kHeapTotal - m_heapUsed) + ". Heap free min: " + num(m_heapMin);
    case Text: return freeText(nowUs);
    case Edge: return edgeCase();
    }
    return QByteArray();
}

QByteArray cSimLogGenerator::nextLine(qint64 nowUs)
{
    update(nowUs);
    if (m_edge && (m_lineNo + 1) % (kEdgeEvery + 1) == 0) {
        ++m_lineNo;
        QByteArray line = edgeCase();
        // Lines that carry their own ending keep it.
        if (!line.endsWith('\n'))
            line += "\r\n";
        return line;
    }
    const int index = kRound[m_next];
    m_next = (m_next + 1) % kRoundLength;
    QByteArray line = item(index, nowUs);
    ++m_lineNo;
    line += "\r\n";
    return line;
}
