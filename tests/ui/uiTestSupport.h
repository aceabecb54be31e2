// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "genomeBuilder.h"

#include <QAccessible>
#include <QByteArray>
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

// Qt's offscreen platform on one screen of the size given (with frames
// around the windows when asked), described in a file in folder; for a
// test's main, before its QApplication.
inline void useOffscreenScreen(const QString& folder, const QByteArray& width, const QByteArray& height,
                               bool frames = false)
{
    const QString path = folder + QStringLiteral("/screen.json");
    writeFile(path.toStdString(),
              (QByteArrayLiteral("{\"windowFrameMargins\": ") + (frames ? "true" : "false") +
               ", \"screens\": [{\"name\": \"test\", \"x\": 0, \"y\": 0, \"width\": " + width +
               ", \"height\": " + height + ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                  .toStdString());
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + path.toLocal8Bit());
}

} // namespace helixplot::testing
