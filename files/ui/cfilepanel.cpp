#include "files/ui/cfilepanel.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

cFilePanel::cFilePanel(QWidget *parent, bool localMode)
    : QWidget(parent)
    , m_pathsMenu(new QMenu(this))
    , m_localMode(localMode)
{
    setWindowTitle(tr("Form"));
    auto outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    auto selectorWidget = new QWidget(this);
    selectorWidget->setObjectName(QStringLiteral("selectorWidget"));
    auto selectorLayout = new QHBoxLayout(selectorWidget);
    selectorLayout->setObjectName(QStringLiteral("selectorLayout"));
    selectorLayout->setContentsMargins(0, 0, 0, 0);
    m_rootSelector = new QComboBox(selectorWidget);
    m_rootSelector->setObjectName(QStringLiteral("rootSelector"));
    m_pathLabel = new QLabel(selectorWidget);
    m_pathLabel->setObjectName(QStringLiteral("currentPath"));
    m_pathLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pathsButton = new QToolButton(selectorWidget);
    m_pathsButton->setObjectName(QStringLiteral("pathsButton"));
    m_pathsButton->setText(QStringLiteral("..."));
    m_pathsButton->setPopupMode(QToolButton::InstantPopup);
    m_pathsButton->setMenu(m_pathsMenu);
    m_rootButton = new QToolButton(selectorWidget);
    m_rootButton->setObjectName(QStringLiteral("rootButton"));
    m_rootButton->setText(QStringLiteral("/"));
    m_cdupButton = new QToolButton(selectorWidget);
    m_cdupButton->setObjectName(QStringLiteral("cdupButton"));
    m_cdupButton->setText(QStringLiteral(".."));
    selectorLayout->addWidget(m_rootSelector);
    selectorLayout->addWidget(m_pathLabel, 1);
    selectorLayout->addWidget(m_pathsButton);
    selectorLayout->addWidget(m_rootButton);
    selectorLayout->addWidget(m_cdupButton);
    outer->addWidget(selectorWidget);

    auto viewWidget = new QWidget(this);
    viewWidget->setObjectName(QStringLiteral("viewWidget"));
    m_viewLayout = new QVBoxLayout(viewWidget);
    m_viewLayout->setObjectName(QStringLiteral("viewLayout"));
    m_viewLayout->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(viewWidget, 1);

    auto buttonWidget = new QWidget(this);
    buttonWidget->setObjectName(QStringLiteral("buttonWidget"));
    m_buttonLayout = new QHBoxLayout(buttonWidget);
    m_buttonLayout->setObjectName(QStringLiteral("buttonLayout"));
    m_buttonLayout->setContentsMargins(0, 0, 0, 0);
    addOperation(CopyAction, tr("Copy"));
    addOperation(MkdirAction, tr("Make dir"));
    addOperation(DeleteAction, tr("Delete"));
    m_buttonLayout->addStretch();
    outer->addWidget(buttonWidget);

    connect(m_rootSelector, &QComboBox::textActivated, this, &cFilePanel::rootChanged);
    connect(m_rootButton, &QToolButton::clicked, this, &cFilePanel::rootSlot);
    connect(m_cdupButton, &QToolButton::clicked, this, &cFilePanel::cdupSlot);
    connect(m_pathsMenu, &QMenu::triggered, this, &cFilePanel::pathSlot);
}

QToolButton *cFilePanel::addOperation(int key, const QString &text)
{
    auto action = new QAction(text, this);
    action->setEnabled(false);
    auto button = new QToolButton(this);
    button->setObjectName(QStringLiteral("actionBtn"));
    button->setDefaultAction(action);
    button->hide();
    m_buttonLayout->addWidget(button);
    m_buttons.insert(key, button);
    switch (key) {
    case CopyAction: connect(action, &QAction::triggered, this, &cFilePanel::copyRequest); break;
    case DeleteAction: connect(action, &QAction::triggered, this, &cFilePanel::deleteRequest); break;
    case MkdirAction: connect(action, &QAction::triggered, this, &cFilePanel::mkdirRequest); break;
    default: break;
    }
    return button;
}

void cFilePanel::setRoots(const QStringList &roots)
{
    m_rootSelector->clear();
    m_rootSelector->addItems(roots);
}

void cFilePanel::addView(QWidget *view)
{
    m_viewLayout->addWidget(view);
}

void cFilePanel::setActions(int mask)
{
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it) {
        if (mask & it.key()) {
            it.value()->defaultAction()->setEnabled(true);
            it.value()->show();
        }
    }
}

void cFilePanel::setCurrentPath(const QString &newPath)
{
    m_currentPath = m_rootPath = m_upPath = newPath;
    m_pathsMenu->clear();
    if (m_localMode) {
        const QString native = QDir::toNativeSeparators(newPath);
        m_pathLabel->setText(native);
        m_pathLabel->setToolTip(native);
        m_pathsMenu->addAction(native);
        QDir dir(newPath);
        bool first = true;
        while (dir.cdUp()) {
            m_rootPath = dir.absolutePath();
            if (first)
                m_upPath = m_rootPath;
            first = false;
            m_pathsMenu->addAction(QDir::toNativeSeparators(m_rootPath));
        }
        m_rootButton->setToolTip(QDir::toNativeSeparators(m_rootPath));
        m_cdupButton->setToolTip(QDir::toNativeSeparators(m_upPath));
        return;
    }
    m_pathLabel->setText(newPath);
    m_pathLabel->setToolTip(newPath);
    const QStringList parts = newPath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const int n = int(parts.size());
    for (int i = n - 1; i >= 0; --i) {
        const QString p = parts.mid(0, i + 1).join(QLatin1Char('/'));
        m_rootPath = p;
        if (i == n - 2)
            m_upPath = p;
        m_pathsMenu->addAction(p);
    }
    m_rootButton->setToolTip(m_rootPath);
    m_cdupButton->setToolTip(m_upPath);
}

void cFilePanel::clearPanel()
{
    m_rootSelector->clear();
    m_pathsMenu->clear();
    m_currentPath.clear();
    m_rootPath.clear();
    m_upPath.clear();
    m_pathLabel->clear();
    m_rootButton->setToolTip(QString());
    m_cdupButton->setToolTip(QString());
}

void cFilePanel::rootSlot()
{
    if (!m_rootPath.isEmpty())
        emit rootChanged(m_rootPath);
}

void cFilePanel::cdupSlot()
{
    if (!m_upPath.isEmpty())
        emit rootChanged(m_upPath);
}

void cFilePanel::pathSlot(QAction *action)
{
    emit rootChanged(action->text());
}
