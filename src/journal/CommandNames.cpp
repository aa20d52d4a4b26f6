#include "journal/CommandNames.h"

#include "connection/PageIndex.h"
#include "pages/PageTable.h"

namespace zet {

std::span<const CodeName> pageCodes(int pageIndex)
{
    if (pageIndex < 0 || pageIndex >= page::Count)
        return {};
    return namesOf(pageRow(pageIndex).codeNames);
}

const CodeName *codeName(int pageIndex, uint8_t code)
{
    for (const CodeName &c : pageCodes(pageIndex))
        if (c.code == code)
            return &c;
    return nullptr;
}

int pageOfBlock(int block)
{
    for (const PageRow &row : pageTable())
        if (row.block >= 0 && row.block == block)
            return row.index;
    return -1;
}

} // namespace zet
