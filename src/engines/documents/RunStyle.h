#pragma once

#include <QColor>
#include <QString>
#include <QTextCharFormat>
#include <optional>

// What a style or a run says about its text, as the DOCX and ODT readers
// find it: each property set or left to inherit.
struct RunStyle
{
    std::optional<bool> bold, italic, underline, strike;
    std::optional<double> points;
    std::optional<double> percent; // of the inherited size
    std::optional<QString> font;
    std::optional<QColor> color;
    std::optional<int> position; // 1 superscript, -1 subscript, 0 neither

    // Takes every property `top` sets.
    void overlay(const RunStyle& top);
    QTextCharFormat format() const;
};
