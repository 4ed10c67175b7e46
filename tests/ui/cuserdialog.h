#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

class QFormLayout;
class QLabel;
class QLineEdit;

/** Asks the operator for the values a test script wants, remembering the last answers per question. */
class cUserDialog : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(cUserDialog)

public:
    explicit cUserDialog(QWidget *parent = nullptr);

    /** One line edit per value name, filled with what was entered last time for this question. */
    void setup(const QString &testName, const QString &question, const QStringList &valueNames);
    /** Stores the entered texts, then returns them in row order. */
    QStringList values();

    /** The settings sub-group of a question: its local 8-bit bytes as lower-case hex. */
    static QString questionGroup(const QString &question);

public slots:
    void saveData();

private:
    QLabel *m_caption;
    QFormLayout *m_form;
    QStringList m_names;
    QList<QLineEdit *> m_edits;
    QString m_question;
};
