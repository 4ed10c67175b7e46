#pragma once

#include "files/core/sdevicefsentry.h"

#include <QIcon>
#include <QStandardItemModel>
#include <QStringList>

class cDeviceFSRunner;
class iDeviceFSRunner;

/** The listing of one unit directory; owns the runner, whose directory reads it shows. */
class cDeviceFSModel : public QStandardItemModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cDeviceFSModel)

public:
    enum eColumn { NameColumn, SizeColumn, DateColumn };

    explicit cDeviceFSModel(QObject *parent = nullptr);
    ~cDeviceFSModel() override;

    iDeviceFSRunner *runner() const;
    /** Tool tips: the name, "%1 bytes" for a size, the date. */
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    cDeviceFSRunner *worker() const { return m_runner; }
    /** The unit folder whose entries the rows show. */
    QString path() const { return m_path; }

    /** Dragged rows carry the unit paths of their files; folders are not copied, as with "Copy". */
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    /** The unit files that mimeData() of a model of this process put into data; empty for anything else. */
    static QStringList unitFiles(const QMimeData *data);

public slots:
    /** Replaces the rows with a directory read: folders first, then files, as the runner ordered them. */
    void fill(const QString &path, const QList<sDeviceFSEntry> &entries);

private:
    cDeviceFSRunner *m_runner = nullptr;
    QString m_path;
    QIcon m_folderIcon;
    QIcon m_fileIcon;
};
