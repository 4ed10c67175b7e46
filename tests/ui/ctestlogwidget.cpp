#include "ctestlogwidget.h"

#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTextStream>
#include <QVBoxLayout>

namespace {

QPlainTextEdit *makeView(const QString &name, QWidget *parent)
{
    auto *view = new QPlainTextEdit(parent);
    view->setObjectName(name);
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    return view;
}

} // namespace

cTestLogWidget::cTestLogWidget(QWidget *parent)
    : QWidget(parent)
    , m_tabs(new QTabWidget(this))
    , m_stat(makeView(QStringLiteral("statLog"), m_tabs))
    , m_short(makeView(QStringLiteral("shortTextEdit"), m_tabs))
    , m_long(makeView(QStringLiteral("longTextEdit"), m_tabs))
    , m_save(new QPushButton(this))
    , m_close(new QPushButton(this))
{
    setObjectName(QStringLiteral("cTestLogWidget"));
    m_tabs->setObjectName(QStringLiteral("tabWidget"));
    m_save->setObjectName(QStringLiteral("saveBtn"));
    m_close->setObjectName(QStringLiteral("closeBtn"));
    m_tabs->addTab(m_stat, QString());
    m_tabs->addTab(m_short, QString());
    m_tabs->addTab(m_long, QString());

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);

    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    connect(m_save, &QPushButton::clicked, this, &cTestLogWidget::saveCurrentLog);
    retranslate();
    resize(640, 480);
}

void cTestLogWidget::retranslate()
{
    setWindowTitle(tr("Test results"));
    m_tabs->setTabText(0, tr("Short log"));
    m_tabs->setTabText(1, tr("Detailed log"));
    m_tabs->setTabText(2, tr("Extra log"));
    m_save->setText(tr("Save"));
    m_close->setText(tr("Close"));
}

void cTestLogWidget::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QWidget::changeEvent(event);
}

void cTestLogWidget::setStatisticsText(const QString &text)
{
    m_stat->setPlainText(text);
}

void cTestLogWidget::setResultsText(const QString &text)
{
    m_short->setPlainText(text);
}

void cTestLogWidget::setLogText(const QString &text)
{
    m_long->setPlainText(text);
}

void cTestLogWidget::selectFirstTab()
{
    m_tabs->setCurrentIndex(0);
}

QString cTestLogWidget::currentText() const
{
    switch (m_tabs->currentIndex()) {
    case 0: return m_stat->toPlainText();
    case 1: return m_short->toPlainText();
    case 2: return m_long->toPlainText();
    default: return QString();
    }
}

bool cTestLogWidget::saveTo(const QString &path, bool junit, QString *error) const
{
    QByteArray bytes;
    if (junit) {
        if (!m_junit || !m_junit(&bytes, error)) {
            if (error && error->isEmpty())
                *error = tr("There is no test run to report.");
            return false;
        }
    } else {
        QString text = currentText();
        QTextStream stream(&bytes);
        stream << text;
        stream.flush();
    }
    // Written aside and renamed, so that a failed save leaves an older report whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text) || file.write(bytes) != bytes.size()
        || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

void cTestLogWidget::saveCurrentLog()
{
    if (currentText().isEmpty())
        return;
    const QString textFilter = tr("Text files (*.txt *.log)");
    const QString junitFilter = tr("JUnit XML of the current run (*.xml)");
    QString chosen;
    const QString path = QFileDialog::getSaveFileName(this, tr("File name"), QString(),
                                                      m_junit ? textFilter + QStringLiteral(";;") + junitFilter
                                                              : QString(),
                                                      &chosen);
    if (path.isEmpty())
        return;
    QString error;
    if (!saveTo(path, m_junit && chosen == junitFilter, &error))
        QMessageBox::warning(this, tr("Test results"), tr("Cannot write '%1': %2").arg(path, error));
}
