#pragma once

#include <QString>
#include <memory>

namespace poppler {
class document;
}

// The PDF the helper works on, opened with poppler.
namespace SourceDocument {

// Opens without a password. Throws PagesFailure (open, locked, page-count).
std::unique_ptr<poppler::document> open(const QString& path);

} // namespace SourceDocument
