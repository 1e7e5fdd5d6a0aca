#include "model/CellStyles.h"

const NumberFormat &CellStyles::formatOf(int style) const
{
    const int id = formatId(style);
    auto it = m_parsed.find(id);
    if (it == m_parsed.end()) {
        const QString code =
            m_custom.contains(id) ? m_custom.value(id) : NumberFormat::builtInCode(id);
        it = m_parsed.insert(id, NumberFormat(code));
    }
    return it.value();
}
