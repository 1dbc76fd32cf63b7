#pragma once

#include "converters/ocr/Hocr.h"

#include <QString>
#include <chrono>
#include <optional>

// Runs tesseract, the text recogniser, on pictures of ours.
namespace Tesseract {

// The languages to read, joined for tesseract ("deu+eng"): the desktop's
// language and English where installed, else every installed language.
// Throws Fail with the install command when tesseract or every language
// is missing.
QString languages();

struct Request
{
    QString picture;           // a file of ours, never a user's
    std::optional<double> dpi; // when known; tesseract guesses otherwise
    QString languages;
    QString what; // names the page in messages: "Page 2 of scan.pdf"
    std::chrono::milliseconds timeLimit{0};
};

// What tesseract read. Fail "<what> takes too long to read." past the time
// limit; Cancelled once the current job is cancelled.
Hocr::Page read(const Request& request);

// The longest time one page may take, drawing and reading:
// FLINGDIAL_OCR_PAGE_TIMEOUT seconds, else three minutes.
std::chrono::milliseconds pageTimeLimit();

} // namespace Tesseract
