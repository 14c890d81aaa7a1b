#include "core/protocol/CTrafficFilter.h"

#include "core/protocol/CTrafficLineParts.h"
#include "core/protocol/CWireText.h"

bool CTrafficFilter::matches(QByteArrayView line) const {
    if (isEmpty()) {
        return true;
    }
    const CTrafficLineParts parts = CTrafficLineParts::of(line);
    return CWireText::toDisplay(parts.sender).contains(m_text, Qt::CaseInsensitive) ||
           CWireText::toDisplay(parts.text).contains(m_text, Qt::CaseInsensitive);
}
