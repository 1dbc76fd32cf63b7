#pragma once

#include "engines/EngineHost.h"
#include "engines/documents/DocumentEngine.h"

#include <QObject>

// The rich-text readers and writers and the PDF renderer, as a plugin: every
// conversion reads the source into the rich-text value and writes that.
class DocumentsPlugin : public QObject, public EnginePlugin, public DocumentEngine
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID FlingdialDocumentEngine_iid)
    Q_INTERFACES(EnginePlugin DocumentEngine)

public:
    void attach(EngineHost& host) override;
    void convert(const QString& source, const QString& target, const QString& title,
                 const QString& destination, const QString& picturesFolder) override;

private:
    EngineHost* m_host = nullptr;
};
