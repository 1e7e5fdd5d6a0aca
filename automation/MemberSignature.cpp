#include "MemberSignature.h"

MemberSignature::MemberSignature(const char *signature) : m_text(QByteArray(signature).trimmed())
{
    parse();
}

MemberSignature::MemberSignature(const QByteArray &signature) : m_text(signature.trimmed())
{
    parse();
}

void MemberSignature::parse()
{
    const int open = m_text.indexOf('(');
    m_method = open >= 0;
    m_name = m_method ? m_text.left(open).trimmed() : m_text;
    m_valid = !m_name.isEmpty();
    for (const char c : qAsConst(m_name)) {
        const bool word =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!word)
            m_valid = false;
    }
    if (!m_method)
        return;
    if (!m_text.endsWith(')') || m_text.indexOf('(', open + 1) >= 0) {
        m_valid = false;
        return;
    }
    const QByteArray parameters = m_text.mid(open + 1, m_text.size() - open - 2).trimmed();
    // Template arguments never appear in automation signatures, so every
    // comma separates two parameters.
    m_parameterCount = parameters.isEmpty() ? 0 : parameters.count(',') + 1;
}
