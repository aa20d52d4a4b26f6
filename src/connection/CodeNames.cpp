#include "connection/CodeNames.h"

#include "connection/Protocol.h"

namespace zet {

namespace {

constexpr CodeKind R = CodeKind::Read;

namespace base = cmd::base;
namespace pump = cmd::pump;
namespace sensor = cmd::sensor;
namespace op = cmd::optical;
namespace electro = cmd::electro;

constexpr CodeName kBase[] = {
    {base::TestMode, "Режим теста, тестовые выходы"},
    {base::WorkMode, "Рабочий режим"},
    {base::SwitchOff, "Выключение прибора"},
    {base::Identify, "Идентификация", R},
    {cmd::Status, "Запрос состояния", R},
    {base::Clock, "Синхронизация даты и времени"},
};

constexpr CodeName kPump[] = {
    {pump::AmplitudeUp, "Амплитуда: шаг вверх"},
    {pump::FrequencyUp, "Частота: шаг вверх"},
    {pump::FrequencyDown, "Частота: шаг вниз"},
    {pump::Setup, "Режим настройки"},
    {pump::Save, "Сохранение настройки"},
    {pump::Off, "Выключение насоса"},
    {pump::On, "Включение насоса"},
    {cmd::Status, "Запрос состояния", R},
    {pump::AmplitudeDown, "Амплитуда: шаг вниз"},
    {pump::ReadPosition, "Чтение датчика положения", R},
};

// Thermocatalytic blocks; the combined ones add the semiconductor half.
constexpr CodeName kTks[] = {
    {sensor::SelectGas, "Выбор газа"},
    {sensor::ReadVoltages, "Чтение U воздуха и U газа", R},
    {sensor::ReadCalibration, "Чтение C газа и порога 1", R},
    {sensor::ReadThresholds, "Чтение порога 2 и порога откл.", R},
    {sensor::AdjustZero, "Подстройка нуля"},
    {sensor::Setup, "Режим настройки"},
    {sensor::Save, "Сохранение параметров"},
    {sensor::Off, "Выключение сенсора"},
    {sensor::On, "Включение сенсора"},
    {sensor::SetFirst, "Установка C газа и порога 1"},
    {sensor::SetSecond, "Установка порога 2 и порога откл."},
    {cmd::Status, "Запрос состояния", R},
    {sensor::TakeGasVoltage, "U газа по текущему сигналу"},
    {sensor::TakeAirVoltage, "U воздуха по текущему сигналу"},
    {sensor::Reset, "Сброс"},
    {sensor::PgsOn, "Включение ПГС"},
    {sensor::PgsOff, "Выключение ПГС"},
    {sensor::PgsStatus, "Запрос состояния ПГС", R},
};

constexpr CodeName kPgs[] = {
    {sensor::SelectGas, "Выбор газа"},        {sensor::ReadThresholds, "Чтение порогов", R},
    {sensor::Setup, "Режим настройки"},       {sensor::Save, "Сохранение параметров"},
    {sensor::Off, "Выключение сенсора"},      {sensor::On, "Включение сенсора"},
    {sensor::SetFirst, "Установка порога 2"}, {sensor::SetSecond, "Установка порога 1"},
    {cmd::Status, "Запрос состояния", R},     {sensor::Reset, "Сброс"},
};

constexpr CodeName kPressure[] = {
    {sensor::ReadVoltages, "Чтение U «0» и U калибровки", R},
    {sensor::ReadCalibration, "Чтение давления калибровки и порога", R},
    {sensor::AdjustZero, "Подстройка нуля"},
    {sensor::Setup, "Режим настройки"},
    {sensor::Save, "Сохранение параметров"},
    {sensor::Off, "Выключение сенсора"},
    {sensor::On, "Включение сенсора"},
    {sensor::SetFirst, "Установка давления калибровки и порога"},
    {cmd::Status, "Запрос состояния", R},
    {sensor::TakeGasVoltage, "U калибровки по текущему сигналу"},
    {sensor::TakeAirVoltage, "U нуля по текущему сигналу"},
    {sensor::Reset, "Сброс"},
};

constexpr CodeName kOptical[] = {
    {op::ReadGasVoltage, "Чтение U газа", R},
    {op::ReadGasVoltage2, "Чтение U газа", R},
    {op::ReadFirst, "Чтение порога 1", R},
    {op::ReadThresholds, "Чтение порогов 2 и 3", R},
    {op::ReadZeroVoltage, "Чтение U нуля", R},
    {op::Setup, "Режим настройки"},
    {op::Save, "Сохранение параметров"},
    {op::Off, "Выключение сенсора"},
    {op::On, "Включение сенсора"},
    {op::SetFirst, "Установка порога 1"},
    {op::SetSecond, "Установка порогов 2 и 3"},
    {cmd::Status, "Запрос состояния", R},
    {op::ReadConcentration, "Чтение C газа", R},
    {op::CalibrateGas, "Калибровка: U газа и C газа"},
    {op::CalibrateZero, "Калибровка: U нуля"},
    {op::Diagnostics, "Диагностика", R},
    {op::Temperature, "Температура", R},
};

constexpr CodeName kElectro[] = {
    {electro::Measure, "Измерение", R},
    {sensor::ReadVoltages, "Чтение U нуля и U газа", R},
    {sensor::ReadCalibration, "Чтение C газа и порога 1", R},
    {sensor::ReadThresholds, "Чтение порогов 2 и 3", R},
    {sensor::Setup, "Режим настройки"},
    {sensor::Save, "Сохранение параметров"},
    {electro::SetFourth, "Установка порога 4"},
    {electro::Version, "Версия и регистры LMP91000", R},
    {sensor::SetFirst, "Установка C газа и порога 1"},
    {sensor::SetSecond, "Установка порогов 2 и 3"},
    {cmd::Status, "Запрос состояния", R},
    {electro::ReadFourth, "Чтение порога 4", R},
    {sensor::TakeGasVoltage, "U газа по текущему сигналу"},
    {sensor::TakeAirVoltage, "U нуля по текущему сигналу"},
    {sensor::Reset, "Сброс"},
    {electro::ReadFrontEnd, "Чтение регистров LMP91000", R},
    {electro::WriteFrontEnd, "Запись регистров LMP91000"},
};

} // namespace

std::span<const CodeName> namesOf(CodeFamily family)
{
    switch (family) {
    case CodeFamily::None:
        return {};
    case CodeFamily::Base:
        return kBase;
    case CodeFamily::Pump:
        return kPump;
    case CodeFamily::Thermo:
        return kTks;
    case CodeFamily::Pgs:
        return kPgs;
    case CodeFamily::Optical:
        return kOptical;
    case CodeFamily::Electro:
        return kElectro;
    case CodeFamily::Pressure:
        return kPressure;
    }
    return {};
}

} // namespace zet
