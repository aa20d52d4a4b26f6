#pragma once
// One tab of the main window's page control. Its module page is built the first time
// the tab is shown or the page is asked for, so that start-up builds none of the pages
// an instrument may never show.

#include <QWidget>

namespace zet {

class ModulePage;
class PageHost;
struct PageRow;

class PageSlot : public QWidget {
public:
    PageSlot(PageHost &host, const PageRow &row, QWidget *parent = nullptr);

    // The page, built now if it was not yet.
    ModulePage *page();
    // The page if it has been built, else null.
    ModulePage *builtPage() const { return page_; }

    void setVisible(bool visible) override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    PageHost &host_;
    const PageRow &row_;
    ModulePage *page_ = nullptr;
};

} // namespace zet
