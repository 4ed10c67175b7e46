#pragma once

#include <QModelIndex>
#include <QStringList>
#include <QWidget>

class cDropView;
class QAction;
class QFileSystemModel;

/** The local disk's side of the file manager, through QFileSystemModel. */
class cLocalFSView : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cLocalFSView)

public:
    explicit cLocalFSView(QWidget *parent = nullptr);

    QString rootPath() const;
    /** Absolute paths of the selected rows, files and folders alike, in selection order. */
    QStringList selectedFiles() const;
    cDropView *table() const { return m_table; }
    QFileSystemModel *model() const { return m_model; }
    void sizeColumns();

public slots:
    void setRoot(const QString &root);
    void doubleClicked(const QModelIndex &index);

signals:
    void dirChanged(const QString &newDir);
    void copyRequest();
    /** Unit files were dropped here, to be copied into the local folder folder. */
    void filesDropped(const QStringList &unitFiles, const QString &folder);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showMenu(const QPoint &pos);
    void dropped(const QStringList &paths, const QModelIndex &at);

    QFileSystemModel *m_model = nullptr;
    cDropView *m_table = nullptr;
    QAction *m_copyAction = nullptr;
};
