#pragma once

#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <vector>

namespace helixplot::testing {

// The widget named name under parent; fails the test when there is none.
template <typename T> T* child(const QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}

// Records every error box the windows would have shown.
struct ErrorLog {
    QStringList texts;
    auto reporter()
    {
        return [this](const QString& text) { texts << text; };
    }
};

// Records the fixed waits instead of waiting; pumps once so that what a
// real wait would repaint still gets its events.
struct WaitLog {
    std::vector<int> waits;
    auto waiter()
    {
        return [this](int ms) {
            waits.push_back(ms);
            QCoreApplication::processEvents();
        };
    }
};

inline void pinCLocale()
{
    QLocale::setDefault(QLocale::c());
}

} // namespace helixplot::testing
