#pragma once
// A main window over a scripted driver, with messages, waits and the clock captured.

#include "ScriptedDriver.h"
#include "pages/StatusPanels.h"
#include "ui/Multi_ZET.h"

#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

#include <memory>

namespace zet::test {

// A control of the window by its objectName. A page is built when it is first shown or
// asked for; a control of a page not built yet is reached by asking the window for
// every page.
template <typename T = QWidget> T *findControl(TForm1 &form, const QString &name)
{
    if (T *found = form.findChild<T *>(name))
        return found;
    for (int index = 1; index < page::Count; ++index)
        form.page(index);
    return form.findChild<T *>(name);
}

using Rows = std::vector<ScriptedDriver::Row>;

struct Harness {
    ScriptedDriver driver;
    QStringList messages; // every modal message, in order
    QList<int> sleeps;    // every blocking wait, in ms
    QDateTime now = QDateTime(QDate(2026, 1, 1), QTime(12, 0));
    std::unique_ptr<TForm1> form;

    // One converter row unless rows are given.
    explicit Harness(std::vector<ScriptedDriver::Row> rows = {{"USB <-> Serial", "FT1234AB"}});
    Platform platform();

    // Selects a row and double-clicks it.
    void open(int row = 0);
    // Opens and answers the identification request with the given type.
    void connect(int deviceType, uint16_t serial = 1234);
    // Puts a reply (check byte computed) on the line and runs one receive tick.
    void reply(std::initializer_list<uint8_t> bytes);
    // Runs one transmit tick and returns the frame it wrote.
    Frame send();
    // Clicks a page's tab as the user would (entry action runs).
    void select(int pageIndex) { form->selectPage(pageIndex); }
    // The same with the page's picture nowhere to be found (not in the working
    // folder, not beside the program), as when it was not installed.
    void selectWithoutPictures(int pageIndex);
    void click(const char *button);

    template <typename T = QWidget> T *find(const char *name) const
    {
        return findControl<T>(*form, QString::fromLatin1(name));
    }
    QString text(const char *panel) const;
    Colour colour(const char *panel) const;
    Frame request() const;
};

} // namespace zet::test
