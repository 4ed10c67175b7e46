#pragma once

#include "files/core/sdevicefsentry.h"

#include <QIcon>
#include <QStandardItemModel>

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

public slots:
    /** Replaces the rows with a directory read: folders first, then files, as the runner ordered them. */
    void fill(const QString &path, const QList<sDeviceFSEntry> &entries);

private:
    cDeviceFSRunner *m_runner = nullptr;
    QIcon m_folderIcon;
    QIcon m_fileIcon;
};
