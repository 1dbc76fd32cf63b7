#pragma once

#include "base/Errors.h"

#include <QObject>
#include <QString>
#include <optional>

// The program's own plugins (the engines and the desktop part), loaded
// when first needed so that everything else starts without the libraries
// behind them, and its helper programs.
namespace Plugins {

// Where plugins and helpers are looked for: FLINGDIAL_MODULES_DIR, next to
// the program (the build tree), one folder up (tests), the library folder
// beside the program's, and the installed library folder.
QStringList folders();

// The root object of the plugin `fileName` ("libflingdial_images.so"),
// loaded once for the life of the process; null when it can't be loaded
// (the reason is logged). An engine plugin is attached to the program's
// services before it is returned.
QObject* load(const QString& fileName);

// The plugin's object as the interface T, checked against T's interface
// id (which carries its version); Fail with `missing` when the plugin
// can't be loaded or is of another version.
template<typename T> T& instance(const QString& fileName, const QString& missing)
{
    T* found = qobject_cast<T*>(load(fileName));
    if (!found)
        throw Fail(missing);
    return *found;
}

// A helper program of ours, looked for where the plugins are.
std::optional<QString> helper(const QString& fileName);

} // namespace Plugins
