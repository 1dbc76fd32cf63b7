#include "converters/document/DocumentEngine.h"
#include "converters/document/rich/RichDocument.h"

#include <QTextDocument>

// The module's side of DocumentEngine: every conversion reads the source
// into the rich-text value and writes that.
namespace {

class RichTextEngine : public DocumentEngine
{
public:
    void convert(const QString& source, const QString& target, const QString& title,
                 const QString& destination) override
    {
        const std::unique_ptr<QTextDocument> document = RichDocument::load(source);
        RichDocument::write(*document, title, target, destination);
    }
};

} // namespace

extern "C" Q_DECL_EXPORT DocumentEngine* flingdial_documentEngine()
{
    static RichTextEngine engine;
    return &engine;
}
