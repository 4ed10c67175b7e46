#pragma once

#include "platform/port/siodevice.h"

#include <QMainWindow>

class cPortSelector;
class cProgressIndicator;
class cTestDelegate;
class cTestModel;
class cTestProxy;
class cTestView;
class iTestRunner;
class QAction;
class QLabel;
class QSpinBox;

/**
 * The test workbench window: picks the unit's port, connects and disconnects through the
 * test runner it owns, and shows the tests of the connected unit with their actions.
 */
class cTestMainWindow : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cTestMainWindow)

public:
    enum eStatusKind : int { StatusPlain = 0, StatusError = 1, StatusSuccess = 2 };

    /** runner: null makes the real test runner; a given one is not owned (for tests). */
    cTestMainWindow(QWidget *parent, bool standalone, iTestRunner *runner = nullptr);
    ~cTestMainWindow() override;

    cTestView *view() const { return m_view; }
    cTestModel *model() const { return m_model; }
    iTestRunner *runner() const { return m_runner; }
    cPortSelector *portSelector() const { return m_selector; }
    QSpinBox *repeatCounter() const { return m_counter; }
    cProgressIndicator *progressIndicator() const { return m_progress; }
    QWidget *statusPopup() const { return m_popup; }
    QAction *connectAction() const { return m_connect; }
    QAction *disconnectAction() const { return m_disconnect; }
    /** The unit of the last connection. */
    sIODevice device() const { return m_device; }

    void showStatus(const QString &status, const QString &detail, int kind);

public slots:
    void initSlot();
    void deinitSlot();
    void voiceSlot();
    void rebootSlot();
    void initFinished(int code);
    void deinitFinished(int code);
    void startProcess();
    void stopProcess();
    void selectorHasContent(bool flag);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeIndicator();
    void centrePopup();
    void writeToUnit(const QByteArray &second, const QString &what);
    QByteArray junitReport(QString *error) const;

    cProgressIndicator *m_progress;
    QWidget *m_popup;
    QLabel *m_popupStatus;
    QLabel *m_popupDetail;
    QAction *m_connect;
    QAction *m_disconnect;
    QAction *m_voice;
    QAction *m_reboot;
    cPortSelector *m_selector;
    const bool m_standalone;
    iTestRunner *m_runner;
    bool m_ownsRunner;
    sIODevice m_device;
    cTestView *m_view;
    cTestDelegate *m_delegate;
    cTestModel *m_model;
    cTestProxy *m_proxy;
    QSpinBox *m_counter;
};
