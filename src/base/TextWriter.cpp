#include "base/TextWriter.h"

#include "base/Errors.h"

#include <QFileInfo>

TextWriter::TextWriter(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        fail();
}

void TextWriter::write(QStringView text)
{
    const QByteArray bytes = m_encoder.encode(text);
    if (m_file.write(bytes) != bytes.size())
        fail();
}

void TextWriter::finish()
{
    if (!m_file.flush())
        fail();
    m_file.close();
    if (m_file.error() != QFileDevice::NoError)
        fail();
}

void TextWriter::fail() const
{
    throw SystemError(tr("“%1” couldn’t be written: %2.")
                          .arg(QFileInfo(m_file.fileName()).fileName(), m_file.errorString()));
}
