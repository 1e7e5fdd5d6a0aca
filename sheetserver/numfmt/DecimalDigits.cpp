#include "numfmt/DecimalDigits.h"

#include <cmath>

DecimalDigits::DecimalDigits(double magnitude)
{
    magnitude = std::fabs(magnitude);
    if (!(magnitude > 0) || !std::isfinite(magnitude))
        return;
    // "d.dddddddddddddde+XX": 15 significant digits.
    const QString text = QString::number(magnitude, 'e', 14);
    const int e = text.indexOf(QLatin1Char('e'));
    QString digits = text.left(e);
    digits.remove(1, 1);
    while (digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    m_digits = digits;
    m_point = text.midRef(e + 1).toInt() + 1;
}

void DecimalDigits::roundDigits(QString *digits, int keep, int *point)
{
    if (keep < 0) {
        digits->clear();
        return;
    }
    if (digits->size() <= keep)
        return;
    const bool up = digits->at(keep).unicode() >= '5';
    digits->truncate(keep);
    if (!up)
        return;
    int i = keep - 1;
    for (; i >= 0; --i) {
        if ((*digits)[i] == QLatin1Char('9')) {
            (*digits)[i] = QLatin1Char('0');
        } else {
            (*digits)[i] = QChar((*digits)[i].unicode() + 1);
            break;
        }
    }
    if (i < 0) {
        digits->prepend(QLatin1Char('1'));
        ++*point;
    }
}

void DecimalDigits::fixed(int decimals, QString *integer, QString *fraction) const
{
    QString digits = m_digits;
    int point = m_point;
    if (digits.isEmpty()) {
        *integer = QStringLiteral("0");
        *fraction = QString(decimals, QLatin1Char('0'));
        return;
    }
    const int keep = point + decimals;
    if (keep < 0) {
        digits.clear();
    } else if (keep == 0) {
        // Everything is below the last place: rounds to 0 or to one unit.
        const bool up = digits.at(0).unicode() >= '5';
        digits = up ? QStringLiteral("1") : QString();
        point = up ? 1 : 0;
    } else {
        roundDigits(&digits, keep, &point);
    }
    QString all;
    if (point <= 0) {
        all = QString(-point, QLatin1Char('0')) + digits;
        point = 0;
    } else {
        all = digits;
    }
    if (all.size() < point + decimals)
        all += QString(point + decimals - all.size(), QLatin1Char('0'));
    *integer = point > 0 ? all.left(point) : QStringLiteral("0");
    *fraction = all.mid(point, decimals);
    // Strip leading zeros of the integer part, keeping one.
    int lead = 0;
    while (lead < integer->size() - 1 && integer->at(lead) == QLatin1Char('0'))
        ++lead;
    integer->remove(0, lead);
}

void DecimalDigits::scientific(int significant, QString *mantissa, int *exponent) const
{
    if (m_digits.isEmpty()) {
        *mantissa = QString(qMax(1, significant), QLatin1Char('0'));
        *exponent = 0;
        return;
    }
    QString digits = m_digits;
    int point = m_point;
    roundDigits(&digits, qMax(1, significant), &point);
    if (digits.size() < significant)
        digits += QString(significant - digits.size(), QLatin1Char('0'));
    *mantissa = digits;
    *exponent = point - 1;
}

QString DecimalDigits::plain() const
{
    if (m_digits.isEmpty())
        return QStringLiteral("0");
    if (m_point > 15 || m_point < -14) {
        QString text = m_digits.left(1);
        if (m_digits.size() > 1)
            text += QLatin1Char('.') + m_digits.mid(1);
        const int e = m_point - 1;
        return text + (e < 0 ? QStringLiteral("E-") : QStringLiteral("E+")) +
               QString::number(qAbs(e)).rightJustified(2, QLatin1Char('0'));
    }
    if (m_point <= 0)
        return QStringLiteral("0.") + QString(-m_point, QLatin1Char('0')) + m_digits;
    if (m_digits.size() <= m_point)
        return m_digits + QString(m_point - m_digits.size(), QLatin1Char('0'));
    return m_digits.left(m_point) + QLatin1Char('.') + m_digits.mid(m_point);
}
