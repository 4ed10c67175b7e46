#include "cpluginsettingsdialog.h"

#include "ui_cpluginsettingsdialog.h"

cPluginSettingsDialog::cPluginSettingsDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::cPluginSettingsDialog>())
{
    m_ui->setupUi(this);
    setWindowModified(false);
}

cPluginSettingsDialog::~cPluginSettingsDialog() = default;
