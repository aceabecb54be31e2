// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessible>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <string>
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

// Helixplot's own settings (window geometry, last mode and folders) go to a
// fresh folder for every run of a test program, so that no test sees what
// an earlier run or the user left there. Set before main() runs, so before
// QSettings first looks.
class IsolatedSettings {
public:
    IsolatedSettings()
    {
#ifndef _WIN32 // Windows keeps them in the registry: a fresh Wine prefix per run isolates them there
        char pattern[] = "/tmp/helixplot-test-config-XXXXXX";
        if (const char* made = ::mkdtemp(pattern)) {
            path_ = made;
            ::setenv("XDG_CONFIG_HOME", made, 1);
        }
#endif
    }
    ~IsolatedSettings()
    {
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }

private:
    std::string path_;
};
inline const IsolatedSettings isolatedSettings;

// Every control a screen reader lands on, without a name.
inline void collectUnnamed(QAccessibleInterface* node, QStringList& unnamed)
{
    static const QList<QAccessible::Role> controls{
        QAccessible::PushButton, QAccessible::RadioButton, QAccessible::CheckBox,   QAccessible::EditableText,
        QAccessible::PageTab,    QAccessible::Tree,        QAccessible::List,       QAccessible::Table,
        QAccessible::ComboBox,   QAccessible::Graphic,     QAccessible::ProgressBar};
    if (!node || node->state().invisible)
        return;
    if (controls.contains(node->role()) && node->text(QAccessible::Name).isEmpty())
        unnamed << node->object()->objectName() + QStringLiteral(" (") + QString::number(node->role()) + u')';
    for (int i = 0; i < node->childCount(); ++i)
        collectUnnamed(node->child(i), unnamed);
}

inline void pinCLocale()
{
    QLocale::setDefault(QLocale::c());
}

} // namespace helixplot::testing
