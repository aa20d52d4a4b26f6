#pragma once
// Texts every layer may use: numbers in the user's locale, value and version
// texts, and the conversion of a parameter field for a set command.

#include <QString>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

class QLineEdit;

namespace zet {

struct Platform;

// Shortest decimal form with the locale's separator and no digit grouping:
// 123.4 -> "123,4" in a Russian locale, 123.0 -> "123".
QString shortest(double value);
// Fixed number of decimals, locale separator, no grouping.
QString fixed(double value, int decimals);
// A single-precision number widened exactly to double, in general format with 15
// significant digits (a stored 0.1 reads "0,100000001490116"); infinities and
// not-a-number are named, never printed as digits.
QString floatText(float value);
// Measured values are shown after two blanks.
// A byte as two upper-case hexadecimal digits ("0A").
inline QString hexByte(uint8_t b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}
inline QString valueText(double v) { return QStringLiteral("  ") + shortest(v); }
// A whole number as received, in decimal ("-5", "1800").
inline QString integerText(int v) { return QString::number(v); }
// A voltage followed by two blanks and its unit: "123,4  мВ".
inline QString millivoltText(double mv) { return shortest(mv) + QStringLiteral("  мВ"); }
// What a value shows while the sensor cannot measure.
inline const QString kNoValue = QStringLiteral(" XXXX");
// "Версия 1.3" from a version byte: high nibble, dot, low nibble.
QString versionText(uint8_t version);

// Converts a field's text, stripped of blanks, as a decimal integer. On failure
// shows "'<text>' is not a valid integer value" and returns nothing.
std::optional<int> applyConversion(const QString &text, Platform &platform);
std::optional<int> applyConversion(const QLineEdit *field, Platform &platform);
// Every field of one set command, in order, converted before anything is written:
// the first one that does not convert shows its message and nothing is returned.
std::optional<std::vector<int>> convertAll(std::span<const QLineEdit *const> fields,
                                           Platform &platform);
inline std::optional<std::vector<int>> convertAll(std::initializer_list<const QLineEdit *> fields,
                                                  Platform &platform)
{
    return convertAll(std::span<const QLineEdit *const>(fields.begin(), fields.size()), platform);
}

} // namespace zet
