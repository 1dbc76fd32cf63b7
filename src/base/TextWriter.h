#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

// Writes UTF-8 text to a new file piece by piece, so that a long result
// never has to be held whole. Every write is checked, and so is the close
// in finish(); a failure throws SystemError naming the file.
class TextWriter
{
    Q_DECLARE_TR_FUNCTIONS(TextWriter)

public:
    explicit TextWriter(const QString& path);
    TextWriter(const TextWriter&) = delete;
    TextWriter& operator=(const TextWriter&) = delete;

    void write(QStringView text);
    void finish();

private:
    [[noreturn]] void fail() const;

    QFile m_file;
    QStringEncoder m_encoder{QStringEncoder::Utf8};
};
