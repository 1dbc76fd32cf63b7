#include "converters/document/DocumentEngine.h"

#include "platform/ModuleLoader.h"

DocumentEngine& DocumentEngine::shared()
{
    return ModuleLoader::instance<DocumentEngine>(
        QStringLiteral("libflingdial_documents.so"), "flingdial_documentEngine",
        QStringLiteral("The document engine is missing. Reinstall Flingdial."));
}
