#pragma once

#include <QFunctionPointer>
#include <QString>

// The program's own modules, loaded when first needed so that everything
// else starts without the libraries behind them.
namespace ModuleLoader {

// An entry point of the module `fileName` ("libflingdial_engines.so"), or
// null when it can't be loaded. Looked for next to the program (the build
// tree), one folder up (tests), in the installed library folder, and in
// FLINGDIAL_MODULES_DIR.
QFunctionPointer resolve(const QString& fileName, const char* symbol);

} // namespace ModuleLoader
