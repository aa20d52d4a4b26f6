#include "ui/PageSlot.h"

#include "pages/ModulePage.h"
#include "pages/PageTable.h"

#include <QResizeEvent>

namespace zet {

PageSlot::PageSlot(PageHost &host, const PageRow &row, QWidget *parent)
    : ModulePage(host, row, parent)
{
}

ModulePage *PageSlot::page()
{
    if (!page_) {
        page_ = row().create(host(), row());
        page_->setParent(this);
        // The journal knows the tab, not the page inside it.
        page_->setCommandListener(
            [this](const ModulePage &, const IssuedCommand &command) { announce(command); });
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
    ModulePage::setVisible(visible);
}

void PageSlot::resizeEvent(QResizeEvent *event)
{
    if (page_)
        page_->resize(event->size());
    ModulePage::resizeEvent(event);
}

} // namespace zet
