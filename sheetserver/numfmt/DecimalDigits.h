#ifndef DECIMALDIGITS_H
#define DECIMALDIGITS_H

#include <QString>

// A number as the spreadsheet application sees it: at most 15 significant
// decimal digits, rounded half away from zero from there on. Rounding a
// value to a number of decimals is done on these digits, not on the binary
// value, so 2.675 shown with two decimals is 2.68 as people expect.
class DecimalDigits
{
public:
    explicit DecimalDigits(double magnitude); // the sign is the caller's

    // Integer and fraction digits after rounding to `decimals` places; the
    // integer part is "0" for values below one.
    void fixed(int decimals, QString *integer, QString *fraction) const;
    // Mantissa digits (first one before the point) rounded to `significant`
    // digits, and the exponent of ten that goes with them.
    void scientific(int significant, QString *mantissa, int *exponent) const;
    // Decimal exponent of the first significant digit (0 for 1..9.99).
    int exponent() const { return m_point - 1; }
    bool isZero() const { return m_digits.isEmpty(); }
    // Shortest plain text of the 15-digit value: "1234.5", "0.001", "1E+20".
    QString plain() const;

private:
    // Rounds the digits to keep `keep` of them; may carry into a new digit.
    static void roundDigits(QString *digits, int keep, int *point);

    QString m_digits; // significant digits, no trailing zeros; empty for zero
    int m_point = 0;  // digits before the decimal point (may be <= 0)
};

#endif // DECIMALDIGITS_H
