#include "pages/PageFactory.h"

#include "pages/BasePage.h"
#include "pages/PumpPage.h"

namespace zet {

static bool isOptical(int index)
{
    return index == page::OpticMethane100 || index == page::OpticMethane5 ||
           index == page::OpticCo2 || index == page::OpticPropane;
}

ModulePage *createPage(int index, PageHost &host, QWidget *parent)
{
    switch (index) {
    case page::Base:
        return new BasePage(host, parent);
    case page::Pump:
        return new PumpPage(host, parent);
    default:
        return new ModulePage(host, index, isOptical(index) ? kPeriodOptical : kPeriodNormal,
                              parent);
    }
}

} // namespace zet
