#pragma once

#include <QCoreApplication>
#include <QString>

// Gives a namespace the tr() a class gets from Q_DECLARE_TR_FUNCTIONS, with
// the namespace's name as its context, which is where lupdate files the
// texts of tr() calls inside the namespace:
//
//   namespace MediaConverter {
//   FLINGDIAL_TR_CONTEXT(MediaConverter)
//   … tr("“%1” is only %2 seconds long.") …
//
// Classes use Q_DECLARE_TR_FUNCTIONS (or their QObject's tr()); texts
// outside any namespace or class use QCoreApplication::translate.
#define FLINGDIAL_TR_CONTEXT(context)                                                              \
    [[maybe_unused]] static inline QString tr(const char* text,                                    \
                                              const char* disambiguation = nullptr, int n = -1)    \
    {                                                                                              \
        return QCoreApplication::translate(#context, text, disambiguation, n);                     \
    }
