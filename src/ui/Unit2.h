#pragma once
// The multiplexer bench window: the engineer picks the sensor type under test and
// clicks a socket on the picture of the bench. Both choices go to the base unit in
// the shared request frame; the window never writes to the link itself.

#include <QPixmap>
#include <QWidget>

#include <array>
#include <cstdint>

class QLabel;

namespace zet {

class PollControl;
class RadioGroup;

// What the type selection does to the main window.
class BenchHost {
public:
    virtual ~BenchHost() = default;
    // Makes a page the active one without running its entry step.
    virtual void activatePage(int index) = 0;
    virtual void hidePage(int index) = 0;
};

class TForm2 : public QWidget {
public:
    TForm2(PollControl &poll, BenchHost &host, QWidget *parent = nullptr);

    // The bench picture; a null pixmap leaves the surface empty.
    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return picture_; }
    // Selects the group item of an identified device type (none for most types);
    // a changed selection runs the type selection as a user's choice does.
    void preselect(int deviceType);

    // A change of the type group's selection.
    void RadioGroup1Click();
    // A click at a client position on the window's surface.
    void FormClick(QPoint client);

    RadioGroup *typeGroup() const { return group_; }
    QLabel *lamp(int number) const { return lamps_[size_t(number - 1)]; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    PollControl &poll_;
    BenchHost &host_;
    RadioGroup *group_;
    std::array<QLabel *, 32> lamps_{};
    QPixmap picture_;
    int chosen_ = -1; // group item the last type selection ran for
};

} // namespace zet
