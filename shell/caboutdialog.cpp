#include "caboutdialog.h"

#include "ui_caboutdialog.h"

#include "platform/appenv/resourcefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>

#include <lua.h>

namespace {
// The date of the release this version line stands for, not of the build.
const QString releaseDate = QStringLiteral("Jan 22 2018");
} // namespace

cAboutDialog::cAboutDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::cAboutDialog>())
{
    m_ui->setupUi(this);
    m_ui->programNameLabel->setText(QCoreApplication::applicationName());
    m_ui->icon->setPixmap(QPixmap(resourceFile(QStringLiteral("about.png"))));
    m_ui->startedFrom->setText(
        m_ui->startedFrom->text().arg(QDir::toNativeSeparators(QCoreApplication::applicationDirPath())));
    m_ui->qtVer->setText(m_ui->qtVer->text().arg(QString::fromLatin1(qVersion())));
    m_ui->luaVer->setText(m_ui->luaVer->text().arg(QString::fromLatin1(LUA_RELEASE)));
    m_ui->archLabel->setText(QString());
}

cAboutDialog::~cAboutDialog() = default;

void cAboutDialog::setVersion(const sVersion &version)
{
    const QString current = m_ui->version->text();
    if (!current.contains(QLatin1String("%1")))
        return;
    const QString number = tr("%1.%2.%3.%4%6 from %5")
                               .arg(QString::number(version.major), QString::number(version.minor),
                                    QString::number(version.build), QString::number(version.revision),
                                    releaseDate, QString());
    m_ui->version->setText(current.arg(number));
}

void cAboutDialog::setDescription(const QString &text)
{
    m_ui->descLabel->setText(text);
}
