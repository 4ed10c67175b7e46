#pragma once

#include <QWidget>

#include <functional>

class QPlainTextEdit;
class QPushButton;
class QTabWidget;

/** The results window: statistics, result lines and the log of the last runs, each savable. */
class cTestLogWidget : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cTestLogWidget)

public:
    /** The current run as a JUnit report: true with the XML, false with a reason. */
    using tJUnitSource = std::function<bool(QByteArray *xml, QString *error)>;

    explicit cTestLogWidget(QWidget *parent = nullptr);

    void setStatisticsText(const QString &text);
    void setResultsText(const QString &text);
    void setLogText(const QString &text);
    void selectFirstTab();
    /** Offers "JUnit XML" in the save dialog; without a source only text is saved. */
    void setJUnitSource(tJUnitSource source) { m_junit = std::move(source); }

    /** The text of the current tab; empty for an unknown tab. */
    QString currentText() const;
    /** Writes the current tab's text (or the JUnit report) to the file; false with a reason. */
    bool saveTo(const QString &path, bool junit, QString *error) const;

public slots:
    void saveCurrentLog();

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslate();

    QTabWidget *m_tabs;
    QPlainTextEdit *m_stat;
    QPlainTextEdit *m_short;
    QPlainTextEdit *m_long;
    QPushButton *m_save;
    QPushButton *m_close;
    tJUnitSource m_junit;
};
