#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class cPluginSettingsDialog;
}

/** Edits the settings that the loaded plug-ins declare. */
class cPluginSettingsDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cPluginSettingsDialog)

public:
    explicit cPluginSettingsDialog(QWidget *parent = nullptr);
    ~cPluginSettingsDialog() override;

private:
    std::unique_ptr<Ui::cPluginSettingsDialog> m_ui;
};
