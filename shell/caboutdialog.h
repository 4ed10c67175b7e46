#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class cAboutDialog;
}

/** A version of the tool set: major, minor, build, revision. */
struct sVersion
{
    quint8 major = 0;
    quint8 minor = 0;
    quint8 build = 0;
    quint8 revision = 0;
};

/** Tells what is running: program, version, description, Qt and Lua versions, start folder. */
class cAboutDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cAboutDialog)

public:
    explicit cAboutDialog(QWidget *parent = nullptr);
    ~cAboutDialog() override;

    /** Fills the version line; only the first call has an effect (it consumes the placeholder). */
    void setVersion(const sVersion &version);
    void setDescription(const QString &text);

private:
    std::unique_ptr<Ui::cAboutDialog> m_ui;
};
