#pragma once

#include <QHash>
#include <QWidget>

class QAction;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QMenu;
class QToolButton;
class QVBoxLayout;

/** One side of the file manager: roots, current path with its ancestors, and the operation buttons. */
class cFilePanel : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cFilePanel)

public:
    enum eAction { CopyAction = 1, DeleteAction = 2, MkdirAction = 4 };

    cFilePanel(QWidget *parent, bool localMode);

    void setRoots(const QStringList &roots);
    void addView(QWidget *view);
    /** Shows and enables the buttons whose keys (eAction) are in mask. */
    void setActions(int mask);
    QString currentPath() const { return m_currentPath; }
    QString rootPath() const { return m_rootPath; }
    QString upPath() const { return m_upPath; }
    QMenu *pathsMenu() const { return m_pathsMenu; }

public slots:
    void setCurrentPath(const QString &newPath);
    void clearPanel();
    void rootSlot();
    void cdupSlot();
    void pathSlot(QAction *action);

signals:
    void rootChanged(const QString &root);
    void copyRequest();
    void mkdirRequest();
    void deleteRequest();

private:
    QToolButton *addOperation(int key, const QString &text);

    QComboBox *m_rootSelector = nullptr;
    QLabel *m_pathLabel = nullptr;
    QToolButton *m_pathsButton = nullptr;
    QToolButton *m_rootButton = nullptr;
    QToolButton *m_cdupButton = nullptr;
    QVBoxLayout *m_viewLayout = nullptr;
    QHBoxLayout *m_buttonLayout = nullptr;
    QMenu *m_pathsMenu = nullptr;
    QString m_currentPath;
    QString m_rootPath;
    QString m_upPath;
    QHash<int, QToolButton *> m_buttons;
    bool m_localMode = false;
};
