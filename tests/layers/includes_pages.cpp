// Compiled against one layer's include roots: builds only where the pages layer lies below.
#include "pages/PageTable.h"

int pageCount() { return int(zet::pageTable().size()); }
