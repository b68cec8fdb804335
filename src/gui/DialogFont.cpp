#include "DialogFont.h"

#include <QStringList>

QFont DialogFont() {
    // The families a Japanese desktop is known to have, first the one the
    // layout was made for; fontconfig or Windows picks the first present.
    QFont font;
    font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("Yu Gothic UI"),
                      QStringLiteral("Meiryo UI"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("VL PGothic"), QStringLiteral("TakaoPGothic")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    return font;
}
