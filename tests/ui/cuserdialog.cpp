#include "cuserdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QVBoxLayout>

namespace {
const QString kGroup = QStringLiteral("TestUserData");
}

cUserDialog::cUserDialog(QWidget *parent)
    : QDialog(parent)
    , m_caption(new QLabel(this))
    , m_form(new QFormLayout)
{
    setObjectName(QStringLiteral("cUserDialog"));
    setWindowTitle(tr("Input values"));
    resize(318, 86);
    m_caption->setObjectName(QStringLiteral("label"));
    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("line"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    m_form->setObjectName(QStringLiteral("formLayout"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, Qt::Horizontal, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(5);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(m_caption);
    layout->addWidget(line);
    layout->addLayout(m_form);
    layout->addWidget(buttons);
}

QString cUserDialog::questionGroup(const QString &question)
{
    return QString::fromLatin1(question.toLocal8Bit().toHex());
}

void cUserDialog::setup(const QString &testName, const QString &question, const QStringList &valueNames)
{
    m_caption->setText(tr("Test: %1").arg(testName));
    m_caption->setToolTip(question);
    m_names = valueNames;
    m_question = question;

    QSettings settings;
    settings.beginGroup(kGroup);
    settings.beginGroup(questionGroup(question));
    for (const QString &name : valueNames) {
        auto *edit = new QLineEdit(settings.value(name).toString(), this);
        m_form->addRow(name, edit);
        m_edits << edit;
    }
}

void cUserDialog::saveData()
{
    if (m_edits.isEmpty())
        return;
    QSettings settings;
    settings.beginGroup(kGroup);
    settings.beginGroup(questionGroup(m_question));
    for (int i = 0; i < m_edits.size(); ++i)
        settings.setValue(m_names.at(i), m_edits.at(i)->text());
    settings.endGroup();
    settings.endGroup();
    settings.sync();
}

QStringList cUserDialog::values()
{
    saveData();
    QStringList texts;
    for (const QLineEdit *edit : std::as_const(m_edits))
        texts << edit->text();
    return texts;
}
