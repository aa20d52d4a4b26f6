#include "ui/Multi_ZET.h"

#include "connection/DeviceTypes.h"
#include "connection/Protocol.h"
#include "link/DeviceWatcher.h"
#include "pages/BasePage.h"
#include "pages/PageTable.h"
#include "pages/StatusPanels.h"
#include "pages/Widgets.h"
#include "record/ServiceRecord.h"
#include "ui/PageSlot.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace zet {

namespace {

// Draws each cell as usual with a grey line along its right and bottom edges.
class GridLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QRect r = option.rect;
        painter->save();
        painter->setPen(QColor(0xc0, 0xc0, 0xc0));
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->restore();
    }
};

} // namespace

static const QString kNoDevice = QStringLiteral("Нет активных устройств");

TForm1::TForm1(FtDriver &driver, Platform platform, DeviceChangeSource *deviceChanges,
               QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      platform_(std::move(platform)),
      link_(driver, [this](const QString &text) { platform_.message(MessageKind::Error, text); }),
      session_(link_), cycle_(session_, *this, this)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Настройка приборов серии ЗЕТxx  V1.0"));
    setFixedSize(kClientWidth, kClientHeight);
    pictureDirs_ = pictureDirectories(QCoreApplication::applicationDirPath());

    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl1"));
    pageControl_->setGeometry(0, 0, kClientWidth, kClientHeight);
    pageControl_->setUsesScrollButtons(true);

    auto *devices = new QWidget;
    devices->setObjectName(QStringLiteral("TabSheet1"));
    buildDeviceListPage(devices);
    pageControl_->addTab(devices, QString::fromUtf8(pageRow(page::DeviceList).caption));
    for (const PageRow &row : pageTable()) {
        if (!row.create)
            continue;
        auto *slot = new PageSlot(*this, row);
        slot->setObjectName(QStringLiteral("TabSheet%1").arg(row.index + 1));
        slots_[size_t(row.index)] = slot;
        pageControl_->addTab(slot, QString::fromUtf8(row.caption));
        // Hidden as it comes (FormCreate hides them all anyway): the tab bar then lays
        // out one tab per insertion instead of all of them.
        showPage(row.index, false);
    }
    // Shown in the corner of the tab bar, so it covers no control of a page.
    noAnswer_ = new QLabel(QStringLiteral("Нет ответа от прибора"));
    noAnswer_->setObjectName(QStringLiteral("NoAnswer"));
    QPalette red = noAnswer_->palette();
    red.setColor(QPalette::WindowText, QColor(0xc0, 0x00, 0x00));
    noAnswer_->setPalette(red);
    QFont bold = noAnswer_->font();
    bold.setBold(true);
    noAnswer_->setFont(bold);
    noAnswer_->setContentsMargins(6, 0, 6, 0);
    pageControl_->setCornerWidget(noAnswer_, Qt::TopRightCorner);
    noAnswer_->hide();

    connect(pageControl_, &QTabWidget::currentChanged, this, [this] {
        if (!programChange_)
            PageControl1Change();
    });

    connect(timer1(), &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(timer2(), &QTimer::timeout, this, &TForm1::Timer2Timer);
    timer3_ = new QTimer(this);
    timer3_->setObjectName(QStringLiteral("Timer3"));
    timer3_->setInterval(100);
    connect(timer3_, &QTimer::timeout, this, &TForm1::Timer3Timer);

    if (deviceChanges)
        connect(deviceChanges, &DeviceChangeSource::deviceChange, this, &TForm1::WMDeviceChange);
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, &TForm1::onFocusChanged);
    record_ = std::make_unique<ServiceRecord>(*this, pageControl_, session_, platform_, cycle_);

    FormCreate();
}

TForm1::~TForm1()
{
    // The focus leaves the pages while QWidget tears them down, after this window's own
    // members are gone: stop listening first.
    disconnect(focusWatch_);
}

TForm2 *TForm1::benchWindow()
{
    if (!form2_) {
        form2_ = std::make_unique<TForm2>(cycle_, static_cast<BenchHost &>(*this));
        form2_->installEventFilter(this);
    }
    return form2_.get();
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    // Timer3 repaints the bench window and runs only while that window is shown.
    if (form2_ && watched == form2_.get()) {
        if (event->type() == QEvent::Show)
            timer3_->start();
        else if (event->type() == QEvent::Hide && !form2_->isVisible())
            timer3_->stop();
        return false;
    }
    if (watched == listView_->viewport() && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        if (!listView_->itemAt(static_cast<QMouseEvent *>(event)->position().toPoint())) {
            listView_->clearSelection();
            listView_->setCurrentItem(nullptr);
        }
        ListView1DblClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::buildDeviceListPage(QWidget *page)
{
    listView_ = new QTreeWidget(page);
    listView_->setObjectName(QStringLiteral("ListView1"));
    listView_->setGeometry(8, 8, 470, 300);
    listView_->setColumnCount(3);
    listView_->setHeaderLabels({QStringLiteral("Устройство"), QStringLiteral("Обозначение"),
                                QStringLiteral("Серийный номер")});
    for (int c = 0; c < 3; ++c)
        listView_->setColumnWidth(c, 150);
    listView_->header()->setStretchLastSection(false);
    listView_->setRootIsDecorated(false);
    listView_->setItemsExpandable(false);
    listView_->setUniformRowHeights(true);
    listView_->setAllColumnsShowFocus(true);
    // Grid lines between cells, as a report view draws them; a selected row keeps
    // the desktop's highlight colours, focused or not, so its text stays readable.
    // (Palette and delegate rather than a style sheet, which would slow the start.)
    listView_->setItemDelegate(new GridLineDelegate(listView_));
    QPalette colours = listView_->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    listView_->setPalette(colours);
    // Every double click in the list opens, also one off the rows (which selects nothing).
    listView_->viewport()->installEventFilter(this);

    button1_ = makeButton(page, "Button1", QStringLiteral("Обновить список устройств"),
                          QRect(8, 318, 220, 30));
    connect(button1_, &QPushButton::clicked, this, &TForm1::Button1Click);

    panel1_ = makePanel(page, "Panel1", QRect(8, 490, 770, 26));
    // Two lines, so that the longest message ("Связь с преобразователем потеряна") shows
    // whole in the bold font; the space below it down to the buttons is free.
    label1_ = makeLabel(page, "Label1", QString(), QRect(500, 20, 270, 48));
    label1_->setWordWrap(true);
    label1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont f = label1_->font();
    f.setBold(true);
    f.setPointSize(11);
    label1_->setFont(f);
    progress_ = new QProgressBar(page);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setGeometry(8, 460, 770, 20);
    progress_->setRange(0, 350);
    progress_->setValue(0);
    progress_->setTextVisible(false);
}

void TForm1::FormCreate()
{
    setActivePage(0);
    session_.deviceOpen = false;
    session_.replyValid = false;
    session_.amplitudeStepping = false;
    session_.queue.count = 0;
    hideModulePages();
    refreshList();
    panel1_->setText(kNoDevice);
    cycle_.listen();
}

void TForm1::refreshList()
{
    listView_->clear();
    link_.GetFTDeviceCount();
    for (uint32_t i = 0; i < link_.deviceCount; ++i) {
        auto *row = new QTreeWidgetItem(listView_);
        row->setText(0, QStringLiteral("Устройство %1").arg(i + 1));
        // A failed query is reported by the link layer; the row then shows nothing there.
        link_.deviceString.clear();
        link_.GetFTDeviceDescription(i);
        row->setText(1, link_.deviceString);
        link_.deviceString.clear();
        link_.GetFTDeviceSerialNo(i);
        row->setText(2, link_.deviceString);
        // Columns are narrow: the whole texts show on hover.
        row->setToolTip(1, row->text(1));
        row->setToolTip(2, row->text(2));
    }
}

void TForm1::setActivePage(int index)
{
    programChange_ = true;
    pageControl_->setCurrentIndex(index);
    programChange_ = false;
}

void TForm1::selectPage(int index) { pageControl_->setCurrentIndex(index); }

ModulePage *TForm1::page(int index) const { return slots_[size_t(index)]->page(); }

void TForm1::hideModulePages()
{
    setActivePage(0);
    for (int i = 1; i < page::Count; ++i)
        showPage(i, false);
}

void TForm1::showPage(int index, bool shown)
{
    pageControl_->setTabEnabled(index, shown);
    pageControl_->setTabVisible(index, shown);
}

void TForm1::closeConnection()
{
    cycle_.stop();
    noAnswer_->hide();
    label1_->clear();
    link_.CloseFTDevice();
    session_.deviceOpen = false;
}

void TForm1::Button1Click()
{
    setActivePage(0);
    if (session_.deviceOpen) {
        closeConnection();
        hideModulePages();
        panel1_->setText(kNoDevice);
    }
    refreshList();
}

void TForm1::ListView1DblClick()
{
    hideModulePages();
    QTreeWidgetItem *row = listView_->currentItem();
    if (!row || !row->isSelected())
        return;
    if (session_.deviceOpen) {
        closeConnection();
        session_.replyValid = false;
        panel1_->setText(kNoDevice);
    }
    session_.selectedSerial = row->text(2);
    session_.selectedDescription = row->text(1);
    if (link_.Open_USB_Device_By_Serial_Number(session_.selectedSerial) != ft::OK)
        return;
    panel1_->setText(QStringLiteral("Открыт USB порт   ") + session_.selectedDescription +
                     QStringLiteral("   № ") + session_.selectedSerial);
    session_.deviceOpen = true;
    link_.PurgeFTReceive();
    link_.PurgeFTTransmit();
    link_.baudRate = line::kBaudRate;
    link_.SetFTBaudRate();
    link_.wordLength = line::kWordLength;
    link_.stopBits = line::kStopBits;
    link_.parity = line::kParity;
    link_.SetFTDataCharacteristics();
    cycle_.resetFraming();
    silentMs_ = 0;
    session_.setRequest(kBaseAddress, cmd::Identify);
    label1_->setText(QStringLiteral("Поиск прибора ..."));
    cycle_.start();
}

void TForm1::Timer1Timer()
{
    // Silence is counted in transmit periods, so it follows whatever clock drives the ticks.
    silentMs_ += timer1()->interval();
    cycle_.transmitTick();
    if (session_.deviceOpen && silentMs_ >= kSilenceMs)
        noAnswer_->show();
}

void TForm1::Timer2Timer()
{
    cycle_.receiveTick();
    watchSilence();
}

void TForm1::watchSilence()
{
    if (session_.replyValid) {
        silentMs_ = 0;
        noAnswer_->hide();
    }
}

void TForm1::moduleReply(const Frame &reply)
{
    const int index = pageControl_->currentIndex();
    if (index >= 1 && index < page::Count) {
        slots_[size_t(index)]->decode(reply);
        return;
    }
    // The device list has no decoder: an answered command still falls back to the
    // status request of its address, so it is not sent again and again.
    if (reply[1] != cmd::Status)
        session_.statusRequest(session_.request()[0]);
}

void TForm1::linkLost()
{
    if (!session_.deviceOpen)
        return;
    // The same as a removal reported by the system: close, wait, rebuild the list.
    WMDeviceChange(kDeviceRemoveComplete);
    label1_->setText(QStringLiteral("Связь с преобразователем потеряна"));
}

void TForm1::Timer3Timer()
{
    if (form2_ && form2_->isVisible())
        form2_->update();
}

void TForm1::identificationReply(const Frame &reply)
{
    label1_->clear();
    const auto info = deviceTypeInfo(reply[4]);
    if (!info) {
        unknownInstrument();
        return;
    }
    showPage(page::Base, true);
    pageControl_->setTabText(page::Base, QString::fromUtf8(info->baseCaption));
    showPage(page::Pump, true);
    pageControl_->setTabText(page::Pump, QStringLiteral("Насос"));
    // Before any page is hidden, so that hiding the active one selects nothing else.
    setActivePage(page::Base); // a disabled tab cannot be made current
    // Exactly this type's module pages: an instrument identified before (another
    // type on the bench) leaves none of its own behind.
    for (int index = page::Pump + 1; index < page::Count; ++index)
        showPage(index, false);
    for (const ShownPage &p : info->pages) {
        showPage(p.index, true);
        pageControl_->setTabText(p.index, QString::fromUtf8(p.caption));
    }
    static_cast<BasePage *>(page(page::Base))
        ->showInstrument(QString::fromUtf8(info->serialPrefix) + QString::number(u16(reply, 5)));
    // Codes still queued for the page that was active belong to another block; the
    // status request goes out first.
    session_.queue.clear();
    session_.statusRequest(info->firstAddress);
    session_.deviceType = reply[4];
}

void TForm1::unknownInstrument()
{
    cycle_.stop();
    timer3_->stop();
    platform_.message(MessageKind::Plain,
                      QStringLiteral("Прибор неизвестен! Приложение будут закрыто!"));
    close();
}

bool TForm1::loadPicture(const QString &name, QPixmap &pixmap)
{
    // Looked up by its bare name in the current directory first, then beside the
    // program, then in the installed data directory.
    return findPicture(name, pixmap, true);
}

bool TForm1::findPicture(const QString &name, QPixmap &pixmap, bool currentDirectory)
{
    QStringList places;
    if (currentDirectory)
        places << name;
    for (const QString &dir : pictureDirs_)
        places << dir + "/" + name;
    for (const QString &path : places)
        if (QFileInfo::exists(path) && pixmap.load(path))
            return true;
    platform_.message(MessageKind::Error,
                      QStringLiteral("Не удалось загрузить рисунок %1").arg(name));
    return false;
}

void TForm1::PageControl1Change()
{
    const int index = pageControl_->currentIndex();
    if (index >= 1 && index < page::Count)
        slots_[size_t(index)]->enter();
}

void TForm1::onFocusChanged(QWidget *old, QWidget *now)
{
    for (const PageRow &row : pageTable()) {
        if (!row.focusCode)
            continue;
        // A page not built yet holds no focus.
        ModulePage *p = slots_[size_t(row.index)]->builtPage();
        if (!p)
            continue;
        const bool into = now && p->isAncestorOf(now);
        const bool from = old && (old == p || p->isAncestorOf(old));
        if (into && !from)
            p->focusEnter();
    }
}

void TForm1::setTransmitPeriod(int ms) { cycle_.setTransmitPeriod(ms); }

void TForm1::switchOffCompleted()
{
    closeConnection();
    setActivePage(0);
    hideModulePages();
    panel1_->setText(kNoDevice);
}

void TForm1::showMultiplexer()
{
    TForm2 *bench = benchWindow();
    // Brought to the front when it is open already.
    if (bench->isVisible())
        bench->raise();
    bench->show();
    bench->activateWindow();
    // The bench picture ships beside the program or in the data directory.
    QPixmap picture;
    const bool loaded = findPicture(QStringLiteral("stend1.bmp"), picture, false);
    bench->setPicture(picture);
    if (loaded)
        bench->preselect(session_.deviceType);
}

void TForm1::hidePage(int index) { showPage(index, false); }

void TForm1::WMDeviceChange(unsigned wParam)
{
    if (wParam != kDeviceArrival && wParam != kDeviceRemoveComplete)
        return;
    // A change during the wait restarts that wait instead of starting another one
    // inside it: the list is rebuilt once, about 7 s after the last change.
    if (waitingForDevices_) {
        devicesChangedAgain_ = true;
        return;
    }
    hideModulePages();
    if (session_.deviceOpen) {
        closeConnection();
        panel1_->setText(kNoDevice);
    }
    panel1_->setText(QStringLiteral("Обновление списка устройств. Ожидайте! ..."));
    waitingForDevices_ = true;
    for (int step = 0; step <= 350; ++step) {
        platform_.processEvents();
        if (devicesChangedAgain_) {
            devicesChangedAgain_ = false;
            step = 0;
        }
        platform_.sleepMs(20);
        progress_->setValue(step);
    }
    waitingForDevices_ = false;
    panel1_->setText(QStringLiteral("Список обновлен!"));
    progress_->setValue(0);
    refreshList();
}

bool TForm1::FormClose()
{
    if (!session_.deviceOpen)
        return true;
    closeConnection();
    setActivePage(0);
    hideModulePages();
    panel1_->setText(QStringLiteral("Закрытие программы !!!"));
    platform_.processEvents();
    platform_.sleepMs(3000);
    return true;
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // The program ends with this window, also while the bench window is open.
    if (form2_)
        form2_->close();
    if (closing_) {
        event->accept();
        return;
    }
    closing_ = true;
    FormClose();
    closing_ = false;
    event->accept();
}

} // namespace zet
