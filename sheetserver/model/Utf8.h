#ifndef UTF8_H
#define UTF8_H

#include <QByteArray>

// The one test of UTF-8 that every reader of a workbook's parts applies.
// Delimited text is read by the rule the host shares (EncodingRule), whose
// test of UTF-8 is Qt's and refuses just what this refuses.
class Utf8
{
public:
    // Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
    static bool isValid(const QByteArray &data);
};

#endif // UTF8_H
