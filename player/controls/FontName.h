#pragma once

#include <QFont>
#include <QString>

namespace qlnx {

// Fonts are stored and designed under their Windows names ("ＭＳ Ｐゴシック"); here the IPA
// fonts stand in for them. A font is asked for under its stand-in's name: asked for a name it
// does not know, the font database goes through fontconfig's fallbacks first, and again for
// every script a text brings (about a millisecond for the first Japanese line). Stored again, a
// stand-in takes back its Windows name, so the settings file keeps the names it had.

// Maps the Windows names to their stand-ins for fonts made elsewhere by name, too.
void InstallFontStandIns();
// font with the family that name stands for here.
void SetFontName(QFont& font, const QString& name);
QFont NamedFont(const QString& name, int pointSize = -1);
// The name to store for font.
QString FontName(const QFont& font);

} // namespace qlnx
