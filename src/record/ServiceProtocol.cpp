#include "record/ServiceProtocol.h"

#include "journal/JournalDatabase.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QSettings>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextTable>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace zet {

namespace {

constexpr int kResolution = 300; // dots per inch of the PDF's page coordinates
constexpr int kCssDpi = 96;      // the unit of image widths in the document
constexpr qreal kFontPoints = 9.5;

const QLocale &russian()
{
    static const QLocale locale(QLocale::Russian, QLocale::Russia);
    return locale;
}

QString esc(const QString &text) { return text.toHtmlEscaped(); }

QString orDash(const QString &text)
{
    return text.trimmed().isEmpty() ? QStringLiteral("—") : esc(text);
}

QString heading(const QString &title)
{
    return QStringLiteral("<h3 style=\"margin-top:14px; margin-bottom:4px\">%1</h3>").arg(esc(title));
}

// A block's name over its lines or its chart.
QString caption(const QString &name)
{
    return QStringLiteral("<h4 style=\"margin-top:6px; margin-bottom:2px; font-size:9.5pt\">%1</h4>")
        .arg(orDash(name));
}

QString noData() { return QStringLiteral("<p>Нет данных.</p>"); }

// A two-column table of captions and values without borders.
QString fieldTable(const QList<std::pair<QString, QString>> &rows)
{
    QString html = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"2\">");
    for (const auto &row : rows)
        html += QStringLiteral("<tr><td width=\"170\">%1</td><td><b>%2</b></td></tr>")
                    .arg(esc(row.first), orDash(row.second));
    return html + QStringLiteral("</table>");
}

const QString kGrid = QStringLiteral(
    "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" border=\"1\" "
    "style=\"border-collapse:collapse; border-color:#808080; font-size:8.5pt\">");

const QString kCommandHeader = QStringLiteral("Команда и параметры");

QString commandHead(bool newPage)
{
    QString grid = kGrid;
    if (newPage)
        grid.replace(QStringLiteral("style=\""), QStringLiteral("style=\"page-break-before:always; "));
    return grid + QStringLiteral("<thead><tr style=\"background-color:#e8e8e8\">"
                                  "<th width=\"5%\">№</th><th width=\"20%\">Время</th>"
                                  "<th width=\"11%\">Блок</th><th>") +
           kCommandHeader + QStringLiteral("</th><th width=\"15%\">Ответ</th></tr></thead>");
}

// The commands in one table, or in several where `pieces` says a new one starts (at
// those indices), each at the top of a page.
QString commandTable(const std::vector<JournalEntry> &commands, const std::vector<int> &pieces)
{
    if (commands.empty())
        return QStringLiteral("<p>Команды не отправлялись.</p>");
    auto starts = [&pieces](size_t i) {
        return std::find(pieces.begin(), pieces.end(), int(i)) != pieces.end();
    };
    QString html = commandHead(starts(0));
    const QLocale &ru = russian();
    for (size_t i = 0; i < commands.size(); ++i) {
        const JournalEntry &c = commands[i];
        if (i > 0 && starts(i))
            html += QStringLiteral("</table>") + commandHead(true);
        // The parameters under the command's name, in the widest column.
        QString what = QStringLiteral("<b>%1</b>").arg(orDash(c.button));
        if (!c.parameters.trimmed().isEmpty())
            what += QStringLiteral("<br>") + esc(c.parameters);
        html += QStringLiteral("<tr><td align=\"right\">%1</td>"
                               "<td style=\"white-space:nowrap\">%2</td><td>%3</td><td>%4</td>"
                               "<td style=\"white-space:nowrap\">%5</td></tr>")
                    .arg(ru.toString(int(i) + 1),
                         esc(ru.toString(c.time, QStringLiteral("dd.MM.yyyy HH:mm:ss"))),
                         orDash(c.page), what,
                         c.status ? journal::kAcknowledged : journal::kUnacknowledged);
    }
    return html + QStringLiteral("</table>");
}

// Each block that has lines, under its name; "Нет данных." when none has any.
QString blockLines(const std::vector<ProtocolBlock> &blocks,
                   QStringList ProtocolBlock::*member)
{
    QString html;
    for (const ProtocolBlock &b : blocks) {
        const QStringList &lines = b.*member;
        if (lines.isEmpty())
            continue;
        html += caption(b.name);
        for (const QString &line : lines)
            html += QStringLiteral("<p style=\"margin-left:16px; margin-top:0px; "
                                   "margin-bottom:0px\">%1</p>")
                        .arg(esc(line));
    }
    return html.isEmpty() ? noData() : html;
}

QString chartName(size_t index) { return QStringLiteral("zet-chart-%1").arg(index); }

// `widthPx`: the text's width in the units of an image's width in the document.
QString charts(const std::vector<ProtocolBlock> &blocks, qreal widthPx)
{
    QString html;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const QImage &chart = blocks[i].chart;
        if (chart.isNull())
            continue;
        // As wide as the text, or narrower for a small picture.
        const qreal width = std::min<qreal>(widthPx, chart.width());
        html += caption(blocks[i].name) +
                QStringLiteral("<p><img src=\"%1\" width=\"%2\" height=\"%3\"></p>")
                    .arg(chartName(i))
                    .arg(qRound(width))
                    .arg(qRound(width * chart.height() / chart.width()));
    }
    return html.isEmpty() ? noData() : html;
}

QString signatures(const QString &engineer)
{
    const QString line = QStringLiteral("______________________");
    return QStringLiteral(
               "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"8\">"
               "<tr><td width=\"40%\">Инженер</td><td width=\"30%\">%1</td>"
               "<td>/ %2 /</td></tr>"
               "<tr><td>Руководитель сервисного центра<br>или представитель заказчика</td>"
               "<td>%1</td><td>/ %3 /</td></tr></table>"
               "<p style=\"margin-left:8px\">Дата «____» ______________ 20___ г.</p>")
        .arg(line, engineer.trimmed().isEmpty() ? line : esc(engineer), line);
}

QString documentHtml(const ProtocolData &d, qreal textWidthPx, const std::vector<int> &pieces)
{
    const QLocale &ru = russian();
    QString html = QStringLiteral(
        "<h1 align=\"center\" style=\"margin-bottom:12px\">Протокол обслуживания</h1>");
    html += fieldTable({{QStringLiteral("Сервисный центр:"), d.centre},
                        {QStringLiteral("Инженер:"), d.engineer},
                        {QStringLiteral("Дата:"),
                         d.date.isValid() ? ru.toString(d.date, QStringLiteral("d MMMM yyyy г."))
                                          : QString()}});

    html += heading(QStringLiteral("Прибор"));
    html += fieldTable({{QStringLiteral("Модель:"), d.model},
                        {QStringLiteral("Заводской номер:"), d.serial}});
    html += QStringLiteral("<p style=\"margin-top:6px; margin-bottom:4px\">Обслуженные блоки:</p>");
    if (d.blocks.empty()) {
        html += noData();
    } else {
        html += kGrid + QStringLiteral("<thead><tr style=\"background-color:#e8e8e8\">"
                                       "<th width=\"60%\">Блок</th><th>Версия</th></tr></thead>");
        for (const ProtocolBlock &b : d.blocks)
            html += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                        .arg(orDash(b.name), orDash(b.version));
        html += QStringLiteral("</table>");
    }

    html += heading(QStringLiteral("Команды"));
    html += commandTable(d.commands, pieces);
    html += heading(QStringLiteral("Значения после калибровки"));
    html += blockLines(d.blocks, &ProtocolBlock::readBack);
    html += heading(QStringLiteral("Итоговое состояние блоков"));
    html += blockLines(d.blocks, &ProtocolBlock::finalStatus);
    html += heading(QStringLiteral("Графики калибровки"));
    html += charts(d.blocks, textWidthPx);
    html += heading(QStringLiteral("Подписи"));
    html += signatures(d.engineer);
    return html;
}

QString footerText(const ProtocolData &d, int page, int pages)
{
    const QLocale &ru = russian();
    QString instrument = d.model;
    if (!d.serial.isEmpty())
        instrument += QStringLiteral(" № ") + d.serial;
    return QStringLiteral("Протокол обслуживания %1 — страница %2 из %3")
        .arg(instrument.trimmed(), ru.toString(page), ru.toString(pages));
}

// A heading is not left at the foot of a page without what it heads, and the last
// section, the signatures, is not parted: either goes to the top of the next page.
void keepTogether(QTextDocument &doc)
{
    const qreal page = doc.pageSize().height();
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    QTextBlock lastHeading;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.blockFormat().headingLevel() > 0)
            lastHeading = b;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() == 0 || !b.next().isValid())
            continue;
        // A heading over another heading goes with what that one heads.
        QTextBlock until = b.next();
        while (until.blockFormat().headingLevel() > 0 && until.next().isValid())
            until = until.next();
        if (b == lastHeading)
            until = doc.lastBlock();
        const qreal top = layout->blockBoundingRect(b).top();
        const qreal bottom = layout->blockBoundingRect(until).bottom();
        if (bottom - top >= page || int(top / page) == int((bottom - 1) / page))
            continue;
        QTextBlockFormat format;
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor(b).mergeBlockFormat(format);
        // Qt lays out again only from the block changed, and may leave what follows an
        // image there unplaced: the whole document is laid out again.
        doc.markContentsDirty(0, doc.characterCount());
    }
}

// The tables of commands, in order.
QList<QTextTable *> commandTables(QTextDocument &doc)
{
    QList<QTextTable *> tables;
    for (QTextFrame *frame : doc.rootFrame()->childFrames()) {
        auto *table = qobject_cast<QTextTable *>(frame);
        if (table && table->columns() == 5 &&
            table->cellAt(0, 3).firstCursorPosition().block().text() == kCommandHeader)
            tables << table;
    }
    return tables;
}

// Lays out the document with the commands' tables in `pieces`, each piece but the
// first one starting a page (the first one too when 0 is among them). Returns the
// index of the first command whose row a page boundary would cut, or -1.
int layOut(QTextDocument &doc, const ProtocolData &data, qreal textWidthPx,
           const std::vector<int> &pieces)
{
    doc.setHtml(documentHtml(data, textWidthPx, pieces));
    const QList<QTextTable *> tables = commandTables(doc);
    std::vector<int> starts = {0};
    for (int p : pieces)
        if (p > 0)
            starts.push_back(p);
    std::sort(starts.begin(), starts.end());
    keepTogether(doc);

    const qreal page = doc.pageSize().height();
    QAbstractTextDocumentLayout *layout = doc.documentLayout();
    for (qsizetype t = 0; t < tables.size() && t < qsizetype(starts.size()); ++t) {
        QTextTable *table = tables[t];
        for (int row = 1; row < table->rows(); ++row) {
            qreal top = std::numeric_limits<qreal>::max(), bottom = 0;
            for (int column = 0; column < table->columns(); ++column) {
                const QTextTableCell cell = table->cellAt(row, column);
                top = std::min(top, layout->blockBoundingRect(cell.firstCursorPosition().block()).top());
                bottom = std::max(bottom,
                                  layout->blockBoundingRect(cell.lastCursorPosition().block()).bottom());
            }
            if (int(top / page) == int((bottom - 1) / page))
                continue;
            const int command = starts[t] + row - 1;
            // A row at the top of a page already that does not fit is left to be cut.
            const bool atTop = row == 1 && std::find(pieces.begin(), pieces.end(), starts[t]) !=
                                               pieces.end();
            if (!atTop)
                return command;
        }
    }
    return -1;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

// Lays the protocol out on A4 pages of `device` and paints them; false when painting
// cannot begin. The layout follows the device's own resolution, so a PDF and a printed
// sheet come out alike.
bool paintProtocol(const ProtocolData &data, QPagedPaintDevice &device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 15, 15, 12), QPageLayout::Millimeter));
    const int resolution = device.logicalDpiY();

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(kFontPoints);

    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&device);
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    const QSizeF area = device.pageLayout().paintRectPixels(resolution).size();
    const QFontMetricsF metrics(font, &device);
    const qreal footer = metrics.height() * 2.5;
    doc.setPageSize(QSizeF(area.width(), area.height() - footer));
    for (size_t i = 0; i < data.blocks.size(); ++i)
        if (!data.blocks[i].chart.isNull())
            doc.addResource(QTextDocument::ImageResource, QUrl(chartName(i)),
                            data.blocks[i].chart);
    // An image's width in the document is scaled to the page by Qt's own factor
    // (the device's resolution over the screen's); it is asked, not assumed.
    qreal textWidthPx = area.width() * kCssDpi / resolution;
    for (size_t i = 0; i < data.blocks.size(); ++i) {
        if (data.blocks[i].chart.isNull())
            continue;
        QTextImageFormat probe;
        probe.setName(chartName(i));
        probe.setWidth(100);
        probe.setHeight(100);
        const qreal scaled = doc.documentLayout()
                                 ->handlerForObject(QTextFormat::ImageObject)
                                 ->intrinsicSize(&doc, 0, probe)
                                 .width();
        if (scaled > 0)
            textWidthPx = area.width() * 100 / scaled;
        break;
    }
    // Each row that a page boundary would cut starts a new piece of the table, at the
    // top of the next page.
    std::vector<int> pieces;
    for (int cut = layOut(doc, data, textWidthPx, pieces);
         cut >= 0 && std::find(pieces.begin(), pieces.end(), cut) == pieces.end();
         cut = layOut(doc, data, textWidthPx, pieces))
        pieces.push_back(cut);

    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const qreal pageHeight = doc.pageSize().height();
    const int pages = doc.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        const QRectF visible(0, page * pageHeight, area.width(), pageHeight);
        painter.save();
        painter.translate(0, -visible.top());
        painter.setClipRect(visible);
        QAbstractTextDocumentLayout::PaintContext context;
        // A line that ends or starts right at the page's edge belongs to one page only;
        // text drawn outside the page's clip would still be in the file's text.
        context.clip = visible.adjusted(0, 0.5, 0, -0.5);
        context.palette.setColor(QPalette::Text, Qt::black);
        doc.documentLayout()->draw(&painter, context);
        painter.restore();

        painter.setFont(font);
        painter.setPen(QColor(0x60, 0x60, 0x60));
        painter.drawText(QRectF(0, area.height() - metrics.height(), area.width(),
                                metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, footerText(data, page + 1, pages));
    }
    return painter.end();
}

} // namespace

bool writeProtocol(const ProtocolData &data, const QString &pdfFile, QString *error)
{
    QSaveFile file(pdfFile);
    if (!file.open(QIODevice::WriteOnly)) {
        setError(error, QStringLiteral("Протокол не записан в файл %1: %2.")
                            .arg(QDir::toNativeSeparators(pdfFile), file.errorString()));
        return false;
    }
    QPdfWriter writer(&file);
    writer.setResolution(kResolution);
    writer.setTitle(QStringLiteral("Протокол обслуживания %1 № %2").arg(data.model, data.serial));
    writer.setCreator(QStringLiteral("zet-service"));
    if (!paintProtocol(data, writer)) {
        file.cancelWriting();
        setError(error, QStringLiteral("Протокол не записан в файл %1: PDF не создаётся.")
                            .arg(QDir::toNativeSeparators(pdfFile)));
        return false;
    }
    if (!file.commit()) {
        setError(error, QStringLiteral("Протокол не записан в файл %1: %2.")
                            .arg(QDir::toNativeSeparators(pdfFile), file.errorString()));
        return false;
    }
    return true;
}

bool printProtocol(const ProtocolData &data, QPrinter &printer, QString *error)
{
    printer.setResolution(kResolution);
    printer.setDocName(QStringLiteral("Протокол обслуживания %1 № %2").arg(data.model, data.serial));
    printer.setCreator(QStringLiteral("zet-service"));
    if (paintProtocol(data, printer))
        return true;
    if (printer.outputFormat() == QPrinter::PdfFormat)
        setError(error, QStringLiteral("Протокол не напечатан: файл %1 не записывается.")
                            .arg(QDir::toNativeSeparators(printer.outputFileName())));
    else
        setError(error, QStringLiteral("Протокол не напечатан: принтер «%1» недоступен.")
                            .arg(printer.printerName()));
    return false;
}

ProtocolData protocolFromJournal(const QList<StoredLine> &lines, const Instrument &instrument,
                                 const QList<StoredState> &states)
{
    ProtocolData d;
    d.model = instrument.model;
    d.serial = instrument.serial;
    for (const StoredLine &line : lines)
        if (line.entry.instrument.model == instrument.model &&
            line.entry.instrument.serial == instrument.serial)
            d.commands.push_back(line.entry);
    std::stable_sort(d.commands.begin(), d.commands.end(),
                     [](const JournalEntry &a, const JournalEntry &b) { return a.time < b.time; });
    for (const JournalEntry &c : d.commands) {
        const bool known = std::any_of(d.blocks.begin(), d.blocks.end(),
                                       [&c](const ProtocolBlock &b) { return b.name == c.page; });
        if (!known)
            d.blocks.push_back(ProtocolBlock{c.page, {}, {}, {}, {}});
    }
    for (ProtocolBlock &b : d.blocks) {
        const StoredState *latest = nullptr;
        for (const StoredState &s : states)
            if (s.page == b.name && s.instrument.model == instrument.model &&
                s.instrument.serial == instrument.serial &&
                (!latest || s.time >= latest->time))
                latest = &s;
        if (!latest)
            continue;
        b.version = latest->version;
        b.readBack = latest->readBack;
        b.finalStatus = latest->status;
        b.chart = QImage::fromData(latest->chart, "PNG");
    }
    if (!d.commands.empty())
        d.date = d.commands.back().time.date();
    return d;
}

// The program names itself zet-service and no organisation: the settings are kept
// under that name for both.
const QString kSettingsName = QStringLiteral("zet-service");

ProtocolPeople savedProtocolPeople()
{
    QSettings settings(kSettingsName, kSettingsName);
    return {settings.value(QStringLiteral("protocol/centre")).toString(),
            settings.value(QStringLiteral("protocol/engineer")).toString()};
}

void saveProtocolPeople(const ProtocolPeople &people)
{
    QSettings settings(kSettingsName, kSettingsName);
    settings.setValue(QStringLiteral("protocol/centre"), people.centre);
    settings.setValue(QStringLiteral("protocol/engineer"), people.engineer);
}

} // namespace zet
