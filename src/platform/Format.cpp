#include "platform/Format.h"

#include "platform/Platform.h"

#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace zet {

static QLocale numberLocale()
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

QString shortest(double value)
{
    return numberLocale().toString(value, 'f', QLocale::FloatingPointShortest);
}

QString fixed(double value, int decimals) { return numberLocale().toString(value, 'f', decimals); }

QString floatText(float value)
{
    if (std::isnan(value))
        return QStringLiteral("не число");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("+∞") : QStringLiteral("−∞");
    return numberLocale().toString(double(value), 'g', 15);
}

QString versionText(uint8_t version)
{
    return QStringLiteral("Версия %1.%2").arg(version >> 4).arg(version & 0x0F);
}

std::optional<int> applyConversion(const QString &text, Platform &platform)
{
    const QString t = text.trimmed();
    static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]{1,10}$"));
    bool ok = integer.match(t).hasMatch();
    qlonglong v = ok ? t.toLongLong(&ok) : 0;
    if (ok && (v < INT32_MIN || v > INT32_MAX))
        ok = false;
    if (!ok) {
        platform.message(MessageKind::Error,
                         QStringLiteral("'%1' is not a valid integer value").arg(t));
        return std::nullopt;
    }
    return int(v);
}

std::optional<int> applyConversion(const QLineEdit *field, Platform &platform)
{
    return applyConversion(field->text(), platform);
}

std::optional<std::vector<int>> convertAll(std::span<const QLineEdit *const> fields,
                                           Platform &platform)
{
    std::vector<int> values;
    values.reserve(fields.size());
    for (const QLineEdit *field : fields) {
        const std::optional<int> v = applyConversion(field, platform);
        if (!v)
            return std::nullopt;
        values.push_back(*v);
    }
    return values;
}

} // namespace zet
