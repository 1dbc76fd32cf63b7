#include "engines/documents/DocumentsPlugin.h"

#include "engines/documents/RichDocument.h"

#include <QTextDocument>

void DocumentsPlugin::attach(EngineHost& host)
{
    m_host = &host;
}

void DocumentsPlugin::convert(const QString& source, const QString& target, const QString& title,
                              const QString& destination, const QString& picturesFolder)
{
    const std::unique_ptr<QTextDocument> document = RichDocument::load(source);
    if (m_host)
        m_host->throwIfCancelled();
    RichDocument::write(*document, title, target, destination, picturesFolder);
}
