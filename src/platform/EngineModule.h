#pragma once

#include <QFunctionPointer>

// The module that carries the engines needing large libraries (libvips,
// qpdf, poppler, OpenCV), loaded on first use.
namespace EngineModule {

// An entry point of the module, or null when it can't be loaded.
QFunctionPointer resolve(const char* symbol);

} // namespace EngineModule
