#include "engines/documents/RunStyle.h"

namespace {

template<typename T> void take(std::optional<T>& mine, const std::optional<T>& theirs)
{
    if (theirs)
        mine = theirs;
}

} // namespace

void RunStyle::overlay(const RunStyle& top)
{
    take(bold, top.bold);
    take(italic, top.italic);
    take(underline, top.underline);
    take(strike, top.strike);
    if (top.points)
        points = top.points;
    else if (top.percent && points)
        points = *points * *top.percent / 100;
    take(font, top.font);
    take(color, top.color);
    take(position, top.position);
}

QTextCharFormat RunStyle::format() const
{
    QTextCharFormat format;
    if (font && !font->isEmpty())
        format.setFontFamilies(QStringList{*font});
    if (points && *points > 0)
        format.setFontPointSize(*points);
    if (bold.value_or(false))
        format.setFontWeight(QFont::Bold);
    if (italic.value_or(false))
        format.setFontItalic(true);
    if (underline.value_or(false))
        format.setFontUnderline(true);
    if (strike.value_or(false))
        format.setFontStrikeOut(true);
    if (color)
        format.setForeground(*color);
    if (position.value_or(0) > 0)
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (position.value_or(0) < 0)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    return format;
}
