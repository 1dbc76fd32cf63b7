#pragma once

#include <QString>
#include <pugixml.hpp>

// Equations as a line of text, so that what a writer put in a formula is
// still there when the formula can't be drawn: fractions as (a)/(b),
// scripts as x^2 and x_i, roots as √(x), matrices as [a, b; c, d].
namespace MathText {

// Word's equations (Office Math: m:oMath, m:oMathPara).
QString fromOfficeMath(const pugi::xml_node& node);

// MathML (an HTML or EPUB page's <math>, an OpenDocument formula): the TeX
// or StarMath source its annotation carries, else its own text.
QString fromMathMl(const pugi::xml_node& node);

// Every <math>…</math> element of a page replaced by its text, escaped for
// HTML; a piece that isn't well-formed loses its tags and keeps its text.
QString replaceInHtml(const QString& html);

} // namespace MathText
