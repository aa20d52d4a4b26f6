#include "journal/CommandNames.h"

#include "connection/PageIndex.h"
#include "pages/PageTable.h"

#include <array>

namespace zet {

namespace {

constexpr CodeKind R = CodeKind::Read;

constexpr CodeName kBase[] = {
    {6, "Режим теста, тестовые выходы"}, {7, "Рабочий режим"},
    {8, "Выключение прибора"},           {9, "Идентификация", R},
    {12, "Запрос состояния", R},         {211, "Синхронизация даты и времени"},
};

constexpr CodeName kPump[] = {
    {1, "Амплитуда: шаг вверх"}, {3, "Частота: шаг вверх"},
    {4, "Частота: шаг вниз"},    {6, "Режим настройки"},
    {7, "Сохранение настройки"}, {8, "Выключение насоса"},
    {9, "Включение насоса"},     {12, "Запрос состояния", R},
    {13, "Амплитуда: шаг вниз"}, {14, "Чтение датчика положения", R},
};

// Thermocatalytic blocks; the combined ones add the semiconductor half (18 to 21).
constexpr CodeName kTks[] = {
    {1, "Выбор газа"},
    {2, "Чтение U воздуха и U газа", R},
    {3, "Чтение C газа и порога 1", R},
    {4, "Чтение порога 2 и порога откл.", R},
    {5, "Подстройка нуля"},
    {6, "Режим настройки"},
    {7, "Сохранение параметров"},
    {8, "Выключение сенсора"},
    {9, "Включение сенсора"},
    {10, "Установка C газа и порога 1"},
    {11, "Установка порога 2 и порога откл."},
    {12, "Запрос состояния", R},
    {14, "U газа по текущему сигналу"},
    {15, "U воздуха по текущему сигналу"},
    {16, "Сброс"},
    {18, "Включение ПГС"},
    {20, "Выключение ПГС"},
    {21, "Запрос состояния ПГС", R},
};

constexpr CodeName kPgs[] = {
    {1, "Выбор газа"},           {4, "Чтение порогов", R},
    {6, "Режим настройки"},      {7, "Сохранение параметров"},
    {8, "Выключение сенсора"},   {9, "Включение сенсора"},
    {10, "Установка порога 2"},  {11, "Установка порога 1"},
    {12, "Запрос состояния", R}, {16, "Сброс"},
};

constexpr CodeName kPressure[] = {
    {2, "Чтение U «0» и U калибровки", R},
    {3, "Чтение давления калибровки и порога", R},
    {5, "Подстройка нуля"},
    {6, "Режим настройки"},
    {7, "Сохранение параметров"},
    {8, "Выключение сенсора"},
    {9, "Включение сенсора"},
    {10, "Установка давления калибровки и порога"},
    {12, "Запрос состояния", R},
    {14, "U калибровки по текущему сигналу"},
    {15, "U нуля по текущему сигналу"},
    {16, "Сброс"},
};

constexpr CodeName kOptical[] = {
    {1, "Чтение U газа", R},         {2, "Чтение U газа", R},
    {3, "Чтение порога 1", R},       {4, "Чтение порогов 2 и 3", R},
    {5, "Чтение U нуля", R},         {6, "Режим настройки"},
    {7, "Сохранение параметров"},    {8, "Выключение сенсора"},
    {9, "Включение сенсора"},        {10, "Установка порога 1"},
    {11, "Установка порогов 2 и 3"}, {12, "Запрос состояния", R},
    {13, "Чтение C газа", R},        {14, "Калибровка: U газа и C газа"},
    {15, "Калибровка: U нуля"},      {96, "Диагностика", R},
    {97, "Температура", R},
};

constexpr CodeName kElectro[] = {
    {1, "Измерение", R},
    {2, "Чтение U нуля и U газа", R},
    {3, "Чтение C газа и порога 1", R},
    {4, "Чтение порогов 2 и 3", R},
    {6, "Режим настройки"},
    {7, "Сохранение параметров"},
    {8, "Установка порога 4"},
    {9, "Версия и регистры LMP91000", R},
    {10, "Установка C газа и порога 1"},
    {11, "Установка порогов 2 и 3"},
    {12, "Запрос состояния", R},
    {13, "Чтение порога 4", R},
    {14, "U газа по текущему сигналу"},
    {15, "U нуля по текущему сигналу"},
    {16, "Сброс"},
    {32, "Чтение регистров LMP91000", R},
    {33, "Запись регистров LMP91000"},
};

std::span<const CodeName> codesOf(CommandSet set)
{
    switch (set) {
    case CommandSet::None:
        return {};
    case CommandSet::Base:
        return kBase;
    case CommandSet::Pump:
        return kPump;
    case CommandSet::Thermo:
        return kTks;
    case CommandSet::Pgs:
        return kPgs;
    case CommandSet::Optical:
        return kOptical;
    case CommandSet::Electro:
        return kElectro;
    case CommandSet::Pressure:
        return kPressure;
    }
    return {};
}

} // namespace

std::span<const CodeName> pageCodes(int pageIndex)
{
    if (pageIndex < 0 || pageIndex >= page::Count)
        return {};
    return codesOf(pageRow(pageIndex).commands);
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
