#pragma once
// A sysfs tree as the kernel lays it out, in a temporary folder: USB devices with their
// identity attributes, listed on the USB bus, and their usb-serial ports, each under its
// USB interface, linked from the usb-serial bus.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zet::test {

class FakeSysfs {
public:
    bool isValid() const { return dir_.isValid(); }
    QString path() const { return dir_.path(); }
    QDir root() const { return QDir(dir_.path()); }

    // usb: the device's name ("1-2"); attributes: "name=value"; ports: "1-2:1.0/ttyUSB0".
    void device(const QString &usb, const QStringList &attributes, const QStringList &ports)
    {
        const QDir root = this->root();
        const QString dir = "devices/pci0000:00/usb1/" + usb;
        root.mkpath(dir);
        root.mkpath("bus/usb/devices");
        ASSERT_TRUE(QFile::link(root.filePath(dir), root.filePath("bus/usb/devices/" + usb)));
        for (const QString &a : attributes)
            write(dir + "/" + a.section('=', 0, 0), a.section('=', 1));
        for (const QString &port : ports) {
            const QString path = dir + "/" + port;
            root.mkpath(path);
            root.mkpath("bus/usb-serial/devices");
            ASSERT_TRUE(QFile::link(root.filePath(path), root.filePath("bus/usb-serial/devices/" +
                                                                       port.section('/', 1))));
        }
    }

    // A one-line file under the tree, its folders made as needed.
    void write(const QString &relative, const QString &line) const
    {
        root().mkpath(QFileInfo(root().filePath(relative)).path());
        QFile f(root().filePath(relative));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(line.toUtf8() + "\n");
    }

private:
    QTemporaryDir dir_;
};

} // namespace zet::test
