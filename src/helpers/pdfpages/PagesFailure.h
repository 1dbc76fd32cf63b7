#pragma once

#include "helpers/pdfpages/PdfPagesProtocol.h"

#include <QString>
#include <exception>

// A failure of the helper, reported to the program as one protocol line.
struct PagesFailure : std::exception
{
    PagesFailure(PdfPagesProtocol::Failure failure, QString argument = {})
        : failure(failure), argument(std::move(argument))
    {}
    const char* what() const noexcept override { return PdfPagesProtocol::name(failure); }

    PdfPagesProtocol::Failure failure;
    QString argument;
};
