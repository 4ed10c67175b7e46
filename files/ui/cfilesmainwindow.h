#pragma once

#include "platform/port/siodevice.h"

#include <QMainWindow>

class cDeviceFSView;
class cFilePanel;
class cLocalFSView;
class cPortSelector;
class cProgressIndicator;
class QAction;
class QProgressDialog;
class QSplitter;
class QToolBar;

/** The file manager window: the unit's files on the left, the local disk on the right. */
class cFilesMainWindow : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cFilesMainWindow)

public:
    /** What the window waits for. */
    enum eOperation { Idle = 0, Opening = 1, Closing = 2, Reading = 3, Making = 4, Deleting = 5, Downloading = 6, Uploading = 7 };

    explicit cFilesMainWindow(QWidget *parent);

    int operation() const { return m_operation; }
    bool isConnected() const { return m_connected; }
    cDeviceFSView *deviceView() const { return m_deviceView; }
    cLocalFSView *localView() const { return m_localView; }
    cFilePanel *devicePanel() const { return m_devicePanel; }
    cFilePanel *localPanel() const { return m_localPanel; }
    cPortSelector *portSelector() const { return m_portSelector; }
    QProgressDialog *progressDialog() const { return m_progress; }
    QAction *connectAction() const { return m_connectAction; }
    QAction *disconnectAction() const { return m_disconnectAction; }

public slots:
    void initSlot();
    void deinitSlot();
    void operationFinished(int code);
    void startProcess();
    void stopProcess();
    void deviceRootChanged(const QString &newRoot);
    void copyRequest();
    void mkdirRequest();
    void deleteRequest();
    void copyProgress(quint8 total, quint8 current);
    void cancelCopy();
    void currentFileCopyed(const QString &file);
    void selectorHasContent(bool flag);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startDownload(QStringList files, const QString &dest);
    void startUpload(const QStringList &files, const QString &dest);
    /** Dragged files are taken only while connected and idle, as the copy buttons are. */
    bool dropsAllowed() const;
    void setControlsEnabled(bool enabled);
    void updateProgressLabel();

    int m_operation = Idle;
    bool m_connected = false;
    QToolBar *m_toolBar = nullptr;
    cProgressIndicator *m_busy = nullptr;
    QAction *m_connectAction = nullptr;
    QAction *m_disconnectAction = nullptr;
    cPortSelector *m_portSelector = nullptr;
    sIODevice m_device;
    QSplitter *m_splitter = nullptr;
    cFilePanel *m_devicePanel = nullptr;
    cFilePanel *m_localPanel = nullptr;
    cLocalFSView *m_localView = nullptr;
    cDeviceFSView *m_deviceView = nullptr;
    QProgressDialog *m_progress = nullptr;
    QString m_previousPath;
    QString m_copyingFile;
    int m_filePercent = 0;
};
