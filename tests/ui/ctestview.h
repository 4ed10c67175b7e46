#pragma once

#include <QList>
#include <QTreeView>

class cTestHandle;
class cTestLogWidget;
class iTestRunner;
class QAction;
class QLabel;
class QPushButton;

/**
 * The tests page's tree: shows the test model through its proxy, owns the six test actions
 * and turns them into runner requests, answers the scripts' questions and opens the results.
 */
class cTestView : public QTreeView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cTestView)

public:
    enum eAction : int { RunCurrent, RunChecked, RunAll, StopCurrent, StopAll, SaveResult, ActionCount };

    cTestView(iTestRunner *runner, QWidget *parent);
    ~cTestView() override;

    QAction *action(eAction which) const { return m_actions.at(which); }
    /** "Run checked tests", "Stop all tests" and "Save result", for the window's tool bar. */
    QList<QAction *> toolBarActions() const;
    int repeatCounter() const { return m_repeat; }
    int checkedCounter() const { return m_checked; }
    cTestLogWidget *logWidget() const { return m_logWidget; }
    QWidget *errorBanner() const { return m_banner; }

public slots:
    void checked(bool on);
    void cleared();
    void runAll();
    void switchCheckState();
    void setRepeatCounter(int count);
    void setErrorVisible(bool visible);
    void runTest(const QModelIndex &index);
    void runSingle();
    void runSelected();
    void stopSingle();
    void stopAll();
    void saveTable();
    void askUser(const QString &testName, const QString &question, const QStringList &values);
    void testFinished();

protected slots:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void updateGeometries() override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QModelIndex toSource(const QModelIndex &index) const;
    /** The handle of the row of this (view) index, or an invalid one. */
    cTestHandle handleFor(const QModelIndex &index) const;
    void callOnRow(const QModelIndex &index, bool cancel);
    void updateCurrentActions();
    void updateBusyActions();
    void collectChecked(const QModelIndex &parent, QList<QModelIndex> *hits) const;
    void centreBanner();

    iTestRunner *const m_runner;
    QList<QAction *> m_actions;
    int m_checked = 0;
    int m_repeat = 1;
    cTestLogWidget *m_logWidget;
    QWidget *m_banner;
};
