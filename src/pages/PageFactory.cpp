#include "pages/PageFactory.h"

#include "pages/BasePage.h"
#include "pages/PgsPage.h"
#include "pages/PressurePage.h"
#include "pages/PumpPage.h"
#include "pages/ThermoPage.h"

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
    case page::Tks:
        return new ThermoPage(host, tksInfo(), parent);
    case page::Pgs:
        return new PgsPage(host, parent);
    case page::TksPgs:
        return new ThermoPage(host, tksPgsInfo(), parent);
    case page::TksPgsH2:
        return new ThermoPage(host, tksPgsHydrogenInfo(), parent);
    case page::Pressure:
        return new PressurePage(host, parent);
    default:
        return new ModulePage(host, index, isOptical(index) ? kPeriodOptical : kPeriodNormal,
                              parent);
    }
}

} // namespace zet
