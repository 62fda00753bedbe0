#include "controls/FontName.h"

#include <array>

namespace qlnx {

namespace {

struct TStandIn
{
    QString Windows;
    QString Here;
};

const std::array<TStandIn, 2>& StandIns()
{
    static const std::array<TStandIn, 2> standIns{
        TStandIn{QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")},
        TStandIn{QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")}};
    return standIns;
}

} // namespace

void InstallFontStandIns()
{
    for (const TStandIn& standIn : StandIns())
        QFont::insertSubstitution(standIn.Windows, standIn.Here);
}

void SetFontName(QFont& font, const QString& name)
{
    for (const TStandIn& standIn : StandIns()) {
        if (name == standIn.Windows) {
            font.setFamily(standIn.Here);
            return;
        }
    }
    font.setFamily(name);
}

QFont NamedFont(const QString& name, int pointSize)
{
    QFont font;
    SetFontName(font, name);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    return font;
}

QString FontName(const QFont& font)
{
    const QString family = font.family();
    for (const TStandIn& standIn : StandIns()) {
        if (family.compare(standIn.Here, Qt::CaseInsensitive) == 0)
            return standIn.Windows;
    }
    return family;
}

} // namespace qlnx
