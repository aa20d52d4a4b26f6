#pragma once
#include "pages/ModulePage.h"

namespace zet {
// The page widget for a page index 1..14. Pages whose block has no dedicated page
// yet get a bare page that only keeps the request addressed to its block.
ModulePage *createPage(int index, PageHost &host, QWidget *parent);
} // namespace zet
