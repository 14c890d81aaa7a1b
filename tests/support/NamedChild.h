#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

// A window's control as the tests reach it: by the object name the window gives it, since
// windows keep no getters for tests. A name that is not there ends the test program, with
// the name, rather than leaving a null pointer to crash on.
template <class T>
T* namedChild(const QObject& parent, const QString& name) {
    T* child = parent.findChild<T*>(name);
    if (child == nullptr) {
        qFatal("no %s named '%s' in %s", T::staticMetaObject.className(), qPrintable(name),
               parent.metaObject()->className());
    }
    return child;
}
