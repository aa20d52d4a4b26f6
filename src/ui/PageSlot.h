#pragma once
// One tab of the main window's page control. It stands for its module page, which is
// built the first time the tab is shown or the page is asked for, so that start-up
// builds none of the pages an instrument may never show. Until then, and after, the
// tab answers as the page: same row, and entry, focus entry and replies go to the page.

#include "pages/ModulePage.h"

namespace zet {

class PageSlot : public ModulePage {
public:
    PageSlot(PageHost &host, const PageRow &row, QWidget *parent = nullptr);

    // The page, built now if it was not yet.
    ModulePage *page();
    // The page if it has been built, else null.
    ModulePage *builtPage() const { return page_; }

    void enter() override { page()->enter(); }
    void focusEnter() override { page()->focusEnter(); }
    void decode(const Frame &reply) override { page()->decode(reply); }
    BlockReport report() const override { return page_ ? page_->report() : BlockReport{}; }

    void setVisible(bool visible) override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    ModulePage *page_ = nullptr;
};

} // namespace zet
