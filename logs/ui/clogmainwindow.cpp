#include "logs/ui/clogmainwindow.h"

#include "logs/core/cdatareader.h"
#include "logs/core/cdatawriter.h"
#include "logs/core/ckeywordfile.h"
#include "logs/core/clogpaths.h"
#include "logs/core/ctextlogparser.h"
#include "logs/ui/cstatwidget.h"
#include "logs/ui/cstatwidgetex.h"
#include "logs/ui/cstatwidgetex2.h"
#include "platform/appenv/resourcefile.h"
#include "platform/logging/logs.h"
#include "platform/port/widgets/cportselector.h"

#include <QAction>
#include <QCompleter>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kLevelWarning = 2;
constexpr int kLevelDebug = 4;
constexpr int kStatusIntervalMs = 500;

void logMessage(const QString &text, int level = kLevelDebug)
{
    logs::add(text, level);
}

QIcon icon(const char *name)
{
    return QIcon(resourceFile(QLatin1String(name)));
}

} // namespace

cLogMainWindow::cLogMainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("cLogMainWindow"));
    // The log engine must belong to the GUI thread, not to whichever worker logs first.
    logs::get();
    setWindowIcon(icon("pda.ico"));
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("logTabs"));
    setCentralWidget(m_tabs);
    buildLogTab();
    m_commandLine->installEventFilter(this);
    buildKeywordDock();

    m_stat = new cStatWidget(m_tabs);
    m_statEx = new cStatWidgetEx(m_tabs);
    m_statEx2 = new cStatWidgetEx2(m_tabs);
    m_tabs->addTab(m_stat, tr("State"));
    m_tabs->addTab(m_statEx, tr("Extended"));
    m_tabs->addTab(m_statEx2, tr("External CANLog"));

    m_reader = new cDataReader(this);
    m_parser = new cTextLogParser(m_reader, this);
    // The view takes lines in batches; one append per line cannot keep up with a fast unit.
    m_parser->setBatchInterval(kBatchIntervalMs);
    connect(m_reader, &QThread::started, this, &cLogMainWindow::readingStarted);
    connect(m_reader, &QThread::finished, this, &cLogMainWindow::readingFinished);
    connect(m_parser, &cTextLogParser::linesReady, this, [this] {
        int skipped = 0;
        const QStringList lines = m_parser->takeShownLines(&skipped);
        appendLines(lines, skipped);
    });
    connect(m_parser, &cTextLogParser::nav, m_stat, &cStatWidget::nav);
    connect(m_parser, &cTextLogParser::gsm, m_stat, &cStatWidget::gsm);
    connect(m_parser, &cTextLogParser::canLog, m_stat, &cStatWidget::canLog);
    connect(m_parser, &cTextLogParser::ain, m_stat, &cStatWidget::ain);
    connect(m_parser, &cTextLogParser::din, m_stat, &cStatWidget::din);
    connect(m_parser, &cTextLogParser::fuel, m_stat, &cStatWidget::fuel);
    connect(m_parser, &cTextLogParser::canain, m_stat, &cStatWidget::canain);
    connect(m_parser, &cTextLogParser::candin, m_stat, &cStatWidget::candin);
    connect(m_parser, &cTextLogParser::canfuel, m_stat, &cStatWidget::canfuel);
    connect(m_parser, &cTextLogParser::vin, m_stat, &cStatWidget::vin);
    connect(m_parser, &cTextLogParser::extvin, m_stat, &cStatWidget::extvin);
    connect(m_parser, &cTextLogParser::vscap, m_stat, &cStatWidget::vscap);
    connect(m_parser, &cTextLogParser::counter, m_stat, &cStatWidget::counter);
    connect(m_parser, &cTextLogParser::fmeter, m_stat, &cStatWidget::fmeter);
    connect(m_parser, &cTextLogParser::cancounter, m_stat, &cStatWidget::cancounter);
    connect(m_parser, &cTextLogParser::stor, m_statEx, &cStatWidgetEx::stor);
    connect(m_parser, &cTextLogParser::tracker, m_statEx, &cStatWidgetEx::tracker);
    connect(m_parser, &cTextLogParser::sos, m_statEx, &cStatWidgetEx::sos);
    connect(m_parser, &cTextLogParser::callreq, m_statEx, &cStatWidgetEx::callreq);
    connect(m_parser, &cTextLogParser::cpu, m_statEx, &cStatWidgetEx::cpu);
    connect(m_parser, &cTextLogParser::mem, m_statEx, &cStatWidgetEx::mem);
    connect(m_parser, &cTextLogParser::canlogext, m_statEx2, &cStatWidgetEx2::canlogext);

    buildToolBar();
    buildPopup();
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("receivedLabel"));
    statusBar()->addPermanentWidget(m_status);
    m_statusTimer = new QTimer(this);
    m_statusTimer->setInterval(kStatusIntervalMs);
    connect(m_statusTimer, &QTimer::timeout, this, &cLogMainWindow::updateStatus);
    updateStatus();
    restoreSettings();
    rebuildCompleter();
}

cLogMainWindow::~cLogMainWindow()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("LogWindow"));
    settings.setValue(QStringLiteral("FilterString"), m_filter->text());
    settings.setValue(QStringLiteral("CurrentTab"), m_tabs->currentIndex());
    settings.setValue(QStringLiteral("CliVisible"), !m_commandLine->isHidden());
    settings.setValue(QStringLiteral("CliAutocomplete"), m_history);
    settings.setValue(QStringLiteral("TimeStamps"), m_timeStampButton->isChecked());
    settings.endGroup();
    settings.sync();
    // The workers belong to this window; stop them before the widgets they feed go. The reader
    // first, so that the parser can still hand its last lines to the device log.
    m_reader->stopReading();
    m_parser->disconnect(this);
    delete m_parser;
    m_parser = nullptr;
    delete m_reader;
    m_reader = nullptr;
}

void cLogMainWindow::buildLogTab()
{
    auto page = new QWidget(m_tabs);
    auto layout = new QVBoxLayout(page);
    m_view = new QPlainTextEdit(page);
    m_view->setObjectName(QStringLiteral("logView"));
    m_view->setReadOnly(true);
    m_view->setMaximumBlockCount(kMaxViewLines);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setUndoRedoEnabled(false);
    QFont mono(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    m_view->setFont(mono);
    layout->addWidget(m_view, 1);

    m_commandLine = new QLineEdit(page);
    m_commandLine->setObjectName(QStringLiteral("commandLine"));
    m_commandLine->setPlaceholderText(tr("> Input CLI command here"));
    m_commandLine->hide();
    connect(m_commandLine, &QLineEdit::returnPressed, this, &cLogMainWindow::makeCliCommand);
    layout->addWidget(m_commandLine);

    auto row = new QHBoxLayout;
    m_filter = new QLineEdit(page);
    m_filter->setObjectName(QStringLiteral("filterField"));
    m_filter->setToolTip(tr("Keywords, separated by commas; only lines that contain one are shown"));
    row->addWidget(m_filter, 1);
    m_timeStampButton = new QToolButton(page);
    m_timeStampButton->setObjectName(QStringLiteral("timeStampButton"));
    m_timeStampButton->setText(tr("Time"));
    m_timeStampButton->setToolTip(tr("Show the receive time in front of each line"));
    m_timeStampButton->setCheckable(true);
    row->addWidget(m_timeStampButton);
    m_keywordsButton = new QToolButton(page);
    m_keywordsButton->setObjectName(QStringLiteral("keywordsButton"));
    m_keywordsButton->setIcon(icon("note.ico"));
    m_keywordsButton->setToolTip(tr("Show keywords"));
    m_keywordsButton->setText(tr("Keywords"));
    m_keywordsButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(m_keywordsButton, &QToolButton::clicked, this, &cLogMainWindow::wordListShowHideSlot);
    row->addWidget(m_keywordsButton);
    m_commandLineButton = new QToolButton(page);
    m_commandLineButton->setObjectName(QStringLiteral("commandLineButton"));
    m_commandLineButton->setIcon(icon("cmd.ico"));
    m_commandLineButton->setToolTip(tr("Show command line"));
    m_commandLineButton->setText(tr("CLI"));
    m_commandLineButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(m_commandLineButton, &QToolButton::clicked, this, &cLogMainWindow::commandLineShowHideSlot);
    row->addWidget(m_commandLineButton);
    layout->addLayout(row);
    m_tabs->addTab(page, tr("Logs"));
}

void cLogMainWindow::buildKeywordDock()
{
    m_keywordDock = new QDockWidget(tr("Keywords"), this);
    m_keywordDock->setObjectName(QStringLiteral("keywordsDock"));
    auto body = new QWidget(m_keywordDock);
    auto layout = new QVBoxLayout(body);
    m_newKeyword = new QLineEdit(body);
    m_newKeyword->setObjectName(QStringLiteral("newKeywordField"));
    m_newKeyword->setPlaceholderText(tr("New keyword"));
    connect(m_newKeyword, &QLineEdit::returnPressed, this, &cLogMainWindow::newKeyWord);
    layout->addWidget(m_newKeyword);
    m_keywordList = new QListWidget(body);
    m_keywordList->setObjectName(QStringLiteral("keywordList"));
    layout->addWidget(m_keywordList);
    m_keywordDock->setWidget(body);
    addDockWidget(Qt::RightDockWidgetArea, m_keywordDock);
    m_keywordDock->hide();
    connect(m_keywordList, &QListWidget::itemDoubleClicked, this, &cLogMainWindow::itemDoubleClicked);
    loadKeywords();
    // Connected after loading, so that loading the list does not rewrite the filter.
    connect(m_keywordList, &QListWidget::itemChanged, this, &cLogMainWindow::wordListItemChanged);
}

void cLogMainWindow::buildToolBar()
{
    auto bar = addToolBar(tr("Operations"));
    bar->setObjectName(QStringLiteral("operationsToolBar"));
    bar->setIconSize(QSize(32, 32));
    m_selector = new cPortSelector(bar, QStringList());
    m_selector->setMode(1);
    m_selector->setIconSize(QSize(32, 32));
    // Leave room for the actions beside it in a narrow window.
    m_selector->setMaximumWidth(360);
    bar->addWidget(m_selector);
    connect(m_selector, &cPortSelector::hasContent, this, &cLogMainWindow::selectorHasContent);
    m_connect = bar->addAction(icon("connect2.ico"), tr("Connect to device"), this, &cLogMainWindow::initSlot);
    m_connect->setObjectName(QStringLiteral("connectAction"));
    m_connect->setEnabled(!m_selector->devices().isEmpty());
    // Offer the units from the start, not only after the first disconnect.
    m_selector->startScan();
    m_disconnect = bar->addAction(icon("close.ico"), tr("Disconnect from device"), this, &cLogMainWindow::deinitSlot);
    m_disconnect->setObjectName(QStringLiteral("disconnectAction"));
    m_disconnect->setEnabled(false);
    m_clear = bar->addAction(icon("clear.ico"), tr("Clear log"), this, &cLogMainWindow::clearLog);
    m_clear->setObjectName(QStringLiteral("clearAction"));
    m_save = bar->addAction(icon("save.ico"), tr("Save log"), this, &cLogMainWindow::saveLog);
    m_save->setObjectName(QStringLiteral("saveAction"));
}

void cLogMainWindow::buildPopup()
{
    // A notice panel kept for messages about the unit; nothing fills it yet.
    m_popup = new QFrame(this);
    m_popup->setObjectName(QStringLiteral("popupPanel"));
    m_popup->setFrameShape(QFrame::StyledPanel);
    auto layout = new QHBoxLayout(m_popup);
    auto picture = new QLabel(m_popup);
    picture->setPixmap(QIcon(resourceFile(QStringLiteral("note.ico"))).pixmap(32, 32));
    layout->addWidget(picture);
    auto text = new QLabel(m_popup);
    text->setWordWrap(true);
    layout->addWidget(text, 1);
    auto close = new QPushButton(tr("Close"), m_popup);
    connect(close, &QPushButton::clicked, m_popup, &QWidget::hide);
    layout->addWidget(close);
    m_popup->hide();
}

void cLogMainWindow::restoreSettings()
{
    QSettings settings;
    settings.beginGroup(QStringLiteral("LogWindow"));
    m_filter->setText(settings.value(QStringLiteral("FilterString"), QStringLiteral("*")).toString());
    m_tabs->setCurrentIndex(settings.value(QStringLiteral("CurrentTab"), 0).toInt());
    m_commandLine->setVisible(settings.value(QStringLiteral("CliVisible"), false).toBool());
    m_history = settings.value(QStringLiteral("CliAutocomplete")).toStringList();
    m_history.removeDuplicates();
    m_timeStampButton->setChecked(settings.value(QStringLiteral("TimeStamps"), false).toBool());
    settings.endGroup();
}

void cLogMainWindow::rebuildCompleter()
{
    if (m_completer) {
        m_commandLine->setCompleter(nullptr);
        m_completer->deleteLater();
    }
    m_completer = new QCompleter(m_history, this);
    m_commandLine->setCompleter(m_completer);
}

void cLogMainWindow::initSlot()
{
    logMessage(tr("Log read requested"));
    clearLog();
    m_reader->startReading(m_selector->currentDevice());
    if (m_filter->text().isEmpty())
        m_filter->setText(QStringLiteral("*"));
    m_parser->startParsing(m_filter->text());
    m_selector->stopScan();
}

void cLogMainWindow::deinitSlot()
{
    logMessage(tr("Log stop requested"));
    m_reader->stopReading();
    m_parser->stopParsing();
    m_selector->startScan();
}

void cLogMainWindow::readingStarted()
{
    m_connect->setEnabled(false);
    m_disconnect->setEnabled(true);
    m_filter->setEnabled(false);
    m_save->setEnabled(false);
    m_statusTimer->start();
}

void cLogMainWindow::readingFinished()
{
    m_connect->setEnabled(true);
    m_disconnect->setEnabled(false);
    m_filter->setEnabled(true);
    m_save->setEnabled(true);
    m_statusTimer->stop();
    updateStatus();
}

void cLogMainWindow::selectorHasContent(bool flag)
{
    m_connect->setEnabled(flag);
}

void cLogMainWindow::clearLog()
{
    logMessage(tr("Log clear requested"));
    m_view->clear();
    m_linesShown = 0;
    m_linesSkipped = 0;
    m_stat->clearData();
    m_statEx->clearData();
}

void cLogMainWindow::saveLog()
{
    logMessage(tr("Log save requested"));
    const QString text = m_view->toPlainText();
    if (text.isEmpty())
        return;
    const QString fileName = QFileDialog::getSaveFileName(this, tr("File name"));
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        logMessage(tr("The log could not be saved to %1: %2").arg(fileName, file.errorString()), kLevelWarning);
        return;
    }
    QTextStream stream(&file);
    stream << text;
}

void cLogMainWindow::commandLineShowHideSlot()
{
    const bool visible = !m_commandLine->isHidden();
    m_reader->addCommand(visible ? QStringLiteral("exit") : QStringLiteral("cli"));
    m_commandLine->setVisible(!visible);
    if (!visible) {
        m_view->verticalScrollBar()->setValue(m_view->verticalScrollBar()->maximum());
        m_commandLine->setFocus();
    }
}

void cLogMainWindow::makeCliCommand()
{
    const QString command = m_commandLine->text().trimmed();
    logMessage(tr("Trying to send command: %1").arg(command));
    m_reader->addCommand(command);
    if (!command.isEmpty() && !m_history.contains(command))
        m_history.append(command);
    rebuildCompleter();
    m_commandLine->clear();
    m_historyPos = -1;
}

bool cLogMainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_commandLine || event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key == Qt::Key_Down) {
        if (++m_historyPos < m_history.size()) {
            m_commandLine->setText(m_history.at(m_historyPos));
            m_commandLine->selectAll();
            return true;
        }
        m_historyPos = int(m_history.size()) - 1;
    } else if (key == Qt::Key_Up) {
        if (--m_historyPos > -1) {
            m_commandLine->setText(m_history.at(m_historyPos));
            m_commandLine->selectAll();
            return true;
        }
        m_historyPos = -1;
    }
    return QMainWindow::eventFilter(watched, event);
}

void cLogMainWindow::wordListShowHideSlot()
{
    m_keywordDock->setVisible(m_keywordDock->isHidden());
}

void cLogMainWindow::wordListItemChanged(QListWidgetItem *)
{
    rebuildFilterText();
}

void cLogMainWindow::newKeyWord()
{
    const QString text = m_newKeyword->text();
    if (text.isEmpty())
        return;
    auto item = new QListWidgetItem(text);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    {
        const QSignalBlocker block(m_keywordList);
        item->setCheckState(Qt::Checked);
        m_keywordList->addItem(item);
    }
    saveKeywords();
    m_newKeyword->clear();
    rebuildFilterText();
}

void cLogMainWindow::itemDoubleClicked(QListWidgetItem *item)
{
    m_keywordList->takeItem(m_keywordList->row(item));
    saveKeywords();
    rebuildFilterText();
    delete item;
}

void cLogMainWindow::rebuildFilterText()
{
    QStringList checked;
    for (int i = 0; i < m_keywordList->count(); ++i) {
        if (m_keywordList->item(i)->checkState() == Qt::Checked)
            checked << m_keywordList->item(i)->text();
    }
    m_filter->setText(checked.isEmpty() ? QStringLiteral("*") : checked.join(QStringLiteral(", ")));
}

void cLogMainWindow::loadKeywords()
{
    m_keywordList->clear();
    QString error;
    const QStringList keywords = cKeywordFile::load(logpaths::keywordFileForReading(), &error);
    m_keywordFileBroken = !error.isEmpty();
    if (m_keywordFileBroken)
        logMessage(tr("The keyword list could not be read: %1").arg(error), kLevelWarning);
    for (const QString &k : keywords) {
        auto item = new QListWidgetItem(k, m_keywordList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void cLogMainWindow::saveKeywords()
{
    const QString fileName = logpaths::keywordFileForWriting();
    // A list that could not be read is kept aside, not overwritten: it may still be mended by hand.
    if (m_keywordFileBroken && QFile::exists(fileName)) {
        const QString aside = fileName + QStringLiteral(".broken");
        QFile::remove(aside);
        QFile::rename(fileName, aside);
        logMessage(tr("The unreadable keyword list was kept as %1").arg(aside), kLevelWarning);
    }
    m_keywordFileBroken = false;
    QStringList keywords;
    for (int i = 0; i < m_keywordList->count(); ++i)
        keywords << m_keywordList->item(i)->text();
    QString error;
    if (!cKeywordFile::save(fileName, keywords, &error))
        logMessage(tr("The keyword list could not be saved: %1").arg(error), kLevelWarning);
}

QString cLogMainWindow::displayLine(const QString &line) const
{
    QString shown = line;
    // The unit's bytes arrive as Latin-1; text that is valid UTF-8 is shown as such.
    bool wide = false;
    for (const QChar c : line) {
        if (c.unicode() >= 0x80) {
            wide = true;
            break;
        }
    }
    if (wide) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = utf8.decode(line.toLatin1());
        if (!utf8.hasError())
            shown = decoded;
    }
    if (shown.size() > kMaxViewLineLength) {
        const qsizetype rest = shown.size() - kMaxViewLineLength;
        shown.truncate(kMaxViewLineLength);
        shown += tr(" [... %1 more characters in the device log]").arg(rest);
    }
    shown.replace(QChar(0), QChar(0x2400));
    return shown;
}

void cLogMainWindow::appendLines(const QStringList &lines, int skipped)
{
    const QString stamp = m_timeStampButton->isChecked()
                              ? QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) : QString();
    // A batch of very long lines would stall the window: keep the newest that fit the budget.
    qsizetype first = lines.size();
    qsizetype budget = kMaxBatchChars;
    while (first > 0 && budget > 0)
        budget -= std::min<qsizetype>(lines.at(--first).size(), kMaxViewLineLength) + 1;
    if (budget < 0 && first < lines.size() - 1)
        ++first;
    skipped += int(first);
    QString text;
    // More lines came than a view can take in: say so where they are missing.
    if (skipped > 0) {
        m_linesSkipped += quint64(skipped);
        text += tr("[... %1 lines not shown here; the device log has them]").arg(skipped);
    }
    for (qsizetype i = first; i < lines.size(); ++i) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += stamp;
        text += displayLine(lines.at(i));
    }
    QScrollBar *bar = m_view->verticalScrollBar();
    // Follow the end only while the operator has not scrolled away from it.
    const bool follow = bar->value() >= bar->maximum();
    const int kept = bar->value();
    m_view->appendPlainText(text);
    bar->setValue(follow ? bar->maximum() : std::min(kept, bar->maximum()));
    m_linesShown += quint64(lines.size() - first);
    m_parser->batchShown();
}

void cLogMainWindow::updateStatus()
{
    const quint64 lines = m_parser ? m_parser->linesTaken() : 0;
    const quint64 bytes = m_reader ? m_reader->bytesReceived() : 0;
    QString text = tr("Received: %1 lines, %2 bytes").arg(lines).arg(bytes);
    if (m_linesSkipped > 0)
        text += tr(" (%1 lines only in the device log)").arg(m_linesSkipped);
    m_status->setText(text);
}
