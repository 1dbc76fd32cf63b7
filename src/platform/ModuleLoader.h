#pragma once

#include "core/Errors.h"

#include <QFunctionPointer>
#include <QString>
#include <optional>

// The program's own modules, loaded when first needed so that everything
// else starts without the libraries behind them.
namespace ModuleLoader {

// An entry point of the module `fileName` ("libflingdial_engines.so"), or
// null when it can't be loaded. Looked for next to the program (the build
// tree), one folder up (tests), in the installed library folder, and in
// FLINGDIAL_MODULES_DIR.
QFunctionPointer resolve(const QString& fileName, const char* symbol);

// A helper program of ours, looked for where the modules are.
std::optional<QString> helper(const QString& fileName);

// The object that the module's factory entry point `symbol` hands out;
// Fail with `missing` when the module can't be loaded.
template<typename T>
T& instance(const QString& fileName, const char* symbol, const QString& missing)
{
    const auto create = reinterpret_cast<T* (*)()>(resolve(fileName, symbol));
    if (!create)
        throw Fail(missing);
    return *create();
}

} // namespace ModuleLoader
