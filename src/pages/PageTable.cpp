#include "pages/PageTable.h"

#include <array>
#include <stdexcept>
#include <string>

namespace zet {

namespace {

// The device list, then every family's pages, each at its index with the block
// the protocol gives it.
std::array<PageRow, page::Count> assemble()
{
    std::array<PageRow, page::Count> rows{};
    std::array<bool, page::Count> filled{};
    auto put = [&](const PageRow &row) {
        if (row.index < 0 || row.index >= page::Count || filled[size_t(row.index)])
            throw std::logic_error("page row " + std::to_string(row.index) + " out of place");
        filled[size_t(row.index)] = true;
        PageRow &r = rows[size_t(row.index)];
        r = row;
        r.block = blockOfPage(row.index);
    };
    put({.index = page::DeviceList, .caption = "Устройства USB", .entryAddress = false});
    for (auto family : {basePages, pumpPages, thermoPages, pgsPages, opticalPages, electroPages,
                        pressurePages})
        for (const PageRow &row : family())
            put(row);
    for (size_t i = 0; i < filled.size(); ++i)
        if (!filled[i])
            throw std::logic_error("no row for page " + std::to_string(i));
    return rows;
}

const std::array<PageRow, page::Count> &pages()
{
    static const std::array<PageRow, page::Count> rows = assemble();
    return rows;
}

} // namespace

std::span<const PageRow> pageTable() { return pages(); }

const PageRow &pageRow(int index) { return pages().at(size_t(index)); }

} // namespace zet
