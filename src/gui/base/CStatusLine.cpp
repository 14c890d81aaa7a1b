#include "gui/base/CStatusLine.h"

void CStatusLine::say(const QString& text) {
    m_text = text;
    emit said(text);
}
