#include "ui/Multi_ZET.h"

#include "connection/DeviceTypes.h"
#include "link/DeviceWatcher.h"
#include "pages/PageFactory.h"
#include "pages/StatusPanels.h"
#include "pages/Widgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

namespace zet {

static constexpr int kTxPeriod = 350;
static constexpr int kRxPeriod = 100;
static const QString kNoDevice = QStringLiteral("Нет активных устройств");

TForm1::TForm1(FtDriver &driver, Platform platform, DeviceChangeSource *deviceChanges,
               QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      platform_(std::move(platform)),
      link_(driver, [this](const QString &text) { platform_.message(MessageKind::Error, text); }),
      session_(link_)
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
    pageControl_->addTab(devices, QString::fromUtf8(designCaption(0)));
    for (int i = 1; i < page::Count; ++i) {
        ModulePage *p = createPage(i, *this, nullptr);
        p->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        pages_[size_t(i)] = p;
        pageControl_->addTab(p, QString::fromUtf8(designCaption(i)));
    }
    connect(pageControl_, &QTabWidget::currentChanged, this, [this] {
        if (!programChange_)
            PageControl1Change();
    });

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kTxPeriod);
    connect(timer1_, &QTimer::timeout, this, &TForm1::Timer1Timer);
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setInterval(kRxPeriod);
    connect(timer2_, &QTimer::timeout, this, &TForm1::Timer2Timer);
    timer3_ = new QTimer(this);
    timer3_->setObjectName(QStringLiteral("Timer3"));
    timer3_->setInterval(100);
    connect(timer3_, &QTimer::timeout, this, &TForm1::Timer3Timer);

    if (deviceChanges)
        connect(deviceChanges, &DeviceChangeSource::deviceChange, this, &TForm1::WMDeviceChange);
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, &TForm1::onFocusChanged);

    FormCreate();
}

TForm1::~TForm1()
{
    // The focus leaves the pages while QWidget tears them down, after this window's own
    // members are gone: stop listening first.
    disconnect(focusWatch_);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
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
    // Grid lines between cells, as a report view draws them.
    listView_->setStyleSheet(QStringLiteral("QTreeWidget::item { border-right: 1px solid #c0c0c0; "
                                            "border-bottom: 1px solid #c0c0c0; }"));
    // Every double click in the list opens, also one off the rows (which selects nothing).
    listView_->viewport()->installEventFilter(this);

    button1_ = makeButton(page, "Button1", QStringLiteral("Обновить список устройств"),
                          QRect(8, 318, 220, 30));
    connect(button1_, &QPushButton::clicked, this, &TForm1::Button1Click);

    panel1_ = makePanel(page, "Panel1", QRect(8, 490, 770, 26));
    label1_ = makeLabel(page, "Label1", QString(), QRect(500, 20, 270, 24));
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
    session_.continuousMode = false;
    session_.queue.count = 0;
    hideModulePages();
    refreshList();
    panel1_->setText(kNoDevice);
    timer2_->start();
    timer3_->start();
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

void TForm1::hideModulePages()
{
    setActivePage(0);
    for (int i = 1; i < page::Count; ++i)
        pageControl_->setTabVisible(i, false);
}

void TForm1::closeConnection()
{
    timer1_->stop();
    timer2_->stop();
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
    link_.baudRate = 250000;
    link_.SetFTBaudRate();
    link_.wordLength = ft::BITS_8;
    link_.stopBits = ft::STOP_BITS_2;
    link_.parity = ft::PARITY_NONE;
    link_.SetFTDataCharacteristics();
    oddCount_.reset(); // a count seen on the last connection says nothing about this one
    session_.setRequest(kBaseAddress, cmd::Identify);
    label1_->setText(QStringLiteral("Поиск прибора ..."));
    timer1_->start(kTxPeriod);
    timer2_->start(kRxPeriod);
}

void TForm1::Timer1Timer()
{
    D2XXUnit::Silence quiet(link_);
    uint8_t code = 0;
    if (session_.queue.take(code))
        session_.request()[1] = code;
    seal(session_.request());
    link_.WriteFTDevice(kFrameSize);
}

void TForm1::Timer2Timer()
{
    {
        D2XXUnit::Silence quiet(link_);
        session_.replyValid = false;
        // A failed status query leaves the old count behind; read nothing then.
        const bool statusOk = link_.GetFTQueueStatus() == ft::OK;
        const uint32_t waiting = statusOk ? link_.rxQueueBytes : 0;
        if (waiting % kFrameSize != 0) {
            // Replies come whole, so a count that is not a multiple of a frame means a
            // byte was lost or a stray one came in: the line is off frame boundaries.
            // Once such a count stays unchanged over a tick (nothing more is arriving),
            // drop it all so the next reply starts on a boundary again.
            if (oddCount_ == waiting) {
                link_.PurgeFTReceive();
                oddCount_.reset();
            } else {
                oddCount_ = waiting;
            }
        } else if (waiting >= kFrameSize) {
            oddCount_.reset();
            const uint32_t got = link_.ReadFTDevice(kFrameSize);
            std::copy_n(link_.received(), kFrameSize, session_.reply.begin());
            session_.replyValid = got == kFrameSize && checkOk(session_.reply);
            // A frame that fails its check means the stream has slipped: drop what is
            // waiting so the next reply starts on a frame boundary.
            if (!session_.replyValid)
                link_.PurgeFTReceive();
        } else {
            oddCount_.reset();
        }
    }
    if (!session_.replyValid)
        return;
    const Frame reply = session_.reply;
    session_.lastValidReply = reply;
    session_.haveValidReply = true;
    if (reply[1] == cmd::Identify && reply[0] == 0) {
        identify(reply);
        return;
    }
    if (session_.deviceType >= 1 && session_.deviceType <= 10) {
        const int index = pageControl_->currentIndex();
        if (index >= 1 && index < page::Count)
            pages_[size_t(index)]->decode(reply);
    }
    // Before identification any other valid reply is a stray: keep asking.
}

void TForm1::Timer3Timer() {}

void TForm1::identify(const Frame &reply)
{
    label1_->clear();
    const auto info = deviceTypeInfo(reply[4]);
    if (!info) {
        unknownInstrument();
        return;
    }
    setActivePage(page::Base);
    pageControl_->setTabVisible(page::Base, true);
    pageControl_->setTabText(page::Base, QString::fromUtf8(info->baseCaption));
    pageControl_->setTabVisible(page::Pump, true);
    pageControl_->setTabText(page::Pump, QStringLiteral("Насос"));
    for (const ShownPage &p : info->pages) {
        pageControl_->setTabVisible(p.index, true);
        pageControl_->setTabText(p.index, QString::fromUtf8(p.caption));
    }
    if (auto *panel2 = pages_[page::Base]->findChild<QLabel *>(QStringLiteral("Panel2")))
        panel2->setText(QString::fromUtf8(info->serialPrefix) + QString::number(u16(reply, 5)));
    // Codes still queued for the page that was active belong to another block; the
    // status request goes out first.
    session_.queue.clear();
    session_.statusRequest(info->firstAddress);
    session_.deviceType = reply[4];
}

void TForm1::unknownInstrument()
{
    timer1_->stop();
    timer2_->stop();
    timer3_->stop();
    platform_.message(MessageKind::Plain,
                      QStringLiteral("Прибор неизвестен! Приложение будут закрыто!"));
    close();
}

bool TForm1::loadPicture(const char *target, int pageIndex)
{
    // Looked up by its bare name in the current directory first, then beside the
    // program, then in the installed data directory.
    const QString name = QStringLiteral("LMP91000.bmp");
    QStringList places = {name};
    for (const QString &dir : pictureDirs_)
        places << dir + "/" + name;
    QPixmap pixmap;
    for (const QString &path : places)
        if (QFileInfo::exists(path) && pixmap.load(path))
            break;
    if (pixmap.isNull()) {
        platform_.message(MessageKind::Error,
                          QStringLiteral("Не удалось загрузить рисунок %1").arg(name));
        return false;
    }
    if (auto *image = pages_[size_t(pageIndex)]->findChild<QLabel *>(QString::fromLatin1(target)))
        image->setPixmap(
            pixmap.scaled(image->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return true;
}

void TForm1::PageControl1Change()
{
    const int index = pageControl_->currentIndex();
    if (index < 0 || index >= page::Count)
        return;
    const PageEntry &entry = pageEntry(index);
    if (entry.picture && !loadPicture(entry.picture, index))
        return;
    if (entry.address >= 0)
        session_.request()[0] = uint8_t(entry.address);
    if (entry.freshStart) {
        // A code already taken from the last page's queue, or a command still waiting
        // for its block's answer, would otherwise go out to this block (a pump's or a
        // sensor's switch-off would switch the instrument off).
        session_.queue.clear();
        session_.statusRequest(uint8_t(entry.address));
    }
    if (!entry.queue.empty())
        session_.queue.load(entry.queue);
}

void TForm1::onFocusChanged(QWidget *old, QWidget *now)
{
    for (int index : {int(page::OpticMethane100), int(page::OpticMethane5)}) {
        ModulePage *p = pages_[size_t(index)];
        const bool into = now && p->isAncestorOf(now);
        const bool from = old && (old == p || p->isAncestorOf(old));
        if (into && !from) {
            const auto entry = focusEntry(index);
            session_.queueCommands(entry->address, {entry->code});
            p->focusEntered();
        }
    }
}

void TForm1::setTransmitPeriod(int ms)
{
    if (timer1_->interval() != ms)
        timer1_->setInterval(ms);
}

void TForm1::switchOffCompleted()
{
    closeConnection();
    setActivePage(0);
    hideModulePages();
    panel1_->setText(kNoDevice);
}

void TForm1::showMultiplexer() {}

void TForm1::WMDeviceChange(unsigned wParam)
{
    if (wParam != kDeviceArrival && wParam != kDeviceRemoveComplete)
        return;
    hideModulePages();
    if (session_.deviceOpen) {
        closeConnection();
        panel1_->setText(kNoDevice);
    }
    panel1_->setText(QStringLiteral("Обновление списка устройств. Ожидайте! ..."));
    for (int step = 0; step <= 350; ++step) {
        platform_.processEvents();
        platform_.sleepMs(20);
        progress_->setValue(step);
    }
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
