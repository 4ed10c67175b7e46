#include "platform/valuebrowser/tbasevalue.h"

#include "platform/valuebrowser/tvaluebrowser.h"

#include <QWidget>

TBaseValue::TBaseValue(TValueBrowser *browser, const QString &name)
    : TBaseItem(browser, ValueKind)
    , m_propertyName(name)
{
    setText(0, name);
    setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (browser)
        browser->insertValue(this);
}

// The view deletes the editor later than the row, so m_context going away cuts its signals off first.
TBaseValue::~TBaseValue()
{
    if (m_editor && !m_editor->parent())
        delete m_editor; // a row made without a browser owns its editor
}

QString TBaseValue::name() const { return text(0); }

QString TBaseValue::propertyName() const { return m_propertyName; }

void TBaseValue::setPropertyName(const QString &property) { m_propertyName = property; }

QWidget *TBaseValue::editor() const { return m_editor; }

void TBaseValue::attachEditor(QWidget *editor)
{
    m_editor = editor;
    if (browser())
        browser()->setItemWidget(this, 1, editor);
}

void TBaseValue::reportChange()
{
    if (browser())
        browser()->reportChange(this);
}
