#include "sim/csimoptions.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

struct sOptionSpec
{
    const char *key;
    const char *value;
    const char *description;
    std::function<bool(const QString &, sSimOptions *, QString *)> apply;
};

bool parseRate(const QString &text, double *out, QString *why)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0.0 || v > 1.0) {
        *why = QStringLiteral("expected a probability between 0 and 1");
        return false;
    }
    *out = v;
    return true;
}

bool parseInt(const QString &text, qint64 lo, qint64 hi, qint64 *out, QString *why)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok, 10);
    if (!ok || v < lo || v > hi) {
        *why = QStringLiteral("expected a whole number from %1 to %2").arg(lo).arg(hi);
        return false;
    }
    *out = v;
    return true;
}

bool parseSupported(const QString &text, bool *out, QString *why)
{
    if (text == QLatin1String("supported") || text == QLatin1String("unsupported")) {
        *out = text == QLatin1String("supported");
        return true;
    }
    *why = QStringLiteral("expected 'supported' or 'unsupported'");
    return false;
}

const QList<sOptionSpec> &specs()
{
    static const QList<sOptionSpec> list = {
        {"flip", "RATE", "probability per byte of one flipped bit, both directions (0)",
         [](const QString &v, sSimOptions *o, QString *why) { return parseRate(v, &o->flipRate, why); }},
        {"drop", "RATE", "probability per byte of losing it, both directions (0)",
         [](const QString &v, sSimOptions *o, QString *why) { return parseRate(v, &o->dropRate, why); }},
        {"delay-ms", "N", "latency added to every chunk, both directions (0)",
         [](const QString &v, sSimOptions *o, QString *why) {
             qint64 n = 0;
             if (!parseInt(v, 0, 60000, &n, why))
                 return false;
             o->delayMs = int(n);
             return true;
         }},
        {"baud", "N", "throttle both directions to N/10 bytes per second (unthrottled)",
         [](const QString &v, sSimOptions *o, QString *why) {
             qint64 n = 0;
             if (!parseInt(v, 50, 100000000, &n, why))
                 return false;
             o->baud = int(n);
             return true;
         }},
        {"hangup", "BYTES", "close the line after BYTES bytes have passed, both directions counted (never)",
         [](const QString &v, sSimOptions *o, QString *why) {
             return parseInt(v, 1, Q_INT64_C(1) << 50, &o->hangupBytes, why);
         }},
        {"ready-ms", "N", "time from start or restart until GET_APP_RUN_STATE answers DONE (1000)",
         [](const QString &v, sSimOptions *o, QString *why) {
             qint64 n = 0;
             if (!parseInt(v, 0, 3600000, &n, why))
                 return false;
             o->readyMs = int(n);
             return true;
         }},
        {"log-rate", "LINES_PER_SECOND", "log lines per second, 0 = as fast as the line takes them (20)",
         [](const QString &v, sSimOptions *o, QString *why) {
             bool ok = false;
             const double r = v.toDouble(&ok);
             if (!ok || !std::isfinite(r) || r < 0.0 || r > 1000000.0) {
                 *why = QStringLiteral("expected a number of lines per second from 0 to 1000000");
                 return false;
             }
             o->logRate = r;
             return true;
         }},
        {"log-profile", "realistic|edge",
         "'edge': the log also holds the records a unit prints on a bad day (realistic)",
         [](const QString &v, sSimOptions *o, QString *why) {
             if (v == QLatin1String("realistic") || v == QLatin1String("edge")) {
                 o->edgeLog = v == QLatin1String("edge");
                 return true;
             }
             *why = QStringLiteral("expected 'realistic' or 'edge'");
             return false;
         }},
        {"package", "none|default", "'none': the unit has no /statfs/zovan_tools_tests.out (it has)",
         [](const QString &v, sSimOptions *o, QString *why) {
             if (v == QLatin1String("none")) {
                 o->package = false;
                 return true;
             }
             if (v == QLatin1String("default")) {
                 o->package = true;
                 return true;
             }
             *why = QStringLiteral("expected 'none' or 'default'");
             return false;
         }},
        {"run-state", "supported|unsupported",
         "'unsupported': firmware that answers GET_APP_RUN_STATE with Unknown command (supported)",
         [](const QString &v, sSimOptions *o, QString *why) { return parseSupported(v, &o->runState, why); }},
        {"listing", "supported|unsupported",
         "'unsupported': firmware that answers directory listings with Unknown command: (supported)",
         [](const QString &v, sSimOptions *o, QString *why) { return parseSupported(v, &o->listing, why); }},
        {"fs", "DIR", "back the unit's file system with this existing folder (in memory)",
         [](const QString &v, sSimOptions *o, QString *why) {
             const QFileInfo info(v);
             if (v.isEmpty() || !info.isDir()) {
                 *why = QStringLiteral("expected an existing folder");
                 return false;
             }
             o->fsDir = info.absoluteFilePath();
             return true;
         }},
        {"seed", "N", "seed of the faults and of the log values (1)",
         [](const QString &v, sSimOptions *o, QString *why) {
             bool ok = false;
             const quint64 n = v.toULongLong(&ok, 10);
             if (!ok) {
                 *why = QStringLiteral("expected a non-negative whole number");
                 return false;
             }
             o->seed = n;
             return true;
         }},
        {"name", "TEXT", "the unit's name, shown in its banner and version (ZOVAN-SIM)",
         [](const QString &v, sSimOptions *o, QString *why) {
             const QString t = v.trimmed();
             if (t.isEmpty() || t.size() > 64 || t.contains(QLatin1Char('\r'))
                 || t.contains(QLatin1Char('\n'))) {
                 *why = QStringLiteral("expected one line of 1 to 64 characters");
                 return false;
             }
             o->name = t;
             return true;
         }},
    };
    return list;
}

} // namespace

bool cSimOptions::parse(const QStringList &list, sSimOptions *options, QString *error)
{
    sSimOptions result = *options;
    for (const QString &entry : list) {
        const int eq = entry.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            *error = QStringLiteral("malformed option '%1': expected KEY=VALUE").arg(entry);
            return false;
        }
        const QString key = entry.left(eq);
        const QString value = entry.mid(eq + 1);
        const sOptionSpec *known = nullptr;
        for (const sOptionSpec &s : specs()) {
            if (key == QLatin1String(s.key)) {
                known = &s;
                break;
            }
        }
        if (!known) {
            *error = QStringLiteral("unknown option '%1'").arg(key);
            return false;
        }
        QString why;
        if (!known->apply(value, &result, &why)) {
            *error = QStringLiteral("bad value '%1' for option '%2': %3").arg(value, key, why);
            return false;
        }
    }
    *options = result;
    return true;
}

QStringList cSimOptions::help()
{
    int width = 0;
    for (const sOptionSpec &s : specs())
        width = std::max(width, int(qstrlen(s.key) + 1 + qstrlen(s.value)));
    QStringList lines;
    for (const sOptionSpec &s : specs()) {
        const QString left = QStringLiteral("%1=%2").arg(QLatin1String(s.key), QLatin1String(s.value));
        lines << QStringLiteral("%1  %2").arg(left, -width).arg(QLatin1String(s.description));
    }
    return lines;
}
