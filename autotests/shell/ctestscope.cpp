#include "ctestscope.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

cTestScope::cTestScope()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    QCoreApplication::setOrganizationName(QStringLiteral("ZOVAN-autotest"));
    QCoreApplication::setApplicationName(QStringLiteral("ZOVAN Tools"));
    m_previousRoot = qgetenv("ZOVAN_APP_ROOT");
}

cTestScope::~cTestScope()
{
    qputenv("ZOVAN_APP_ROOT", m_previousRoot);
}

void cTestScope::clearSettings() const
{
    QSettings settings;
    settings.clear();
    settings.sync();
}

void cTestScope::writeSettingsFile(const QByteArray &content) const
{
    QFile file(QSettings().fileName());
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

QString cTestScope::makeAppRoot(bool withRes, const QStringList &languages)
{
    const QString root = m_roots.filePath(QString::number(++m_rootCount));
    QDir().mkpath(root + QStringLiteral("/bin"));
    QDir().mkpath(root + QStringLiteral("/translations"));
    if (withRes)
        QDir().mkpath(root + QStringLiteral("/res"));
    for (const QString &code : languages) {
        QFile qm(root + QStringLiteral("/translations/zovan_") + code + QStringLiteral(".qm"));
        if (qm.open(QIODevice::WriteOnly))
            qm.write("not a real catalogue");
    }
    qputenv("ZOVAN_APP_ROOT", QFile::encodeName(root));
    return root;
}

bool cTestScope::writePicture(const QString &root, const QString &name, const QColor &color)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(color);
    return image.save(root + QStringLiteral("/res/") + name, "PNG");
}

void cTestScope::closeNextModal(const std::function<void(QWidget *)> &inspect, bool *seen, int boundMs)
{
    *seen = false;
    auto poll = new QTimer(QCoreApplication::instance());
    const QDeadlineTimer deadline(boundMs);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, inspect, seen, deadline] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            *seen = true;
            if (inspect)
                inspect(modal);
            if (auto dialog = qobject_cast<QDialog *>(modal))
                dialog->done(QDialog::Accepted);
            else
                modal->close();
            poll->deleteLater();
        } else if (deadline.hasExpired()) {
            poll->deleteLater();
        }
    });
    poll->start(20);
}
