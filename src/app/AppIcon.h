#pragma once
// The application's icon: a portable gas detector, drawn from the SVG the desktop
// entry names, for the window and the task bar.

#include <QIcon>

namespace zet {

QIcon applicationIcon();

} // namespace zet
