#include "cmainlayout.h"

#include "ui_cmainlayout.h"

cMainLayout::cMainLayout(QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::cMainLayout>())
{
    m_ui->setupUi(this);
}

cMainLayout::~cMainLayout() = default;

void cMainLayout::setPageSelectorWidget(QWidget *widget)
{
    place(m_ui->pageSelectorLayout, widget);
}

void cMainLayout::setMainSelectorWidget(QWidget *widget)
{
    place(m_ui->mainSelectorLayout, widget);
}

void cMainLayout::setPageWidget(QWidget *widget)
{
    place(m_ui->pageLayout, widget);
}

void cMainLayout::setPageSelectorFramed(bool framed)
{
    m_ui->pageSelectorFrame->setFrameShape(framed ? QFrame::StyledPanel : QFrame::NoFrame);
    m_ui->pageSelectorFrame->setFrameShadow(framed ? QFrame::Raised : QFrame::Plain);
}

void cMainLayout::place(QLayout *area, QWidget *widget)
{
    // Widgets taken out belong to their pages: they are hidden, never deleted.
    while (QLayoutItem *item = area->takeAt(0)) {
        if (QWidget *old = item->widget(); old && old != widget)
            old->hide();
        delete item;
    }
    if (!widget)
        return;
    area->addWidget(widget);
    widget->show();
}
