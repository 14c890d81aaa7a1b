#include "gui/shell/CLockKeyPanes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QWindow>

namespace {

// The X11 modifier state bits of the locks.
constexpr quint32 kX11LockMask = 0x02;
constexpr quint32 kX11NumLockMask = 0x10;

}  // namespace

CLockKeyPanes::CLockKeyPanes(QStatusBar* statusBar)
    : QObject(statusBar),
      m_caps(addPane(statusBar, kCapsText)),
      m_num(addPane(statusBar, kNumText)),
      m_scroll(addPane(statusBar, kScrollText)) {
    setObjectName(QStringLiteral("lockKeys"));
    m_caps->setObjectName(QStringLiteral("caps"));
    m_num->setObjectName(QStringLiteral("num"));
    m_scroll->setObjectName(QStringLiteral("scroll"));
    qApp->installEventFilter(this);
}

QLabel* CLockKeyPanes::addPane(QStatusBar* statusBar, const char* text) {
    auto* pane = new QLabel(statusBar);
    pane->setAlignment(Qt::AlignCenter);
    pane->setFrameShape(QFrame::Panel);
    pane->setFrameShadow(QFrame::Sunken);
    pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QString::fromLatin1(text)) + 12);
    statusBar->addPermanentWidget(pane);
    return pane;
}

void CLockKeyPanes::setStates(bool caps, bool num, bool scroll) {
    m_capsOn = caps;
    m_numOn = num;
    m_scrollOn = scroll;
    show(m_caps, kCapsText, caps);
    show(m_num, kNumText, num);
    show(m_scroll, kScrollText, scroll);
}

void CLockKeyPanes::show(QLabel* pane, const char* text, bool on) {
    pane->setText(on ? QString::fromLatin1(text) : QString());
}

bool CLockKeyPanes::eventFilter(QObject* watched, QEvent* event) {
    // A key event travels on from the window to the focus widget and its parents; it is
    // counted once, at the window.
    const bool keyEvent = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (!keyEvent || qobject_cast<QWindow*>(watched) == nullptr) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    bool caps = m_capsOn;
    bool num = m_numOn;
    bool scroll = m_scrollOn;
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        caps = (key->nativeModifiers() & kX11LockMask) != 0;
        num = (key->nativeModifiers() & kX11NumLockMask) != 0;
    }
    if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_ScrollLock &&
        !key->isAutoRepeat()) {
        scroll = !scroll;
    }
    if (caps != m_capsOn || num != m_numOn || scroll != m_scrollOn) {
        setStates(caps, num, scroll);
    }
    return QObject::eventFilter(watched, event);
}
