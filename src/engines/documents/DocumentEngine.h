#pragma once

#include <QString>
#include <QtPlugin>

// The rich-text readers and writers and the PDF renderer. They need Qt's
// text layout, so they live in a module that is loaded on first use and
// leave the rest of the program on Qt Core.
class DocumentEngine
{
public:
    virtual ~DocumentEngine() = default;

    // Reads `source` (a format the engine reads itself) and writes it as
    // `target` at `destination`, which must not exist yet. `title` names
    // the document where the format keeps a title. The pictures of an HTML
    // page or a Markdown file go into `picturesFolder`, an empty folder
    // beside the destination, when one is given.
    virtual void convert(const QString& source, const QString& target, const QString& title,
                         const QString& destination, const QString& picturesFolder = {}) = 0;
};

#define FlingdialDocumentEngine_iid "org.flingdial.DocumentEngine/1"
Q_DECLARE_INTERFACE(DocumentEngine, FlingdialDocumentEngine_iid)
