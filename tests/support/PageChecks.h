#pragma once
// Helpers for page tests over the scripted harness: entering a page with its
// start-up commands answered, reading a chart's samples, the codes sent after a
// click.

#include "Harness.h"
#include "pages/TrendChart.h"

#include <QAbstractButton>
#include <QChartView>
#include <QGroupBox>
#include <QLineEdit>
#include <QTest>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <ostream>
#include <utility>
#include <vector>

// Readable QString values in failure messages.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace zet::test {

// A request as it goes out: seven bytes and the check byte.
inline Frame frame(std::initializer_list<uint8_t> bytes) { return sealed(bytes); }

// Connects an instrument of `type`, opens the page and answers each start-up
// command with `status`, so that the page polls idly afterwards.
inline void enter(Harness &h, int type, int pageIndex, uint8_t block, uint8_t status = 0x01)
{
    h.connect(type);
    h.select(pageIndex);
    while (!h.form->session().queue.empty()) {
        const Frame sent = h.send();
        h.reply({block, sent[1], status, 0, 0, 0, 0});
    }
}

inline const TrendRing &ring(Harness &h, const char *chart)
{
    return static_cast<TrendChart *>(h.find<QChartView>(chart))->ring();
}

// The sample a chart took last.
inline double newest(Harness &h, const char *chart)
{
    const TrendRing &r = ring(h, chart);
    return r.slot(r.writeIndex() == 1 ? TrendRing::kSize : r.writeIndex() - 1);
}

inline QString groupTitle(Harness &h, const char *name) { return h.find<QGroupBox>(name)->title(); }

struct PanelState {
    const char *panel;
    const char *text;
    Colour colour;
};

inline void expectPanels(Harness &h, const std::vector<PanelState> &panels, int status)
{
    for (const PanelState &p : panels) {
        EXPECT_EQ(h.text(p.panel), QString::fromUtf8(p.text)) << status << " " << p.panel;
        EXPECT_EQ(h.colour(p.panel), p.colour) << status << " " << p.panel;
    }
}

// Codes that reach the wire on the ticks after a click, each answered in turn.
inline std::vector<int> sentAfter(Harness &h, const char *button, uint8_t block, int ticks)
{
    h.click(button);
    std::vector<int> codes;
    for (int i = 0; i < ticks; ++i) {
        const Frame f = h.send();
        codes.push_back(f[1]);
        h.reply({block, f[1], 0x01, 0, 0, 0, 0});
    }
    return codes;
}

// How a page is laid out as the engineer sees it before the block first answers.
struct PageLayout {
    int type, index;
    // What a named control shows: a button's caption, a group's title, a chart's
    // title, a panel's or a field's text.
    std::vector<std::pair<const char *, const char *>> texts;
    // Captions beside the fields, whatever their objectName.
    std::vector<const char *> captions;
    // Control and the group or panel it sits in.
    std::vector<std::pair<const char *, const char *>> inside;
    // Status panels from top to bottom.
    std::vector<const char *> topToBottom;
    struct Range {
        const char *chart;
        double min, max;
    };
    std::vector<Range> charts;
    std::vector<const char *> readOnly;
    // Entry fields and how many digits they take.
    std::vector<std::pair<const char *, int>> digits;
    // Display panels with a fixed fill.
    std::vector<std::pair<const char *, QColor>> fills;
};

inline QString shownText(QWidget *page, const char *name)
{
    QObject *o = page->findChild<QObject *>(QString::fromLatin1(name));
    if (auto *b = qobject_cast<QAbstractButton *>(o))
        return b->text();
    if (auto *g = qobject_cast<QGroupBox *>(o))
        return g->title();
    if (auto *c = dynamic_cast<TrendChart *>(o))
        return c->title();
    if (auto *l = qobject_cast<QLabel *>(o))
        return l->text();
    if (auto *e = qobject_cast<QLineEdit *>(o))
        return e->text();
    ADD_FAILURE() << name << " is not on page " << page->objectName().toStdString();
    return {};
}

inline void checkLayout(const PageLayout &l)
{
    Harness h;
    h.connect(l.type);
    h.select(l.index);
    QWidget *page = h.form->page(l.index);
    auto widget = [page](const char *name) {
        return page->findChild<QWidget *>(QString::fromLatin1(name));
    };
    for (auto [name, text] : l.texts)
        EXPECT_EQ(shownText(page, name), QString::fromUtf8(text)) << name;

    QStringList captions;
    for (const QLabel *label : page->findChildren<QLabel *>())
        captions << label->text();
    for (const char *caption : l.captions)
        EXPECT_TRUE(captions.contains(QString::fromUtf8(caption))) << caption;

    for (auto [child, container] : l.inside) {
        QWidget *c = widget(child);
        QWidget *box = widget(container);
        ASSERT_TRUE(c && box) << child << " in " << container;
        EXPECT_TRUE(box->isAncestorOf(c)) << child << " in " << container;
    }
    for (size_t i = 1; i < l.topToBottom.size(); ++i) {
        QWidget *upper = widget(l.topToBottom[i - 1]);
        QWidget *lower = widget(l.topToBottom[i]);
        ASSERT_TRUE(upper && lower) << l.topToBottom[i];
        EXPECT_LE(upper->mapTo(page, QPoint(0, upper->height())).y(),
                  lower->mapTo(page, QPoint(0, 0)).y())
            << l.topToBottom[i - 1] << " above " << l.topToBottom[i];
    }
    for (const PageLayout::Range &r : l.charts) {
        auto *chart = dynamic_cast<TrendChart *>(widget(r.chart));
        ASSERT_TRUE(chart) << r.chart;
        auto *axis = static_cast<QValueAxis *>(chart->chart()->axes(Qt::Vertical).first());
        EXPECT_EQ(axis->min(), r.min) << r.chart;
        EXPECT_EQ(axis->max(), r.max) << r.chart;
    }
    for (const char *name : l.readOnly) {
        auto *e = qobject_cast<QLineEdit *>(widget(name));
        ASSERT_TRUE(e) << name;
        EXPECT_TRUE(e->isReadOnly()) << name;
    }
    for (auto [name, n] : l.digits) {
        auto *e = qobject_cast<QLineEdit *>(widget(name));
        ASSERT_TRUE(e) << name;
        EXPECT_FALSE(e->isReadOnly()) << name;
        EXPECT_EQ(e->text(), "") << name << " starts empty";
        QTest::keyClicks(e, "123456789");
        EXPECT_EQ(e->text(), QString("123456789").left(n)) << name;
    }
    for (auto [name, colour] : l.fills) {
        auto *panel = qobject_cast<QLabel *>(widget(name));
        ASSERT_TRUE(panel) << name;
        EXPECT_TRUE(panel->autoFillBackground()) << name;
        EXPECT_EQ(panel->palette().color(QPalette::Window), colour) << name;
    }
}

} // namespace zet::test
