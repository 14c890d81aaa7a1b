#include "core/transport/CUsbPortFinder.h"

#include <QTest>

Q_DECLARE_METATYPE(CSerialCandidate)

namespace {

CSerialCandidate windowsPort(const QString& pnpDeviceId, const QString& deviceId) {
    CSerialCandidate made;
    made.pnpDeviceId = pnpDeviceId;
    made.deviceId = deviceId;
    return made;
}

CSerialCandidate linuxPort(const QString& path, quint16 vendor, quint16 product) {
    CSerialCandidate made;
    made.devicePath = path;
    made.hasUsbIds = true;
    made.vendorId = vendor;
    made.productId = product;
    return made;
}

CSerialCandidate linuxPortWithoutIds(const QString& path) {
    CSerialCandidate made;
    made.devicePath = path;
    return made;
}

}  // namespace

// Finding the gateway's USB serial port among the system's serial ports.
class TestUsbPortFinder : public QObject {
    Q_OBJECT

private slots:
    void pnpDeviceIdRules_data();
    void pnpDeviceIdRules();
    void portNumberFromDeviceId_data();
    void portNumberFromDeviceId();
    void choosesThePort_data();
    void choosesThePort();
};

void TestUsbPortFinder::pnpDeviceIdRules_data() {
    QTest::addColumn<QString>("pnpDeviceId");
    QTest::addColumn<int>("productId");
    QTest::addColumn<bool>("matches");

    const int gateway = CUsbPortFinder::kGatewayProductId;
    QTest::newRow("the gateway") << "USB\\VID_03EB&PID_6124\\5&2A1B0C3&0&1" << gateway << true;
    QTest::newRow("bus in lower case")
        << "usb\\VID_03EB&PID_6124\\5&2A1B0C3&0&1" << gateway << true;
    QTest::newRow("bus in mixed case") << "Usb\\VID_03EB&PID_6124\\5" << gateway << true;
    QTest::newRow("vendor in lower case") << "USB\\vid_03eb&PID_6124\\5&2A1B" << gateway << false;
    QTest::newRow("another product of the vendor")
        << "USB\\VID_03EB&PID_6125\\5&2A1B" << gateway << false;
    QTest::newRow("product in lower case") << "USB\\VID_03EB&pid_6124\\5" << gateway << false;
    QTest::newRow("another vendor") << "USB\\VID_2341&PID_6124\\5" << gateway << false;
    QTest::newRow("another bus") << "FTDIBUS\\VID_03EB&PID_6124\\5" << gateway << false;
    QTest::newRow("bus with a suffix") << "USBX\\VID_03EB&PID_6124\\5" << gateway << false;
    QTest::newRow("only two tokens") << "USB\\VID_03EB" << gateway << false;
    QTest::newRow("exactly three tokens") << "USB\\VID_03EB&PID_6124" << gateway << true;
    QTest::newRow("empty") << "" << gateway << false;
    QTest::newRow("product zero-padded to four digits")
        << "USB\\VID_03EB&PID_00AB\\1" << 0xAB << true;
    QTest::newRow("product not padded") << "USB\\VID_03EB&PID_AB\\1" << 0xAB << false;
    QTest::newRow("product hex in upper case") << "USB\\VID_03EB&PID_61AF\\1" << 0x61AF << true;
    QTest::newRow("product hex in lower case") << "USB\\VID_03EB&PID_61af\\1" << 0x61AF << false;
    QTest::newRow("composite device interface")
        << "USB\\VID_03EB&PID_6124&MI_00\\6&1A2B3C4D&0&0000" << gateway << true;
    QTest::newRow("separators swapped") << "USB&VID_03EB\\PID_6124" << gateway << true;
}

void TestUsbPortFinder::pnpDeviceIdRules() {
    QFETCH(QString, pnpDeviceId);
    QFETCH(int, productId);
    QFETCH(bool, matches);

    QCOMPARE(CUsbPortFinder::pnpDeviceIdMatches(pnpDeviceId, static_cast<quint16>(productId)),
             matches);
}

void TestUsbPortFinder::portNumberFromDeviceId_data() {
    QTest::addColumn<QString>("deviceId");
    QTest::addColumn<int>("number");

    QTest::newRow("COM3") << "COM3" << 3;
    QTest::newRow("COM12, above 9") << "COM12" << 12;
    QTest::newRow("COM256") << "COM256" << 256;
    QTest::newRow("letters in any order") << "MOC7" << 7;
    QTest::newRow("number ends at a non-digit") << "COM4 (USB)" << 4;
    QTest::newRow("no number") << "COM" << 0;
    QTest::newRow("another letter first") << "XCOM3" << 0;
    QTest::newRow("empty") << "" << 0;
}

void TestUsbPortFinder::portNumberFromDeviceId() {
    QFETCH(QString, deviceId);
    QFETCH(int, number);

    QCOMPARE(CUsbPortFinder::portNumberFromDeviceId(deviceId), number);
}

void TestUsbPortFinder::choosesThePort_data() {
    QTest::addColumn<QList<CSerialCandidate>>("candidates");
    QTest::addColumn<QString>("chosen");

    const QString gatewayId = QStringLiteral("USB\\VID_03EB&PID_6124\\5&2A1B0C3&0&1");
    QTest::newRow("nothing") << QList<CSerialCandidate>{} << QString();
    QTest::newRow("Windows COM3 opens as a device path")
        << QList<CSerialCandidate>{windowsPort(gatewayId, "COM3")} << "\\\\.\\COM3";
    QTest::newRow("Windows COM12 works too")
        << QList<CSerialCandidate>{windowsPort("ACPI\\PNP0501\\1", "COM1"),
                                   windowsPort(gatewayId, "COM12")}
        << "\\\\.\\COM12";
    QTest::newRow("two gateways: the last one listed")
        << QList<CSerialCandidate>{windowsPort(gatewayId, "COM5"), windowsPort(gatewayId, "COM9")}
        << "\\\\.\\COM9";
    QTest::newRow("vendor right, product wrong")
        << QList<CSerialCandidate>{windowsPort("USB\\VID_03EB&PID_6125\\1", "COM4")} << QString();
    QTest::newRow("Linux by USB ids")
        << QList<CSerialCandidate>{linuxPort("/dev/ttyUSB0", 0x0403, 0x6001),
                                   linuxPort("/dev/ttyACM0", 0x03EB, 0x6124),
                                   linuxPortWithoutIds("/dev/ttyS0")}
        << "/dev/ttyACM0";
    QTest::newRow("Linux: the last of two")
        << QList<CSerialCandidate>{linuxPort("/dev/ttyACM0", 0x03EB, 0x6124),
                                   linuxPort("/dev/ttyACM1", 0x03EB, 0x6124)}
        << "/dev/ttyACM1";
    QTest::newRow("Linux: another product of the vendor")
        << QList<CSerialCandidate>{linuxPort("/dev/ttyACM0", 0x03EB, 0x2FF4)} << QString();
    QTest::newRow("a port without ids is never taken")
        << QList<CSerialCandidate>{linuxPortWithoutIds("/dev/ttyS0")} << QString();
}

void TestUsbPortFinder::choosesThePort() {
    QFETCH(QList<CSerialCandidate>, candidates);
    QFETCH(QString, chosen);

    QCOMPARE(CUsbPortFinder::choosePort(candidates, CUsbPortFinder::kGatewayProductId), chosen);
}

QTEST_GUILESS_MAIN(TestUsbPortFinder)
#include "TestUsbPortFinder.moc"
