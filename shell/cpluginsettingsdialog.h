#pragma once

#include <QDialog>
#include <QHash>
#include <QPointer>

#include <memory>

namespace Ui {
class cPluginSettingsDialog;
}

class QSettings;
class TBaseItem;
class TBaseValue;
class TValueBrowser;
class iPlugMan;

/**
 * Edits the settings that the loaded plug-ins declare: one group per plug-in, one typed row per
 * setting, read from the plug-in's settings store and written back to it on OK.
 */
class cPluginSettingsDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cPluginSettingsDialog)

public:
    /** plugMan null means the process's plug-in manager (pm::get(false)). */
    explicit cPluginSettingsDialog(QWidget *parent = nullptr, iPlugMan *plugMan = nullptr);
    ~cPluginSettingsDialog() override;

public slots:
    /** Rebuilds the rows from the plug-ins' stores, then runs the dialog modally. */
    int exec() override;
    /** Writes every row into its plug-in's store, changed or not, and closes. */
    void accept() override;
    void buildSettingsLayout();
    void clear();
    void itemChanged(TBaseItem *item);
    void hintChanged(const QString &hint, TBaseItem *item, const QString &extra);
    void hintChanged(const QString &hint, TBaseItem *item);
    void hintChanged(const QString &hint);

private:
    iPlugMan *plugMan() const;

    std::unique_ptr<Ui::cPluginSettingsDialog> m_ui;
    iPlugMan *m_plugMan;
    TValueBrowser *m_browser;
    // The store is the plug-in manager's; a row whose store went away is not written.
    QHash<TBaseValue *, QPointer<QSettings>> m_stores;
};
