#pragma once

#include "files/ui/sdeviceselection.h"

#include <QModelIndex>
#include <QWidget>

class cDeviceFSModel;
class cDropView;
class iDeviceFSRunner;
class QAction;
struct sIODevice;

/** The unit's side of the file manager: one unit directory as a table, navigated by double-click. */
class cDeviceFSView : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cDeviceFSView)

public:
    explicit cDeviceFSView(QWidget *parent = nullptr);

    QString currentPath() const { return m_currentPath; }
    sDeviceSelection selection() const;
    iDeviceFSRunner *runner() const;
    cDeviceFSModel *model() const { return m_model; }
    cDropView *table() const { return m_table; }
    void init(const sIODevice &device);
    void deinit();
    void clear();
    void sizeColumns();

public slots:
    void setRoot(const QString &root, bool run);
    void setRoot(const QString &root);
    void doubleClickedSlot(const QModelIndex &index);

signals:
    void operationFinished(int code);
    void dirChangeRequest(const QString &path);
    void copyRequest();
    void deleteRequest();
    /** Local files were dropped here, to be copied into the unit folder folder. */
    void filesDropped(const QStringList &localFiles, const QString &folder);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showMenu(const QPoint &pos);
    void dropped(const QStringList &paths, const QModelIndex &at);

    cDeviceFSModel *m_model = nullptr;
    cDropView *m_table = nullptr;
    QString m_currentPath;
    QAction *m_copyAction = nullptr;
    QAction *m_deleteAction = nullptr;
};
