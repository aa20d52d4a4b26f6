#include "ui/PageSlot.h"

#include "pages/ModulePage.h"
#include "pages/PageTable.h"

#include <QResizeEvent>

namespace zet {

PageSlot::PageSlot(PageHost &host, const PageRow &row, QWidget *parent)
    : QWidget(parent), host_(host), row_(row)
{
}

ModulePage *PageSlot::page()
{
    if (!page_) {
        page_ = row_.create(host_, row_);
        page_->setParent(this);
        page_->setGeometry(rect());
        // Built inside a slot already on screen, the page would stay hidden.
        if (isVisible())
            page_->setVisible(true);
    }
    return page_;
}

// Built before the tab's contents are shown: they appear with it, whole.
void PageSlot::setVisible(bool visible)
{
    if (visible)
        page();
    QWidget::setVisible(visible);
}

void PageSlot::resizeEvent(QResizeEvent *event)
{
    if (page_)
        page_->resize(event->size());
    QWidget::resizeEvent(event);
}

} // namespace zet
