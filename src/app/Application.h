#pragma once
// What the program sets up around its window, shared by the program and the benchmark
// that measures its start: the application's names, version and icon, and where the
// main window first appears.

class QWidget;

namespace zet {

// After the QApplication exists.
void prepareApplication();
// Centres a top-level window on the primary screen's free area.
void centreOnScreen(QWidget &window);

} // namespace zet
