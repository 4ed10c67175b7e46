#pragma once

#include <QDateTime>
#include <QMainWindow>
#include <QStringList>

class QAction;
class QCompleter;
class QDockWidget;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QTabWidget;
class QTimer;
class QToolButton;
class cDataReader;
class cPortSelector;
class cStatWidget;
class cStatWidgetEx;
class cStatWidgetEx2;
class cTextLogParser;

/**
 * The device log monitor: picks the unit's port, starts and stops reading its log, shows it
 * filtered by keywords, keeps a keyword list and a command history, sends commands to the
 * unit's command line, saves the view and shows the parsed values on three statistics tabs.
 */
class cLogMainWindow : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cLogMainWindow)

public:
    explicit cLogMainWindow(QWidget *parent);
    ~cLogMainWindow() override;

    /** The view shows at most this many lines; older ones drop off the top. */
    static constexpr int kMaxViewLines = 10000;
    /** Longer lines are cut in the view (the device log keeps them whole). */
    static constexpr int kMaxViewLineLength = 16384;
    /** Characters appended to the view at most per batch (about 25 ms of its work). */
    static constexpr int kMaxBatchChars = 256 * 1024;
    /** How often the parser hands lines and values to the window. */
    static constexpr int kBatchIntervalMs = 40;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void initSlot();
    void deinitSlot();
    void readingStarted();
    void readingFinished();
    void wordListShowHideSlot();
    void wordListItemChanged(QListWidgetItem *item);
    void commandLineShowHideSlot();
    void newKeyWord();
    void itemDoubleClicked(QListWidgetItem *item);
    void clearLog();
    void saveLog();
    void selectorHasContent(bool flag);
    void makeCliCommand();

private:
    void buildLogTab();
    void buildKeywordDock();
    void buildToolBar();
    void buildPopup();
    void restoreSettings();
    void rebuildCompleter();
    void rebuildFilterText();
    void loadKeywords();
    void saveKeywords();
    void appendLines(const QStringList &lines, int skipped);
    void updateStatus();
    QString displayLine(const QString &line) const;

    cPortSelector *m_selector = nullptr;
    cDataReader *m_reader = nullptr;
    cTextLogParser *m_parser = nullptr;
    cStatWidget *m_stat = nullptr;
    cStatWidgetEx *m_statEx = nullptr;
    cStatWidgetEx2 *m_statEx2 = nullptr;
    QTabWidget *m_tabs = nullptr;
    QPlainTextEdit *m_view = nullptr;
    QLineEdit *m_commandLine = nullptr;
    QLineEdit *m_filter = nullptr;
    QToolButton *m_keywordsButton = nullptr;
    QToolButton *m_commandLineButton = nullptr;
    QToolButton *m_timeStampButton = nullptr;
    QDockWidget *m_keywordDock = nullptr;
    QLineEdit *m_newKeyword = nullptr;
    QListWidget *m_keywordList = nullptr;
    QFrame *m_popup = nullptr;
    QAction *m_connect = nullptr;
    QAction *m_disconnect = nullptr;
    QAction *m_clear = nullptr;
    QAction *m_save = nullptr;
    QLabel *m_status = nullptr;
    QTimer *m_statusTimer = nullptr;
    QCompleter *m_completer = nullptr;
    QStringList m_history;
    int m_historyPos = -1;
    bool m_keywordFileBroken = false;
    quint64 m_linesShown = 0;
    quint64 m_linesSkipped = 0;
};
