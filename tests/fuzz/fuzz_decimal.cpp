// Feeds arbitrary text to the decimal conversion, in both its forms and with both separators.
// Asserts that neither the separator nor swapping "," and "." in the text changes the outcome,
// that a failure leaves 1.0, and compares with the C library: a text of the accepted form converts
// exactly as strtof converts it with "." as the mark, and fails only where strtof overflows.
#include "FuzzSupport.h"

#include "core/text/Decimal.h"

#include <QRegularExpression>
#include <bit>
#include <cmath>
#include <cstdlib>

namespace {

struct Outcome
{
    bool ok = false;
    quint32 bits = 0; // the float's bits, so that -0 and 0 differ

    friend bool operator==(const Outcome &, const Outcome &) = default;
};

Outcome convert(const QString &text, const QChar *separator)
{
    float value = 0.0f;
    const bool ok = separator ? sw::Text_To_Float(text, *separator, value) : sw::Text_To_Float(text, value);
    return { ok, std::bit_cast<quint32>(value) };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(fuzz::bytes(data, size));
    const QChar comma(u','), point(u'.');
    const Outcome outcome = convert(text, &comma);
    fuzz::require(convert(text, &point) == outcome && convert(text, nullptr) == outcome);
    const float value = std::bit_cast<float>(outcome.bits);
    fuzz::require(outcome.ok ? std::isfinite(value) : value == 1.0f);

    QString swapped = text;
    for (QChar &c : swapped)
        c = c == comma ? point : c == point ? comma : c;
    fuzz::require(convert(swapped, &comma) == outcome);

    static const QRegularExpression accepted(
        QStringLiteral("\\A[+-]?([0-9]+[.,]?[0-9]*|[.,][0-9]+)([eE][+-]?[0-9]+)?\\z"));
    if (!accepted.match(text).hasMatch()) {
        fuzz::require(!outcome.ok);
        return 0;
    }
    QByteArray ascii = text.toLatin1();
    ascii.replace(',', '.');
    const float expected = std::strtof(ascii.constData(), nullptr);
    fuzz::require(std::isinf(expected) ? !outcome.ok : outcome == Outcome { true, std::bit_cast<quint32>(expected) });
    return 0;
}
