#include "tests/engine/devicedescription.h"

#include "platform/port/siodevice.h"

#include <QTest>

#include <lua.hpp>

#include <memory>

namespace {

sIOSubDevice sub(const QString &var, const QString &type, const QString &id, const QStringList &gpio = {})
{
    return sIOSubDevice{nullptr, var, type, id, gpio};
}

} // namespace

class tst_DeviceDescription : public QObject
{
    Q_OBJECT

private slots:
    void exactText_data();
    void exactText();
    void hostileValuesStayValues_data();
    void hostileValuesStayValues();
};

void tst_DeviceDescription::exactText_data()
{
    QTest::addColumn<sIODevice>("device");
    QTest::addColumn<QString>("text");

    sIODevice bare;
    bare.id = QStringLiteral("/dev/ttyUSB0");
    bare.name = QStringLiteral("ZOVAN-3");
    sIODevice quoted = bare;
    quoted.name = QStringLiteral("Bob's \\unit\\\n%1");
    quoted.id = QStringLiteral("tab\there\x7f");
    QTest::newRow("escaped values") << quoted
        << QStringLiteral("zt_io_device =\n{\n  id = 'tab\\009here\\127',\n  name = 'Bob\\'s \\\\unit\\\\\\n%1',\n"
                          "  devices =\n  {\n  },\n}\n");

    sIODevice full = bare;
    full.devices = {sub(QStringLiteral("serial"), QStringLiteral("serial"), QStringLiteral("/dev/ttyUSB0")),
                    sub(QStringLiteral("end"), QStringLiteral("gpio"), QStringLiteral("/dev/gpiochip0"),
                        {QStringLiteral("IN1"), QStringLiteral("it's")}),
                    sub(QStringLiteral("x = 1 } os.exit() --"), QStringLiteral("i2c"), QStringLiteral("b"))};
    QTest::newRow("devices, names that are no Lua names") << full
        << QStringLiteral("zt_io_device =\n{\n  id = '/dev/ttyUSB0',\n  name = 'ZOVAN-3',\n  devices =\n  {\n"
                          "    serial = { handle = nil, type = 'serial', id = '/dev/ttyUSB0', gpio = {  } },\n"
                          "    ['end'] = { handle = nil, type = 'gpio', id = '/dev/gpiochip0', gpio = { 'IN1', 'it\\'s' } },\n"
                          "    ['x = 1 } os.exit() --'] = { handle = nil, type = 'i2c', id = 'b', gpio = {  } },\n"
                          "  },\n}\n");
}

void tst_DeviceDescription::exactText()
{
    QFETCH(sIODevice, device);
    QFETCH(QString, text);
    QCOMPARE(devicedescription::text(device), text);
}

void tst_DeviceDescription::hostileValuesStayValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("quote and call") << QStringLiteral("x', name = os.exit(), y = '");
    QTest::newRow("back-slash before quote") << QStringLiteral("a\\' .. os.exit() .. '");
    QTest::newRow("escape then digits") << QStringLiteral("\x01" "23\x1f" "9");
    QTest::newRow("latin-1 bytes") << QString::fromLatin1("Pr\xfc" "fger\xe4t");
}

void tst_DeviceDescription::hostileValuesStayValues()
{
    QFETCH(QString, value);
    sIODevice device;
    device.id = value;
    device.name = value;
    device.devices = {sub(value, value, value, {value, QStringLiteral("OUT1")})};

    // No libraries: a call that escaped the strings would fail to find os.
    const std::unique_ptr<lua_State, void (*)(lua_State *)> L(luaL_newstate(), lua_close);
    const QByteArray chunk = devicedescription::text(device).toLatin1()
                             + "local d = zt_io_device.devices[zt_io_device.id]\n"
                               "return zt_io_device.id, zt_io_device.name, d.type, d.id, d.gpio[1], #d.gpio\n";
    QCOMPARE(luaL_loadbuffer(L.get(), chunk.constData(), size_t(chunk.size()), "zt_io_device"), 0);
    QCOMPARE(lua_pcall(L.get(), 0, 6, 0), 0);
    for (int i = 1; i <= 5; ++i)
        QCOMPARE(QString::fromLatin1(lua_tostring(L.get(), i)), value);
    QCOMPARE(lua_tointeger(L.get(), 6), 2);
}

QTEST_GUILESS_MAIN(tst_DeviceDescription)
#include "tst_devicedescription.moc"
