#pragma once

#include <QByteArray>

// A TrueType font whose glyphs draw nothing, each half an em wide: the font
// of invisible text layers, which only has to carry the characters.
namespace GlyphlessFont {

// The font file. Glyph 1 is the one every character is drawn with.
QByteArray data();

// The advance of every glyph, in thousandths of an em.
constexpr int advance = 500;

} // namespace GlyphlessFont
